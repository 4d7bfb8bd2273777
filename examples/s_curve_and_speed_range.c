/*
 * S-curve moves and speed ranges on the simulated card.
 *
 * 1. An S-curve position move of axis 0: 40 000 pulses, 1000 -> 20 000 pps, 0.2 s ramps with
 *    S-curve sections of 2000 pps. The program watches the speed on the way and checks the
 *    axis ends on 40 000 without going faster than asked.
 * 2. A speed range fixed in advance: the card scales every speed of an axis by a range that
 *    each move normally chooses from its own top speed. A velocity move that will later be
 *    sped up on-line therefore fixes the range for the fastest speed first
 *    (KTR4_fix_speed_range), so the change keeps the scale the move started with. Axis 1 runs
 *    at 5000 pps, is changed to 50 000 pps and stopped with a 0.2 s deceleration.
 *
 * The simulated card runs on its virtual clock, moved 10 ms per poll, so the program takes a
 * fraction of a second. Exit status 0 when every check passed.
 */
#include <stdio.h>

#include <ktr4.h>
#include <ktr4sim.h>

enum { CARD = 0 };
#define TICK (KTR4SIM_TICKS_PER_SECOND / 100) /* one poll: 10 ms of card time */

/* 1 when the call succeeded; otherwise reports its code as text. */
static int ok(const char* call, int32_t rc)
{
    if (rc != KTR4_OK)
        fprintf(stderr, "s_curve_and_speed_range: %s: %d, %s\n", call, (int)rc, KTR4_error_text(rc));
    return rc == KTR4_OK;
}

/* Runs the card until the axis stops (at most 10 s); *peak gets the highest speed seen. A
 * program for the real card would sleep 10 ms instead of moving the simulated clock. */
static int run_until_stopped(uint8_t axis, double* peak)
{
    for (int poll = 0; poll < 1000; ++poll) {
        uint8_t stopped = 0;
        double speed = 0;
        if (!ok("KTR4_read_motion_status", KTR4_read_motion_status(CARD, axis, 0, &stopped)))
            return 0;
        if (!ok("KTR4_read_speed", KTR4_read_speed(CARD, axis, &speed)))
            return 0;
        if (speed > *peak)
            *peak = speed;
        if (stopped)
            return 1;
        ktr4sim_advance(TICK);
    }
    fprintf(stderr, "s_curve_and_speed_range: axis %d still moving after 10 s\n", axis);
    return 0;
}

static int s_curve_move(void)
{
    double peak = 0;
    int32_t end = 0;
    if (!ok("KTR4_S_curve_position_move",
            KTR4_S_curve_position_move(CARD, 0, 40000, 0, 1000, 20000, 0.2, 0.2, 2000, 2000)))
        return 0;
    if (!run_until_stopped(0, &peak))
        return 0;
    if (!ok("KTR4_read_current_position", KTR4_read_current_position(CARD, 0, &end)))
        return 0;
    printf("S-curve move: axis 0 at %d, top speed %.0f pps\n", (int)end, peak);
    if (end != 40000 || peak > 20000 || peak < 19000) {
        fprintf(stderr, "s_curve_and_speed_range: expected 40000 at up to 20000 pps\n");
        return 0;
    }
    return 1;
}

static int fixed_range_velocity_change(void)
{
    double speed = 0, peak = 0;
    if (!ok("KTR4_fix_speed_range", KTR4_fix_speed_range(CARD, 1, 50000)))
        return 0;
    if (!ok("KTR4_T_velocity_move", KTR4_T_velocity_move(CARD, 1, 1000, 5000, 0.1)))
        return 0;
    ktr4sim_advance(KTR4SIM_TICKS_PER_SECOND / 2);
    if (!ok("KTR4_velocity_change", KTR4_velocity_change(CARD, 1, 50000, 0.2)))
        return 0;
    ktr4sim_advance(KTR4SIM_TICKS_PER_SECOND / 2);
    if (!ok("KTR4_read_speed", KTR4_read_speed(CARD, 1, &speed)))
        return 0;
    printf("velocity move in a fixed range: 5000 -> %.0f pps\n", speed);
    if (speed < 49500 || speed > 50500) {
        fprintf(stderr, "s_curve_and_speed_range: expected 50000 pps after the change\n");
        return 0;
    }
    if (!ok("KTR4_dec_stop", KTR4_dec_stop(CARD, 1, 0.2)))
        return 0;
    if (!run_until_stopped(1, &peak))
        return 0;
    /* Later moves of the axis choose their range again. */
    return ok("KTR4_unfix_speed_range", KTR4_unfix_speed_range(CARD, 1));
}

int main(void)
{
    ktr4sim_use_virtual_clock(1);
    if (!ok("KTR4_initial", KTR4_initial()))
        return 1;
    const int passed = ok("KTR4_init_card", KTR4_init_card(CARD)) && s_curve_move() && fixed_range_velocity_change();
    ok("KTR4_close", KTR4_close());
    printf("%s\n", passed ? "done" : "FAILED");
    return passed ? 0 : 1;
}
