/* Initialise, home axis 0, move it, run a line on axes 0 and 1, and report every failure as
 * text. Build: cc getting_started.c $(pkg-config --cflags --libs ktr4) -o getting_started */
#include <stdio.h>
#include <unistd.h>

#include <ktr4.h>

static int check(const char* what, int32_t rc)
{
    if (rc != KTR4_OK)
        fprintf(stderr, "%s: %s (%d)\n", what, KTR4_error_text(rc), (int)rc);
    return rc == KTR4_OK;
}

static void wait_stopped(uint8_t axis)
{
    uint8_t stopped = 0;
    while (KTR4_read_motion_status(0, axis, 0, &stopped) == KTR4_OK && !stopped)
        usleep(1000);
}

int main(void)
{
    int32_t rc = KTR4_initial();
    if (rc != KTR4_OK) {
        char why[512];
        KTR4_driver_load_error(why, sizeof why);
        fprintf(stderr, "KTR4_initial: %s %s\n", KTR4_error_text(rc), why);
        return 1;
    }
    int ok = check("init card 0", KTR4_init_card(0));
    /* The simulated card has no HOME sensor unless ktr4sim_set_home gives it one: without one
     * homing would run until stopped, so this program moves without homing. */
    ok = ok && check("move", KTR4_T_curve_position_move(0, 0, 10000, 0, 500, 50000, 0.05, 0.05));
    wait_stopped(0);
    ok = ok && check("line", KTR4_T_curve_move_XY(0, -3000, 4000, 0, 100, 20000, 0.05, 0.05));
    wait_stopped(0);
    wait_stopped(1);
    int32_t x = 0, y = 0;
    ok = ok && check("read x", KTR4_read_current_position(0, 0, &x));
    ok = ok && check("read y", KTR4_read_current_position(0, 1, &y));
    printf("x = %d, y = %d\n", (int)x, (int)y);
    KTR4_close();
    return ok && x == 7000 && y == 4000 ? 0 : 1;
}
