// Ramps and the profile runner, against the timing the card's registers promise.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "motion/ramp.h"
#include "motion/runner.h"

namespace {

using ktr4sim::motion::EndReason;
using ktr4sim::motion::plan_ramp;
using ktr4sim::motion::Profile;
using ktr4sim::motion::Ramp;
using ktr4sim::motion::RampShape;
using ktr4sim::motion::Runner;
using ktr4sim::motion::Tick;

constexpr Tick kFarFuture = Tick {1} << 50;

// Speed at the end of the ramp's last piece.
double end_speed(const Ramp& ramp)
{
    return ramp.pieces[static_cast<size_t>(ramp.count - 1)].end_speed();
}

TEST(Ramp, LinearRampTakesFourTicksPerRateStepPerSpeedUnit)
{
    std::mt19937 rng(11);
    for (int i = 0; i < 2000; ++i) {
        const uint32_t from = rng() % 65535 + 1, to = rng() % 65535 + 1, rate = rng() % 65535 + 1;
        const Ramp ramp = plan_ramp(from, to, {rate, false, 0});
        if (from == to) {
            EXPECT_EQ(ramp.count, 0);
            continue;
        }
        const Tick expected = 4 * (Tick {rate} + 1) * std::abs(static_cast<Tick>(to) - static_cast<Tick>(from));
        ASSERT_EQ(ramp.ticks(), expected) << from << " -> " << to << " rate " << rate;
        EXPECT_NEAR(end_speed(ramp), to, 1e-6 * to);
        // A linear ramp covers the mean speed over its time.
        EXPECT_NEAR(ramp.area(), (from + to) / 2.0 * static_cast<double>(expected), 1e-6 * ramp.area());
    }
}

TEST(Ramp, SCurveTimesFollowTheRangeAndStayBetweenTheEndSpeeds)
{
    std::mt19937 rng(12);
    for (int i = 0; i < 2000; ++i) {
        const uint32_t from = rng() % 30000 + 1, to = from + rng() % 30000 + 1, rate = rng() % 200 + 1;
        const uint32_t range = (i % 3 == 0) ? 0 : rng() % ((to - from) / 2 + 1);
        const Ramp ramp = plan_ramp(from, to, {rate, true, range});
        const Tick per_unit = 4 * (Tick {rate} + 1);
        const Tick expected = range == 0 ? 2 * per_unit * (to - from) : per_unit * (to - from + 2 * range);
        ASSERT_NEAR(static_cast<double>(ramp.ticks()), static_cast<double>(expected), 2.0)
            << from << " -> " << to << " rate " << rate << " range " << range;
        EXPECT_NEAR(end_speed(ramp), to, 1e-6 * to);
        // Speed rises monotonically and never leaves [from, to].
        double last = from;
        for (int p = 0; p < ramp.count; ++p) {
            const auto& piece = ramp.pieces[static_cast<size_t>(p)];
            for (int k = 0; k <= 16; ++k) {
                const double v = piece.speed(piece.ticks * k / 16);
                ASSERT_GE(v, last - 1e-6);
                ASSERT_LE(v, to + 1e-6);
                last = v;
            }
        }
    }
}

TEST(Ramp, ADownwardRampMirrorsTheUpward)
{
    const Ramp up = plan_ramp(1000, 9000, {20, true, 1500});
    const Ramp down = plan_ramp(9000, 1000, {20, true, 1500});
    EXPECT_EQ(up.ticks(), down.ticks());
    EXPECT_NEAR(up.area() + down.area(), 10000.0 * static_cast<double>(up.ticks()), 1e-6 * up.area());
}

// Random registers of a position move, in the ranges the library writes.
struct Case {
    Profile profile;
    int64_t distance;
};

Case random_case(std::mt19937& rng, bool s_curve)
{
    Case c;
    Profile& p = c.profile;
    p.mg = rng() % 4000 + 2;
    p.fh = rng() % 65000 + 500;
    p.fl = rng() % (p.fh / 2) + 1;
    p.ur = rng() % 60 + 1;
    p.dr = rng() % 60 + 1;
    p.s_curve = s_curve;
    if (s_curve) {
        p.s_acc = rng() % 2 ? rng() % ((p.fh - p.fl) / 2 + 1) : 0;
        p.s_dec = rng() % 2 ? rng() % ((p.fh - p.fl) / 2 + 1) : 0;
    }
    c.distance = rng() % 3 == 0 ? rng() % 2000 : rng() % 200000;
    p.manual_dp = rng() % 2 == 0;
    p.dp = p.manual_dp ? rng() % static_cast<uint32_t>(c.distance / 2 + 1) : 0;
    return c;
}

Tick run_to_end(Runner runner)
{
    runner.advance_to(kFarFuture);
    return runner.end_tick();
}

class RandomMoves : public ::testing::TestWithParam<bool> { };

TEST_P(RandomMoves, EndExactlyAtTheTargetWithoutExceedingTheOperatingSpeed)
{
    std::mt19937 rng(GetParam() ? 21 : 22);
    for (int i = 0; i < 3000; ++i) {
        const Case c = random_case(rng, GetParam());
        Runner runner;
        runner.start_position(1000, c.profile, c.distance);
        const Tick end = run_to_end(runner);
        if (c.distance == 0) {  // nothing to do: over on the tick it starts
            EXPECT_EQ(end, 1000);
            continue;
        }
        int64_t last = 0;
        for (int k = 1; k <= 40; ++k) {
            runner.advance_to(1000 + (end - 1000) * k / 41);
            ASSERT_LE(runner.speed(), c.profile.fh + 1e-6) << "case " << i;
            ASSERT_GE(runner.pulses(), last) << "case " << i;
            ASSERT_LT(runner.pulses(), c.distance) << "case " << i;
            last = runner.pulses();
        }
        runner.advance_to(end);
        ASSERT_FALSE(runner.running()) << "case " << i;
        EXPECT_EQ(runner.end_reason(), EndReason::Target);
        ASSERT_EQ(runner.pulses(), c.distance) << "case " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(TAndSCurves, RandomMoves, ::testing::Bool());

TEST(Runner, AFullTCurveTakesTheTimeItsRegistersGive)
{
    std::mt19937 rng(31);
    int full = 0;
    for (int i = 0; i < 4000; ++i) {
        Case c = random_case(rng, false);
        Profile& p = c.profile;
        p.manual_dp = false;
        const double m = p.mg + 1.0, span = p.fh - static_cast<double>(p.fl);
        const double acc_ticks = 4.0 * (p.ur + 1.0) * span, dec_ticks = 4.0 * (p.dr + 1.0) * span;
        const double ramps = (p.fh + static_cast<double>(p.fl)) / 2 * (acc_ticks + dec_ticks) / (65536.0 * m);
        if (static_cast<double>(c.distance) <= ramps + 1)
            continue;
        ++full;
        const double expected = acc_ticks + dec_ticks + (static_cast<double>(c.distance) - ramps) * 65536.0 * m / p.fh;
        Runner runner;
        runner.start_position(0, p, c.distance);
        const auto took = static_cast<double>(run_to_end(runner));
        ASSERT_NEAR(took, expected, expected * 0.01) << "case " << i;
    }
    EXPECT_GT(full, 1000);
}

TEST(Runner, ManualRampDownPointStartsTheDecelerationThere)
{
    // dp is far more than the 9 500 pulses the ramp needs: it arrives early and creeps.
    const Profile p {.fl = 1000, .fh = 20000, .ur = 9, .dr = 9, .mg = 299, .dp = 30000, .manual_dp = true};
    Runner runner;
    runner.start_position(0, p, 100000);
    // The last tick at full speed is the first with at most dp pulses left.
    Tick lo = 0, hi = Tick {1} << 32;
    while (hi - lo > 1) {
        Runner probe = runner;
        const Tick mid = (lo + hi) / 2;
        probe.advance_to(mid);
        if (100000 - probe.pulses() <= 30000)
            hi = mid;
        else
            lo = mid;
    }
    Runner before = runner, after = runner;
    before.advance_to(lo);
    EXPECT_DOUBLE_EQ(before.speed(), 20000.0);
    after.advance_to(hi + 4 * 10 * 100);
    EXPECT_LT(after.speed(), 20000.0);
    // Down at the start speed long before the end: it creeps the rest of the way.
    Runner creep = runner;
    creep.advance_to(hi + 4 * 10 * 19000 + 1000);
    EXPECT_TRUE(creep.running());
    EXPECT_DOUBLE_EQ(creep.speed(), 1000.0);
    creep.advance_to(kFarFuture);
    EXPECT_EQ(creep.pulses(), 100000);
}

TEST(Runner, ATooLateRampDownPointStillStopsOnTheTarget)
{
    const Profile p {.fl = 100, .fh = 30000, .ur = 50, .dr = 50, .mg = 299, .dp = 10, .manual_dp = true};
    Runner runner;
    runner.start_position(0, p, 80000);
    runner.advance_to(kFarFuture);
    EXPECT_EQ(runner.pulses(), 80000);
    EXPECT_EQ(runner.end_reason(), EndReason::Target);
}

TEST(Runner, VelocityRunsChangeSpeedAndStopOnRequest)
{
    const Profile p {.fl = 500, .fh = 5000, .ur = 10, .dr = 20, .mg = 299};
    Runner runner;
    runner.start_velocity(0, p);
    runner.advance_to(44 * 4500 + 1);  // the ramp takes 4 × 11 ticks per unit
    EXPECT_DOUBLE_EQ(runner.speed(), 5000.0);
    runner.advance_to(19660800);
    EXPECT_TRUE(runner.running());
    runner.change_speed(2000, 10, 20, 299);  // down at the deceleration rate: 84 ticks per unit
    runner.advance_to(19660800 + 84 * 3000 - 100);
    EXPECT_GT(runner.speed(), 2000.0);
    runner.advance_to(19660800 + 84 * 3000 + 1);
    EXPECT_DOUBLE_EQ(runner.speed(), 2000.0);
    const int64_t before = runner.pulses();
    runner.decelerate_stop(20, 0);
    runner.advance_to(kFarFuture);
    EXPECT_FALSE(runner.running());
    EXPECT_EQ(runner.end_reason(), EndReason::Stopped);
    EXPECT_EQ(runner.end_tick(), 19660800 + 84 * 3000 + 1 + 84 * 1500);
    EXPECT_GT(runner.pulses(), before);
}

TEST(Runner, AnImmediateStopHoldsTheCountAndALimitStopsOnItsPulse)
{
    const Profile p {.fl = 3000, .fh = 3000, .mg = 299};
    Runner runner;
    runner.start_velocity(0, p);
    runner.advance_to(19660800);  // one second at 3000 pps
    EXPECT_EQ(runner.pulses(), 3000);
    runner.stop();
    runner.advance_to(2 * 19660800);
    EXPECT_EQ(runner.pulses(), 3000);

    Runner limited;
    limited.start_velocity(0, p);
    limited.set_limit(1234);
    limited.advance_to(kFarFuture);
    EXPECT_EQ(limited.end_reason(), EndReason::Limit);
    EXPECT_EQ(limited.pulses(), 1234);
    EXPECT_NEAR(static_cast<double>(limited.end_tick()), 1234.0 / 3000 * 19660800, 2.0);
}

TEST(Runner, AnEndlessRunSurvivesTheFarEndOfTheClock)
{
    const Profile p {.fl = 0xFFFFFF, .fh = 0xFFFFFF, .mg = 0};
    Runner runner;
    runner.start_velocity(0, p);
    runner.advance_to(Tick {1} << 61);
    EXPECT_TRUE(runner.running());
    EXPECT_GT(runner.pulses(), INT64_C(1) << 40);
}

TEST(Runner, ANewTargetExtendsOrCutsTheRunningMove)
{
    const Profile p {.fl = 100, .fh = 10000, .ur = 5, .dr = 5, .mg = 299};
    Runner longer;
    longer.start_position(0, p, 5000);
    longer.advance_to(19660800 / 10);
    longer.set_target(20000);
    longer.advance_to(kFarFuture);
    EXPECT_EQ(longer.pulses(), 20000);

    Runner shorter;
    shorter.start_position(0, p, 50000);
    shorter.advance_to(19660800);
    const int64_t here = shorter.pulses();
    shorter.set_target(here / 2);  // already past: it stops where it is
    EXPECT_FALSE(shorter.running());
    EXPECT_EQ(shorter.pulses(), here);
}

}  // namespace
