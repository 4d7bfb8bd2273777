/*
 * The manual pulser follower: axis 1 follows the hand wheel (manual pulser) wired to axis 0.
 *
 * KTR4_set_pulser_Map makes axis 1 follow the pulser counter of axis 0 (not reversed), and
 * KTR4_enable_pulser_motion switches the follower on with a ratio of 4 (each pulser pulse
 * moves the axis 4 pulses). The library samples the counter every 20 ms from KTR4_initial
 * until KTR4_close and moves the axis after it.
 *
 * On the simulated card the hand wheel is turned by ktr4sim_pulser_input: 50 pulses every
 * 20 ms for half a second, then 200 pulses back. The program checks that axis 1 ends 4 times
 * the wheel's net turn from where it started. The follower runs in real time, so the program
 * takes a few seconds. Exit status 0 when every check passed.
 */
#define _POSIX_C_SOURCE 200809L
#include <stdio.h>
#include <time.h>

#include <ktr4.h>
#include <ktr4sim.h>

enum { CARD = 0, WHEEL = 0, AXIS = 1, RATIO = 4 };

/* 1 when the call succeeded; otherwise reports its code as text. */
static int ok(const char* call, int32_t rc)
{
    if (rc != KTR4_OK)
        fprintf(stderr, "pulser_follower: %s: %d, %s\n", call, (int)rc, KTR4_error_text(rc));
    return rc == KTR4_OK;
}

static void sleep_ms(long ms)
{
    const struct timespec pause = {ms / 1000, (ms % 1000) * 1000 * 1000};
    nanosleep(&pause, NULL);
}

/* Turns the simulated hand wheel: `pulses` every 20 ms, `times` times. */
static void turn_wheel(int32_t pulses, int times)
{
    for (int i = 0; i < times; ++i) {
        ktr4sim_pulser_input(0, WHEEL, pulses);
        sleep_ms(20);
    }
}

/* Waits up to 3 s for the follower to bring the axis to `target`. */
static int reaches(int32_t target)
{
    int32_t at = 0;
    for (int waited = 0; waited < 3000; waited += 20) {
        if (!ok("KTR4_read_current_position", KTR4_read_current_position(CARD, AXIS, &at)))
            return 0;
        if (at == target) {
            printf("axis %d follows the wheel to %d\n", AXIS, (int)at);
            return 1;
        }
        sleep_ms(20);
    }
    fprintf(stderr, "pulser_follower: axis %d at %d, not %d\n", AXIS, (int)at, (int)target);
    return 0;
}

static int run(void)
{
    int32_t start = 0;
    if (!ok("KTR4_read_current_position", KTR4_read_current_position(CARD, AXIS, &start))
        || !ok("KTR4_set_pulser_Map", KTR4_set_pulser_Map(CARD, AXIS, WHEEL, 0))
        || !ok("KTR4_enable_pulser_motion", KTR4_enable_pulser_motion(CARD, AXIS, 1, RATIO)))
        return 0;
    turn_wheel(50, 25); /* 1250 pulses forward */
    if (!reaches(start + RATIO * 1250))
        return 0;
    turn_wheel(-20, 10); /* 200 back */
    if (!reaches(start + RATIO * 1050))
        return 0;
    return ok("KTR4_enable_pulser_motion", KTR4_enable_pulser_motion(CARD, AXIS, 0, RATIO));
}

int main(void)
{
    if (!ok("KTR4_initial", KTR4_initial()))
        return 1;
    const int passed = ok("KTR4_init_card", KTR4_init_card(CARD)) && run();
    ok("KTR4_close", KTR4_close());
    printf("%s\n", passed ? "done" : "FAILED");
    return passed ? 0 : 1;
}
