/*
 * A rounded rectangle run as one continuous path on the simulated card: four lines and four
 * quarter arcs of axes 0 and 1 queued in the card's buffer, with a ramp up at the start, a ramp
 * down at the end, and the path speed kept through every corner.
 *
 * How speed behaves at a joint: a segment starts at its own start speed, and its deceleration
 * ends at that same start speed. So:
 *  - the first line starts at START_SPEED, ramps up to PATH_SPEED and has no deceleration
 *    (t_dec 0.0): it ends at full speed;
 *  - every later line has PATH_SPEED as its start speed and its speed, and no deceleration; an
 *    arc runs at its one constant speed: through these joints the speed does not change;
 *  - a segment can only slow down to its own start speed, so the ramp down is a short line of
 *    its own (RAMP_DOWN pulses) whose start speed is START_SPEED. The joint into it is a step
 *    down to START_SPEED, after which the card climbs back at its fastest rate (t_acc 0.0, within
 *    about 30 ms) and then ramps down over RAMP_TIME to the end. Choose that start speed as one
 *    the machine can take as a step (its start/stop speed).
 *
 * The buffer: with the continuous flag set on both axes, a move given while one runs waits in
 * the card's buffer (pre-registers) and starts the moment the running one ends. Every axis of
 * the group shows the same "buffer full" flag, so the program polls the pair's first axis
 * (KTR4_check_continuous_buffer on axis 0) and gives the next segment once it is free; the
 * library checks every axis of the group and answers KTR4_ERR_BUFFER_FULL if one is still full.
 * The path has ended when both axes are stopped.
 *
 * Checked on the way (virtual clock, one poll per millisecond of card time): the path ends where
 * it started; from the end of the ramp up to the ramp-down line the path speed never falls below
 * 95 % of PATH_SPEED, through all eight corners; at the ramp-down line's joint it steps down to
 * that line's start speed; the buffer was seen full (the program really queued ahead). Run it
 * with KTR4SIM_RECORD=path.csv and draw the run with ktr4-plot path.csv.
 * Exit status 0 when every check passed.
 */
#include <math.h>
#include <stdio.h>

#include <ktr4.h>
#include <ktr4sim.h>

enum { CARD = 0, PAIR_01 = 0, RELATIVE = 0, COUNTER_CLOCKWISE = 1 };
enum { WIDTH = 40000, HEIGHT = 20000, RADIUS = 5000, RAMP_DOWN = 2500 };
enum { START_SPEED = 1000, PATH_SPEED = 20000 };
#define RAMP_TIME 0.2 /* seconds, up and down */
#define TICK (KTR4SIM_TICKS_PER_SECOND / 1000) /* one poll: 1 ms of card time */

/* 1 when the call succeeded; otherwise reports its code as text. */
static int ok(const char* call, int32_t rc)
{
    if (rc != KTR4_OK)
        fprintf(stderr, "continuous_path: %s: %d, %s\n", call, (int)rc, KTR4_error_text(rc));
    return rc == KTR4_OK;
}

/* What the polling saw. */
static struct {
    long polls;
    int buffer_seen_full;
    double lowest_cruise; /* lowest path speed while cruising */
    int ramping_down; /* the last (ramp-down) segment has been given */
    int up_to_speed; /* the path reached PATH_SPEED after the ramp up */
    double lowest_at_last_joint; /* lowest path speed on the first 100 pulses of the ramp-down line */
} seen = {0, 0, 1e12, 0, 0, 1e12};

/* Advances the card by one poll and notes the path speed: the speeds of the two axes combined. */
static int poll_once(void)
{
    double vx = 0, vy = 0;
    int32_t x = 0;
    ktr4sim_advance(TICK);
    ++seen.polls;
    if (!ok("KTR4_read_speed", KTR4_read_speed(CARD, 0, &vx)) || !ok("KTR4_read_speed", KTR4_read_speed(CARD, 1, &vy))
        || !ok("KTR4_read_current_position", KTR4_read_current_position(CARD, 0, &x)))
        return 0;
    const double v = sqrt(vx * vx + vy * vy);
    if (v >= 0.99 * PATH_SPEED)
        seen.up_to_speed = 1;
    /* Cruising: up to speed, and not yet on the ramp-down line, the last RAMP_DOWN pulses before
       the start point (x = 0). */
    const int on_ramp_down = seen.ramping_down && x >= -RAMP_DOWN;
    if (seen.up_to_speed && !on_ramp_down && v < seen.lowest_cruise)
        seen.lowest_cruise = v;
    if (on_ramp_down && x < -RAMP_DOWN + 100 && v > 0 && v < seen.lowest_at_last_joint)
        seen.lowest_at_last_joint = v;
    return 1;
}

/* Waits until the buffer of the pair has room: the pair's first axis tells for both. */
static int wait_for_room(void)
{
    for (int poll = 0; poll < 60000; ++poll) {
        uint8_t full = 1;
        if (!ok("KTR4_check_continuous_buffer", KTR4_check_continuous_buffer(CARD, 0, &full)))
            return 0;
        if (!full)
            return 1;
        seen.buffer_seen_full = 1;
        if (!poll_once())
            return 0;
    }
    fprintf(stderr, "continuous_path: the buffer stayed full for 60 s\n");
    return 0;
}

/* A line of the path: start_speed is where it starts and where its deceleration would end. */
static int line(int32_t dx, int32_t dy, int32_t start_speed, double t_acc, double t_dec)
{
    return wait_for_room()
        && ok("KTR4_T_curve_move_LINE2",
              KTR4_T_curve_move_LINE2(CARD, PAIR_01, dx, dy, RELATIVE, start_speed, PATH_SPEED, t_acc, t_dec));
}

/* A quarter arc turning left: centre and end relative to the arc's start point. */
static int corner(int32_t cx, int32_t cy, int32_t ex, int32_t ey)
{
    return wait_for_room()
        && ok("KTR4_ARC_center_move_XY",
              KTR4_ARC_center_move_XY(CARD, cx, cy, ex, ey, RELATIVE, PATH_SPEED, COUNTER_CLOCKWISE));
}

/* Starting in the middle of the bottom edge, counter-clockwise round the rectangle. */
static int give_path(void)
{
    const int32_t half = WIDTH / 2 - RADIUS, across = WIDTH - 2 * RADIUS, up = HEIGHT - 2 * RADIUS;
    if (!(line(half, 0, START_SPEED, RAMP_TIME, 0.0) /* ramp up, no ramp down */
          && corner(0, RADIUS, RADIUS, RADIUS) && line(0, up, PATH_SPEED, 0.0, 0.0)
          && corner(-RADIUS, 0, -RADIUS, RADIUS) && line(-across, 0, PATH_SPEED, 0.0, 0.0)
          && corner(0, -RADIUS, -RADIUS, -RADIUS) && line(0, -up, PATH_SPEED, 0.0, 0.0)
          && corner(RADIUS, 0, RADIUS, -RADIUS) && line(half - RAMP_DOWN, 0, PATH_SPEED, 0.0, 0.0)))
        return 0;
    seen.ramping_down = 1;
    return line(RAMP_DOWN, 0, START_SPEED, 0.0, RAMP_TIME); /* the ramp down ends at START_SPEED */
}

static int wait_until_stopped(void)
{
    for (int poll = 0; poll < 60000; ++poll) {
        uint8_t x_stopped = 0, y_stopped = 0;
        if (!ok("KTR4_read_motion_status", KTR4_read_motion_status(CARD, 0, 0, &x_stopped))
            || !ok("KTR4_read_motion_status", KTR4_read_motion_status(CARD, 1, 0, &y_stopped)))
            return 0;
        if (x_stopped && y_stopped)
            return 1;
        if (!poll_once())
            return 0;
    }
    fprintf(stderr, "continuous_path: still moving after 60 s\n");
    return 0;
}

static int run(void)
{
    int32_t x = 0, y = 0;
    /* Queued segments share the running one's speed range: fix one that covers the path speed. */
    for (uint8_t axis = 0; axis < 2; ++axis)
        if (!ok("KTR4_fix_speed_range", KTR4_fix_speed_range(CARD, axis, PATH_SPEED))
            || !ok("KTR4_set_continuous_flag", KTR4_set_continuous_flag(CARD, axis, 1)))
            return 0;
    if (!give_path() || !wait_until_stopped())
        return 0;
    for (uint8_t axis = 0; axis < 2; ++axis)
        if (!ok("KTR4_set_continuous_flag", KTR4_set_continuous_flag(CARD, axis, 0))
            || !ok("KTR4_unfix_speed_range", KTR4_unfix_speed_range(CARD, axis)))
            return 0;
    if (!ok("KTR4_read_current_position", KTR4_read_current_position(CARD, 0, &x))
        || !ok("KTR4_read_current_position", KTR4_read_current_position(CARD, 1, &y)))
        return 0;
    printf("path of %.1f s ends at (%d, %d)\n", seen.polls / 1000.0, (int)x, (int)y);
    printf("lowest path speed through the corners %.0f pps; at the ramp-down line's joint %.0f pps\n",
           seen.lowest_cruise, seen.lowest_at_last_joint);
    int passed = 1;
    if (x != 0 || y != 0) {
        fprintf(stderr, "continuous_path: the path ends at (%d, %d), not where it started\n", (int)x, (int)y);
        passed = 0;
    }
    if (!seen.up_to_speed || seen.lowest_cruise < 0.95 * PATH_SPEED) {
        fprintf(stderr, "continuous_path: the path speed fell to %.0f pps at a joint\n", seen.lowest_cruise);
        passed = 0;
    }
    if (seen.lowest_at_last_joint > 2.0 * START_SPEED) {
        fprintf(stderr, "continuous_path: the ramp-down line did not start near its start speed\n");
        passed = 0;
    }
    if (!seen.buffer_seen_full) {
        fprintf(stderr, "continuous_path: the buffer was never full: nothing was queued ahead\n");
        passed = 0;
    }
    return passed;
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
