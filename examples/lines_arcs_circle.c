/*
 * Interpolated moves on the simulated card: lines of two, three and four axes, an arc, a
 * circle, and a path of lines queued in the continuous buffer.
 *
 *  - LINE2 of axes 0 and 1 (pair 0) by (30 000, 40 000), path speed 20 000 pps;
 *  - LINE3 of axes 0, 1, 2 (triple 0) by (-10 000, 5000, 20 000);
 *  - LINE4 of all axes by (-20 000, -45 000, -20 000, 8000), back to (0, 0, 0, 8000);
 *  - a half circle of axes 0 and 1 (KTR4_ARC_center_move_XY): centre 10 000 to the +X side,
 *    end 20 000 to the +X side, both relative to the start; direction 0 = clockwise;
 *  - a full circle of axes 0 and 1 through two more points (KTR4_CIR2_3P_move), back where it
 *    started;
 *  - continuous mode: a square of four LINE2 sides. With the continuous flag set on both axes,
 *    a move given while one runs waits in the card's buffer and starts as the running one
 *    ends; when the buffer is full (KTR4_check_continuous_buffer) the program waits.
 *
 * Every move is checked against its end point. The virtual clock keeps the run short.
 * Exit status 0 when every check passed.
 */
#include <stdio.h>

#include <ktr4.h>
#include <ktr4sim.h>

enum { CARD = 0, PAIR_01 = 0, TRIPLE_012 = 0, ABSOLUTE = 1, RELATIVE = 0, CLOCKWISE = 0 };
#define TICK (KTR4SIM_TICKS_PER_SECOND / 100) /* one poll: 10 ms of card time */

/* 1 when the call succeeded; otherwise reports its code as text. */
static int ok(const char* call, int32_t rc)
{
    if (rc != KTR4_OK)
        fprintf(stderr, "lines_arcs_circle: %s: %d, %s\n", call, (int)rc, KTR4_error_text(rc));
    return rc == KTR4_OK;
}

static int32_t y_highest; /* the highest axis 1 position seen while polling */

/* 1 once all four axes have stopped; a program for the real card would sleep between polls. */
static int run_until_stopped(void)
{
    for (int poll = 0; poll < 3000; ++poll) {
        int moving = 0;
        int32_t y = 0;
        if (!ok("KTR4_read_current_position", KTR4_read_current_position(CARD, 1, &y)))
            return 0;
        if (y > y_highest)
            y_highest = y;
        for (uint8_t axis = 0; axis < 4; ++axis) {
            uint8_t stopped = 0;
            if (!ok("KTR4_read_motion_status", KTR4_read_motion_status(CARD, axis, 0, &stopped)))
                return 0;
            moving |= !stopped;
        }
        if (!moving)
            return 1;
        ktr4sim_advance(TICK);
    }
    fprintf(stderr, "lines_arcs_circle: still moving after 30 s\n");
    return 0;
}

/* Waits for the move to end and compares all four positions with where it should end. */
static int ends_at(const char* move, int32_t x, int32_t y, int32_t z, int32_t a)
{
    const int32_t want[4] = {x, y, z, a};
    int32_t at[4];
    if (!run_until_stopped())
        return 0;
    for (uint8_t axis = 0; axis < 4; ++axis)
        if (!ok("KTR4_read_current_position", KTR4_read_current_position(CARD, axis, &at[axis])))
            return 0;
    printf("%-8s ends at (%d, %d, %d, %d)\n", move, (int)at[0], (int)at[1], (int)at[2], (int)at[3]);
    for (int axis = 0; axis < 4; ++axis)
        if (at[axis] != want[axis]) {
            fprintf(stderr, "lines_arcs_circle: %s: axis %d at %d, not %d\n", move, axis, (int)at[axis],
                    (int)want[axis]);
            return 0;
        }
    return 1;
}

/* Clockwise from the left end of the diameter runs over the top: Y climbs to the radius. */
static int clockwise_half_circle(void)
{
    y_highest = 0;
    if (!ok("KTR4_ARC_center_move_XY", KTR4_ARC_center_move_XY(CARD, 10000, 0, 20000, 0, RELATIVE, 10000, CLOCKWISE))
        || !ends_at("arc", 20000, 0, 0, 8000))
        return 0;
    printf("         highest Y on the way %d\n", (int)y_highest);
    if (y_highest < 9990 || y_highest > 10001) {
        fprintf(stderr, "lines_arcs_circle: the clockwise arc did not pass over the top (Y = 10000)\n");
        return 0;
    }
    return 1;
}

static int lines_arc_circle(void)
{
    return ok("KTR4_T_curve_move_LINE2",
              KTR4_T_curve_move_LINE2(CARD, PAIR_01, 30000, 40000, RELATIVE, 1000, 20000, 0.1, 0.1))
        && ends_at("LINE2", 30000, 40000, 0, 0)
        && ok("KTR4_S_curve_move_LINE3",
              KTR4_S_curve_move_LINE3(CARD, TRIPLE_012, -10000, 5000, 20000, RELATIVE, 1000, 20000, 0.1, 0.1, 0, 0))
        && ends_at("LINE3", 20000, 45000, 20000, 0)
        && ok("KTR4_T_curve_move_LINE4", KTR4_T_curve_move_LINE4(CARD, 0, 0, 0, 8000, ABSOLUTE, 1000, 20000, 0.1, 0.1))
        && ends_at("LINE4", 0, 0, 0, 8000) && clockwise_half_circle()
        && ok("KTR4_CIR2_3P_move", KTR4_CIR2_3P_move(CARD, PAIR_01, 10000, 10000, 20000, 0, RELATIVE, 10000))
        && ends_at("circle", 20000, 0, 0, 8000);
}

static int continuous_square(void)
{
    static const int32_t sides[4][2] = {{10000, 0}, {0, 10000}, {-10000, 0}, {0, -10000}};
    for (uint8_t axis = 0; axis < 2; ++axis)
        if (!ok("KTR4_set_continuous_flag", KTR4_set_continuous_flag(CARD, axis, 1)))
            return 0;
    for (int side = 0; side < 4; ++side) {
        uint8_t full = 1;
        for (int poll = 0; full && poll < 1000; ++poll) {
            if (!ok("KTR4_check_continuous_buffer", KTR4_check_continuous_buffer(CARD, 0, &full)))
                return 0;
            if (full)
                ktr4sim_advance(TICK);
        }
        if (!ok("KTR4_T_curve_move_LINE2",
                KTR4_T_curve_move_LINE2(CARD, PAIR_01, sides[side][0], sides[side][1], RELATIVE, 1000, 20000, 0.05,
                                        0.05)))
            return 0;
    }
    if (!ends_at("square", 20000, 0, 0, 8000))
        return 0;
    for (uint8_t axis = 0; axis < 2; ++axis)
        if (!ok("KTR4_set_continuous_flag", KTR4_set_continuous_flag(CARD, axis, 0)))
            return 0;
    return 1;
}

int main(void)
{
    ktr4sim_use_virtual_clock(1);
    if (!ok("KTR4_initial", KTR4_initial()))
        return 1;
    const int passed = ok("KTR4_init_card", KTR4_init_card(CARD)) && lines_arc_circle() && continuous_square();
    ok("KTR4_close", KTR4_close());
    printf("%s\n", passed ? "done" : "FAILED");
    return passed ? 0 : 1;
}
