/*
 * A small machine program: home axis 0 of the first KTR4 card, make the home position the
 * origin, then run a T-curve move of 8000 pulses and check that the axis ends there.
 *
 * It runs on the simulated card (libktr4sim, ktr4's default driver). A real machine has a
 * HOME sensor wired to the card; on the simulated card the program places one with
 * ktr4sim_set_home. Exit status 0 when the axis homed and ended the move where asked.
 */
#define _POSIX_C_SOURCE 200809L
#include <stdio.h>
#include <time.h>

#include <ktr4.h>
#include <ktr4sim.h>

enum { AXIS = 0, HOME_AT = -3000, MOVE = 8000 };

/* 1 when the call succeeded; otherwise reports its code as text. */
static int check(const char* call, int32_t rc)
{
    if (rc != KTR4_OK)
        fprintf(stderr, "home_and_move: %s: %d, %s\n", call, (int)rc, KTR4_error_text(rc));
    return rc == KTR4_OK;
}

/* Polls the stopped flag every 10 ms for at most `seconds`; 1 once the axis has stopped. */
static int wait_stopped(uint8_t card, double seconds)
{
    const struct timespec tick = {0, 10 * 1000 * 1000};
    for (double waited = 0; waited < seconds; waited += 0.01) {
        uint8_t stopped = 0;
        if (!check("KTR4_read_motion_status", KTR4_read_motion_status(card, AXIS, 0, &stopped)))
            return 0;
        if (stopped)
            return 1;
        nanosleep(&tick, NULL);
    }
    fprintf(stderr, "home_and_move: axis %d still moving after %.0f s\n", AXIS, seconds);
    return 0;
}

static int32_t position_of(uint8_t card)
{
    int32_t position = 0;
    check("KTR4_read_current_position", KTR4_read_current_position(card, AXIS, &position));
    return position;
}

static int run(uint8_t card)
{
    if (!check("KTR4_init_card", KTR4_init_card(card)))
        return 0;
    /* The simulated card in slot 0: a HOME sensor 3000 pulses on the negative side. */
    if (!check("ktr4sim_set_home", ktr4sim_set_home(0, AXIS, 1, HOME_AT)))
        return 0;

    printf("homing axis %d (negative direction, 500 -> 5000 pps)\n", AXIS);
    if (!check("KTR4_config_home_mode", KTR4_config_home_mode(card, AXIS, 0, 0)))
        return 0;
    if (!check("KTR4_start_homing", KTR4_start_homing(card, AXIS, 500, 5000, 0.1, 1)))
        return 0;
    if (!wait_stopped(card, 10))
        return 0;
    const int32_t home = position_of(card);
    printf("home found at %d\n", (int)home);
    if (home != HOME_AT) {
        fprintf(stderr, "home_and_move: homing stopped at %d, not on the sensor at %d\n", (int)home, HOME_AT);
        return 0;
    }
    if (!check("KTR4_set_current_position", KTR4_set_current_position(card, AXIS, 0)))
        return 0;

    printf("T-curve move of %d pulses (500 -> 20000 pps, 0.1 s ramps)\n", MOVE);
    if (!check("KTR4_T_curve_position_move", KTR4_T_curve_position_move(card, AXIS, MOVE, 0, 500, 20000, 0.1, 0.1)))
        return 0;
    if (!wait_stopped(card, 10))
        return 0;
    const int32_t end = position_of(card);
    printf("axis %d at %d\n", AXIS, (int)end);
    if (end != MOVE) {
        fprintf(stderr, "home_and_move: the move ended at %d, not %d\n", (int)end, MOVE);
        return 0;
    }
    return 1;
}

int main(void)
{
    const int32_t rc = KTR4_initial();
    if (rc == KTR4_ERR_DRIVER_LOAD || rc == KTR4_ERR_DRIVER_OPERATION) {
        char why[512];
        KTR4_driver_load_error(why, sizeof why); /* which driver file, and the system's reason */
        fprintf(stderr, "home_and_move: %s\n", why);
    }
    if (!check("KTR4_initial", rc))
        return 1;
    int card = -1;
    for (int c = 0; c < 16 && card < 0; ++c) {
        uint16_t info = 0;
        if (KTR4_info((uint8_t)c, &info) == KTR4_OK)
            card = c;
    }
    if (card < 0) {
        fprintf(stderr, "home_and_move: no card found\n");
        KTR4_close();
        return 1;
    }
    const int ok = run((uint8_t)card);
    check("KTR4_close", KTR4_close());
    printf("%s\n", ok ? "done" : "FAILED");
    return ok ? 0 : 1;
}
