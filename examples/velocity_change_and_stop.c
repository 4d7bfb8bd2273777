/*
 * A velocity move with an on-line speed change and a decelerating stop, on the simulated card.
 *
 * Axis 2 runs in the negative direction (the sign of the operating speed) at 8000 pps, slows
 * to 3000 pps on the way, and then stops with a 0.5 s deceleration. The program checks the
 * speed after each step, that the axis moved backwards, and that the stop took about the
 * distance a linear ramp from 3000 pps to rest over 0.5 s covers (750 pulses).
 *
 * The simulated card runs on its virtual clock, so the program takes a fraction of a second.
 * Exit status 0 when every check passed.
 */
#include <stdio.h>

#include <ktr4.h>
#include <ktr4sim.h>

enum { CARD = 0, AXIS = 2 };
#define SECOND KTR4SIM_TICKS_PER_SECOND

/* 1 when the call succeeded; otherwise reports its code as text. */
static int ok(const char* call, int32_t rc)
{
    if (rc != KTR4_OK)
        fprintf(stderr, "velocity_change_and_stop: %s: %d, %s\n", call, (int)rc, KTR4_error_text(rc));
    return rc == KTR4_OK;
}

/* Lets the card run `seconds` (a program for the real card would wait), then checks the speed. */
static int speed_after(double seconds, double low, double high)
{
    double speed = 0;
    ktr4sim_advance((uint64_t)(seconds * SECOND));
    if (!ok("KTR4_read_speed", KTR4_read_speed(CARD, AXIS, &speed)))
        return 0;
    printf("speed %.0f pps\n", speed);
    if (speed < low || speed > high) {
        fprintf(stderr, "velocity_change_and_stop: speed %.0f outside %.0f..%.0f pps\n", speed, low, high);
        return 0;
    }
    return 1;
}

static int position(int32_t* at)
{
    return ok("KTR4_read_current_position", KTR4_read_current_position(CARD, AXIS, at));
}

static int run(void)
{
    int32_t before_stop = 0, end = 0;
    uint8_t stopped = 0;
    if (!ok("KTR4_T_velocity_move", KTR4_T_velocity_move(CARD, AXIS, 500, -8000, 0.2)))
        return 0;
    if (!speed_after(1.0, 7950, 8050))
        return 0;
    if (!ok("KTR4_velocity_change", KTR4_velocity_change(CARD, AXIS, -3000, 0.3)))
        return 0;
    if (!speed_after(1.0, 2950, 3050))
        return 0;

    if (!position(&before_stop) || !ok("KTR4_dec_stop", KTR4_dec_stop(CARD, AXIS, 0.5)))
        return 0;
    if (!speed_after(1.0, 0, 0))
        return 0;
    if (!ok("KTR4_read_motion_status", KTR4_read_motion_status(CARD, AXIS, 0, &stopped)) || !position(&end))
        return 0;
    printf("stopped %d, axis %d at %d, %d pulses after the stop command\n", stopped, AXIS, (int)end,
           (int)(before_stop - end));
    if (!stopped || before_stop >= 0 || before_stop - end < 600 || before_stop - end > 900) {
        fprintf(stderr, "velocity_change_and_stop: expected a stop some 750 pulses on, in the negative direction\n");
        return 0;
    }
    return 1;
}

int main(void)
{
    ktr4sim_use_virtual_clock(1);
    if (!ok("KTR4_initial", KTR4_initial()))
        return 1;
    const int passed = ok("KTR4_init_card", KTR4_init_card(CARD)) && run();
    ok("KTR4_close", KTR4_close());
    printf("%s\n", passed ? "done" : "FAILED");
    return passed ? 0 : 1;
}
