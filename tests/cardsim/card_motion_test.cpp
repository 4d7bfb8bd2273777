// The simulated card moving under the library: what an application sees through KTR4_* on a
// virtual clock, and interpolations programmed register by register as the library does.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <random>
#include <thread>
#include <tuple>

#include "ktr4.h"
#include "ktr4io.h"
#include "ktr4sim.h"
#include "sim_fixture.h"
#include "speed_watch.h"

namespace {

constexpr uint64_t kSecond = KTR4SIM_TICKS_PER_SECOND;

class CardMotion : public ktr4test::MovingCardTest {
protected:
    static uint32_t reg(uint32_t axis, uint32_t read_code)
    {
        uint32_t v = 0;
        EXPECT_EQ(ktr4sim_get_register(0, axis, read_code, &v), 0);
        return v;
    }
    // Register writes and commands straight to the driver, as the library issues them.
    static void write(uint16_t axis, uint16_t code, int64_t value)
    {
        ASSERT_EQ(ktr4io_write_register(ktr4sim_handle(0), axis, code, static_cast<uint32_t>(value)), 0);
    }
    static void command(uint16_t axes, uint16_t code)
    {
        ASSERT_EQ(ktr4io_write_port16(ktr4sim_handle(0), 0, static_cast<uint16_t>(axes << 8 | code)), 0);
    }
    // Advances in `step`s until the axis stops; false if it is still moving after `limit` steps.
    static bool run_until_stopped(uint8_t axis, uint64_t step, int limit = 100000)
    {
        for (int i = 0; i < limit; ++i) {
            if (stopped(axis))
                return true;
            ktr4sim_advance(step);
        }
        return stopped(axis);
    }
};

TEST_F(CardMotion, RandomPositionMovesEndOnTheirCommandedPositionWithinTheirSpeed)
{
    std::mt19937 rng(51);
    int32_t expected = 0;
    int full_t = 0;
    for (int i = 0; i < 2000; ++i) {
        const int32_t start = static_cast<int32_t>(rng() % 5000 + 10);
        const int32_t top = start + static_cast<int32_t>(rng() % 400000 + 100);
        const double tacc = (rng() % 500) / 1000.0, tdec = (rng() % 800) / 1000.0;
        const int32_t dist = static_cast<int32_t>(rng() % 200001) - 100000;
        const bool absolute = rng() % 4 == 0, s_curve = rng() % 2 == 0;
        const int32_t sv = static_cast<int32_t>(rng() % (static_cast<uint32_t>(top - start) / 2 + 1));
        const int32_t arg = absolute ? expected + dist : dist;
        const uint64_t t0 = ktr4sim_now();
        const int32_t rc = s_curve ? KTR4_S_curve_position_move(0, 1, arg, absolute, start, top, tacc, tdec, sv, sv / 2)
                                   : KTR4_T_curve_position_move(0, 1, arg, absolute, start, top, tacc, tdec);
        ASSERT_EQ(rc, KTR4_OK) << "case " << i;
        expected += dist;
        if (dist != 0) {
            EXPECT_FALSE(stopped(1)) << "case " << i;
        }
        const uint32_t fh = reg(1, 0xD2);
        const double seconds = std::abs(dist) / static_cast<double>(top) + tacc + tdec + 0.01;
        const uint64_t step = static_cast<uint64_t>(seconds * kSecond / 25) + 1;
        ktr4test::SpeedWatch watch;
        for (int k = 0; k < 2000 && !stopped(1); ++k) {
            ASSERT_LE(reg(1, 0xF5), fh) << "case " << i;
            ASSERT_TRUE(watch.advance(step)) << "case " << i;
        }
        ASSERT_TRUE(stopped(1)) << "case " << i;
        ASSERT_EQ(position(1), expected) << "case " << i;
        ASSERT_EQ(static_cast<int32_t>(reg(1, 0xE4)), expected) << "the feedback counter follows, case " << i;
        const uint32_t mode = reg(1, 0xD7);
        if (s_curve || (mode & 0x04000000))
            continue;
        // A full T-curve: both ramps and the cruise in between, timed from its registers.
        const double fl = reg(1, 0xD1), m = reg(1, 0xD5) + 1.0, span = fh - fl;
        if (span <= 0)
            continue;
        const double ticks_acc = 4.0 * (reg(1, 0xD3) + 1.0) * span, ticks_dec = 4.0 * (reg(1, 0xD4) + 1.0) * span;
        const double ramp_pulses = (fh + fl) / 2 * (ticks_acc + ticks_dec) / (65536.0 * m);
        if (std::abs(dist) <= ramp_pulses)
            continue;
        ++full_t;
        const double computed = ticks_acc + ticks_dec + (std::abs(dist) - ramp_pulses) * 65536.0 * m / fh;
        const auto simulated = static_cast<double>(ktr4sim_stop_tick(0, 1) - static_cast<int64_t>(t0));
        ASSERT_NEAR(simulated, computed, computed * 0.01) << "case " << i;
    }
    EXPECT_GT(full_t, 300);
}

TEST_F(CardMotion, AMovingAxisRefusesANewMoveAndReportsItsSpeed)
{
    ASSERT_EQ(KTR4_TR_position_move(0, 0, 50000, 1000, 10000, 0.1, 0.1), KTR4_OK);
    ktr4sim_advance(kSecond);
    EXPECT_FALSE(stopped(0));
    EXPECT_EQ(KTR4_TR_position_move(0, 0, 10, 1000, 10000, 0.1, 0.1), KTR4_ERR_MOVING);
    double speed = 0;
    ASSERT_EQ(KTR4_read_speed(0, 0, &speed), KTR4_OK);
    EXPECT_NEAR(speed, 10000, 10);
    const int32_t mid = position(0);
    EXPECT_GT(mid, 5000);
    EXPECT_LT(mid, 15000);
    ktr4sim_advance(5 * kSecond);
    EXPECT_TRUE(stopped(0));
    EXPECT_EQ(position(0), 50000);
    ASSERT_EQ(KTR4_read_speed(0, 0, &speed), KTR4_OK);
    EXPECT_EQ(speed, 0);
}

TEST_F(CardMotion, VelocityMovesRunBothWaysChangeSpeedAndStop)
{
    ASSERT_EQ(KTR4_T_velocity_move(0, 0, 100, 5000, 0.2), KTR4_OK);
    ASSERT_EQ(KTR4_T_velocity_move(0, 2, 100, -4000, 0.2), KTR4_OK);
    ktr4sim_advance(2 * kSecond);
    EXPECT_GT(position(0), 8000);
    EXPECT_LT(position(2), -6000);
    double speed = 0;
    ASSERT_EQ(KTR4_velocity_change(0, 0, 20000, 0.1), KTR4_OK);
    ktr4sim_advance(kSecond / 2);
    ASSERT_EQ(KTR4_read_speed(0, 0, &speed), KTR4_OK);
    EXPECT_NEAR(speed, 20000, 20);
    const int32_t before = position(0);
    ktr4sim_advance(kSecond);
    EXPECT_NEAR(position(0) - before, 20000, 25);
    // Here the magnification changes with the speed range: the output rescales, then ramps.
    ASSERT_EQ(KTR4_velocity_change(0, 0, 2000, 0.1), KTR4_OK);
    ktr4sim_advance(kSecond / 2);
    ASSERT_EQ(KTR4_read_speed(0, 0, &speed), KTR4_OK);
    EXPECT_NEAR(speed, 2000, 5);

    // A deceleration stop takes its time; an immediate stop does not.
    ASSERT_EQ(KTR4_dec_stop(0, 0, 0.5), KTR4_OK);
    ktr4sim_advance(kSecond / 4);
    EXPECT_FALSE(stopped(0));
    ktr4sim_advance(kSecond / 2);
    EXPECT_TRUE(stopped(0));
    ASSERT_EQ(KTR4_imd_stop(0, 2), KTR4_OK);
    EXPECT_TRUE(stopped(2));
    const int32_t held = position(2);
    ktr4sim_advance(kSecond);
    EXPECT_EQ(position(2), held);
}

TEST_F(CardMotion, AnEmergencyStopHaltsEveryAxis)
{
    for (uint8_t a = 0; a < 4; ++a)
        ASSERT_EQ(KTR4_T_velocity_move(0, a, 100, 3000 + a * 1000, 0.1), KTR4_OK);
    ktr4sim_advance(kSecond);
    ASSERT_EQ(KTR4_emg_stop(0), KTR4_OK);
    for (uint8_t a = 0; a < 4; ++a) {
        EXPECT_TRUE(stopped(a));
        const int32_t held = position(a);
        ktr4sim_advance(kSecond / 10);
        EXPECT_EQ(position(a), held);
    }
}

TEST_F(CardMotion, APositionChangeMovesTheEndOfTheRunningMove)
{
    ASSERT_EQ(KTR4_TR_position_move(0, 3, 10000, 500, 5000, 0.1, 0.1), KTR4_OK);
    ktr4sim_advance(kSecond / 2);
    ASSERT_EQ(KTR4_position_change(0, 3, 30000, 0), KTR4_OK);
    ASSERT_TRUE(run_until_stopped(3, kSecond / 10));
    EXPECT_EQ(position(3), 30000);
}

TEST_F(CardMotion, LinearInterpolationEndsEveryAxisOnTheSameTickAndStaysOnTheLine)
{
    const std::pair<uint16_t, int64_t> kLineProfile[] = {{0x91, 500}, {0x92, 30000}, {0x93, 20},        {0x94, 20},
                                                         {0x95, 299}, {0x96, 0},     {0x97, 0x01000061}};
    std::mt19937 rng(61);
    for (int i = 0; i < 500; ++i) {
        const uint16_t axes = static_cast<uint16_t>(rng() % 15 + 1);
        std::array<int32_t, 4> dist {}, start {};
        int32_t span = 0;
        for (int a = 0; a < 4; ++a) {
            dist[static_cast<size_t>(a)] = (axes & (1u << a)) ? static_cast<int32_t>(rng() % 60001) - 30000 : 0;
            span = std::max(span, std::abs(dist[static_cast<size_t>(a)]));
            start[static_cast<size_t>(a)] = position(static_cast<uint8_t>(a));
        }
        // A linear interpolation with one shared profile, written as the library writes it.
        for (uint16_t a = 0; a < 4; ++a) {
            if (!(axes & (1u << a)))
                continue;
            write(a, 0x90, dist[a]);
            for (const auto& [code, value] : kLineProfile)
                write(a, code, value);
        }
        command(axes, 0x53);
        ktr4test::SpeedWatch watch;
        for (int k = 0; k < 10000; ++k) {
            bool all = true;
            for (uint8_t a = 0; a < 4; ++a)
                all = all && stopped(a);
            if (all)
                break;
            // Every axis on the line through the start: within a pulse of the longest's share.
            int32_t lead = 0;
            for (int a = 0; a < 4; ++a)
                if (std::abs(dist[static_cast<size_t>(a)]) == span)
                    lead = position(static_cast<uint8_t>(a)) - start[static_cast<size_t>(a)];
            for (int a = 0; a < 4; ++a) {
                if (span == 0)
                    break;
                const double ideal = static_cast<double>(dist[static_cast<size_t>(a)]) * std::abs(lead) / span;
                ASSERT_LE(std::fabs(position(static_cast<uint8_t>(a)) - start[static_cast<size_t>(a)] - ideal), 1.0)
                    << "case " << i;
            }
            ASSERT_TRUE(watch.advance(kSecond / 20)) << "case " << i;
        }
        int64_t end = -1;
        for (uint8_t a = 0; a < 4; ++a) {
            ASSERT_TRUE(stopped(a));
            ASSERT_EQ(position(a), start[a] + dist[a]) << "case " << i << " axis " << int(a);
            if (!(axes & (1u << a)))
                continue;
            if (end < 0)
                end = ktr4sim_stop_tick(0, a);
            ASSERT_EQ(ktr4sim_stop_tick(0, a), end) << "case " << i;
        }
    }
}

TEST_F(CardMotion, ArcsStayOnTheirCircleAndEndOnTheirEndPoint)
{
    std::mt19937 rng(71);
    std::uniform_real_distribution<double> turn(0.1, 6.2);
    for (int i = 0; i < 300; ++i) {
        const int32_t cx = static_cast<int32_t>(rng() % 40001) - 20000,
                      cy = static_cast<int32_t>(rng() % 40001) - 20000;
        const double r = std::hypot(cx, cy), a = turn(rng);
        const auto ex = static_cast<int32_t>(std::lround(cx + r * std::cos(a)));
        const auto ey = static_cast<int32_t>(std::lround(cy + r * std::sin(a)));
        const uint16_t x = static_cast<uint16_t>(i % 4), y = static_cast<uint16_t>((i % 4 + 1 + i % 3) % 4);
        if (x == y)
            continue;
        const int32_t x0 = position(static_cast<uint8_t>(x)), y0 = position(static_cast<uint8_t>(y));
        const uint32_t op = i % 2 ? 0x65 : 0x64;
        for (uint16_t axis : {x, y}) {
            write(axis, 0x90, axis == x ? ex : ey);
            write(axis, 0x91, 20000);
            write(axis, 0x92, 20000);
            write(axis, 0x95, 299);
            write(axis, 0x97, 0x09000000 | op);
            write(axis, 0x98, axis == x ? cx : cy);
        }
        // When y is the lower axis the card mirrors the arc; circle and end point stay the same.
        command(static_cast<uint16_t>((1u << x) | (1u << y)), 0x53);
        int steps = 0;
        ktr4test::SpeedWatch watch;
        while (!stopped(static_cast<uint8_t>(x)) && steps++ < 1000) {
            const double dx = position(static_cast<uint8_t>(x)) - x0 - cx,
                         dy = position(static_cast<uint8_t>(y)) - y0 - cy;
            ASSERT_LE(std::fabs(std::hypot(dx, dy) - r), 1.0) << "case " << i;
            ASSERT_TRUE(watch.advance(kSecond / 50)) << "case " << i;
        }
        ASSERT_TRUE(stopped(static_cast<uint8_t>(y)));
        EXPECT_LE(std::abs(position(static_cast<uint8_t>(x)) - x0 - ex), 1) << "case " << i;
        EXPECT_LE(std::abs(position(static_cast<uint8_t>(y)) - y0 - ey), 1) << "case " << i;
        EXPECT_EQ(ktr4sim_stop_tick(0, x), ktr4sim_stop_tick(0, y));
    }
}

TEST_F(CardMotion, HomingStopsOnTheHomeSensorAndASearchGivesUpAfterItsAmount)
{
    ASSERT_EQ(ktr4sim_set_home(0, 1, 1, -7321), 0);
    ASSERT_EQ(KTR4_start_homing(0, 1, 100, 8000, 0.1, 1), KTR4_OK);
    EXPECT_FALSE(stopped(1));
    ASSERT_TRUE(run_until_stopped(1, kSecond / 10));
    EXPECT_EQ(position(1), -7321);
    // Beyond the sensor and on away from it: a search stops after its amount.
    ASSERT_EQ(KTR4_TR_position_move(0, 1, -1000, 100, 8000, 0.1, 0.1), KTR4_OK);
    ASSERT_TRUE(run_until_stopped(1, kSecond / 10));
    ASSERT_EQ(KTR4_start_origin_search_homing(0, 1, 100, 8000, 0.1, 1, 2000), KTR4_OK);
    ASSERT_TRUE(run_until_stopped(1, kSecond / 10));
    EXPECT_EQ(position(1), -10321);
    ASSERT_EQ(KTR4_start_origin_search_homing(0, 1, 100, 8000, 0.1, 0, 5000), KTR4_OK);
    ASSERT_TRUE(run_until_stopped(1, kSecond / 10));
    EXPECT_EQ(position(1), -7321);
}

TEST_F(CardMotion, ASoftLimitStopsTheAxisOnItAndRaisesItsFlag)
{
    ASSERT_EQ(KTR4_set_softlimit_data(0, 2, 4000, -3000), KTR4_OK);
    ASSERT_EQ(KTR4_config_softlimit(0, 2, 0, 0), KTR4_OK);
    ASSERT_EQ(KTR4_T_velocity_move(0, 2, 100, 6000, 0.1), KTR4_OK);
    ASSERT_TRUE(run_until_stopped(2, kSecond / 10));
    EXPECT_EQ(position(2), 4000);
    uint8_t plus = 0, minus = 0;
    ASSERT_EQ(KTR4_read_softlimit_flag(0, 2, &plus, &minus), KTR4_OK);
    EXPECT_EQ(std::tuple(plus, minus), std::tuple(1, 0));
    ASSERT_EQ(KTR4_TR_position_move(0, 2, -20000, 100, 6000, 0.1, 0.1), KTR4_OK);
    ASSERT_TRUE(run_until_stopped(2, kSecond / 10));
    EXPECT_EQ(position(2), -3000);
    ASSERT_EQ(KTR4_read_softlimit_flag(0, 2, &plus, &minus), KTR4_OK);
    EXPECT_EQ(std::tuple(plus, minus), std::tuple(0, 1));
}

TEST_F(CardMotion, ContinuousMovesQueueBehindTheRunningOneAndFillTheBuffer)
{
    ASSERT_EQ(KTR4_set_continuous_flag(0, 0, 1), KTR4_OK);
    ASSERT_EQ(KTR4_TR_position_move(0, 0, 10000, 1000, 10000, 0.1, 0.1), KTR4_OK);
    uint8_t full = 0;
    ASSERT_EQ(KTR4_check_continuous_buffer(0, 0, &full), KTR4_OK);
    EXPECT_EQ(full, 0);
    ASSERT_EQ(KTR4_TR_position_move(0, 0, -4000, 1000, 10000, 0.1, 0.1), KTR4_OK);
    ASSERT_EQ(KTR4_check_continuous_buffer(0, 0, &full), KTR4_OK);
    EXPECT_EQ(full, 1);
    EXPECT_EQ(KTR4_TR_position_move(0, 0, 1, 1000, 10000, 0.1, 0.1), KTR4_ERR_BUFFER_FULL);
    ASSERT_TRUE(run_until_stopped(0, kSecond / 100));
    EXPECT_EQ(position(0), 6000);
    ASSERT_EQ(KTR4_check_continuous_buffer(0, 0, &full), KTR4_OK);
    EXPECT_EQ(full, 0);
}

TEST_F(CardMotion, AMoveEndRaisesTheEventWhenTheFactorAsksForIt)
{
    ASSERT_EQ(KTR4_TR_position_move(0, 1, 300, 1000, 10000, 0.01, 0.01), KTR4_OK);
    ktr4sim_advance(kSecond);
    uint32_t flags = 0;
    ASSERT_EQ(KTR4_read_event_flag(0, 1, &flags), KTR4_OK);
    EXPECT_EQ(flags, 0u);
    ASSERT_EQ(KTR4_set_event_factor(0, 1, 1), KTR4_OK);
    ASSERT_EQ(KTR4_TR_position_move(0, 1, 300, 1000, 10000, 0.01, 0.01), KTR4_OK);
    ktr4sim_advance(kSecond);
    ASSERT_EQ(KTR4_read_event_flag(0, 1, &flags), KTR4_OK);
    EXPECT_EQ(flags & 1u, 1u);
}

TEST_F(CardMotion, PulserMovesTakeTheInjectedPulses)
{
    ASSERT_EQ(KTR4_run_pulser_Pmove(0, 2, 100, 0, 5000), KTR4_OK);
    EXPECT_FALSE(stopped(2));
    ASSERT_EQ(ktr4sim_pulser_input(0, 2, 30), 0);
    EXPECT_EQ(position(2), 30);
    ASSERT_EQ(ktr4sim_pulser_input(0, 2, -50), 0);  // not behind its start
    EXPECT_EQ(position(2), 0);
    ASSERT_EQ(ktr4sim_pulser_input(0, 2, 150), 0);  // and not beyond its end, where it is over
    EXPECT_EQ(position(2), 100);
    EXPECT_TRUE(stopped(2));
    int32_t count = 0;
    ASSERT_EQ(KTR4_read_pulser_counter(0, 2, &count), KTR4_OK);
    EXPECT_EQ(count, 130);

    ASSERT_EQ(KTR4_run_pulser_Vmove(0, 2, 5000), KTR4_OK);
    ASSERT_EQ(ktr4sim_pulser_input(0, 2, -250), 0);
    EXPECT_EQ(position(2), -150);
    EXPECT_FALSE(stopped(2));
    ASSERT_EQ(KTR4_imd_stop(0, 2), KTR4_OK);
    EXPECT_TRUE(stopped(2));
    ASSERT_EQ(ktr4sim_pulser_input(0, 2, 10), 0);
    EXPECT_EQ(position(2), -150);
}

TEST(CardMotionWallClock, AMoveRunsInRealTime)
{
    ktr4sim_reset();
    ASSERT_EQ(KTR4_initial(), KTR4_OK);
    const auto begin = std::chrono::steady_clock::now();
    // 2000 pulses at 100 000 pps: 20 ms and a little for the ramps.
    ASSERT_EQ(KTR4_TR_position_move(0, 0, 2000, 1000, 100000, 0.001, 0.001), KTR4_OK);
    uint8_t done = 0;
    while (!done) {
        ASSERT_EQ(KTR4_read_motion_status(0, 0, 0, &done), KTR4_OK);
        ASSERT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(19));
    int32_t p = 0;
    ASSERT_EQ(KTR4_read_current_position(0, 0, &p), KTR4_OK);
    EXPECT_EQ(p, 2000);
    ktr4sim_reset();
}

}  // namespace
