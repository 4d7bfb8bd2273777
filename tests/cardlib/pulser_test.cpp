// The card's pulser motion and the setup of the library's pulser follower.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>
#include <tuple>

#include "frame/card_table.h"
#include "frame/export_call.h"
#include "pulser_follower.h"
#include "ktr4.h"
#include "ktr4sim.h"
#include "sim_fixture.h"

namespace {

using ktr4test::RegisterWrite;

using Pulser = ktr4test::OneCardTest;

TEST_F(Pulser, ModeFieldAndCounter)
{
    set_reg(0, 1, 0xDD, 0xFFFFFFFFu);
    EXPECT_EQ(KTR4_config_pulser_mode(0, 1, 2, 1), KTR4_OK);
    EXPECT_EQ(reg(0, 1, 0xDD), 0xFEFFFFFFu);  // mode 2 + option 4 in bits 24-26
    uint8_t mode = 9, option = 9;
    EXPECT_EQ(KTR4_readback_pulser_mode(0, 1, &mode, &option), KTR4_OK);
    EXPECT_EQ(std::tuple(mode, option), std::tuple(2, 1));
    EXPECT_EQ(KTR4_config_pulser_mode(0, 1, 4, 0), KTR4_ERR_RANGE);
    EXPECT_EQ(KTR4_config_pulser_mode(0, 1, 0, 2), KTR4_ERR_RANGE);

    EXPECT_EQ(KTR4_set_pulser_counter(0, 1, -77), KTR4_OK);
    EXPECT_EQ(ktr4::axis_state(0, 1).pulser.previous_scaled_count, -77);
    int32_t count = 0;
    EXPECT_EQ(KTR4_read_pulser_counter(0, 1, &count), KTR4_OK);
    EXPECT_EQ(count, -77);
}

TEST_F(Pulser, VelocityMoveWritesSpeedMagnificationModeThenStarts)
{
    EXPECT_EQ(KTR4_run_pulser_Vmove(0, 2, -3000), KTR4_OK);
    const uint32_t mg = std::min(19660500u / 3000 - 1, 4095u);
    const uint32_t fh = (mg + 1) * 3000 / 300;
    const uint32_t mode = (0x01000041u & ~0x7Fu) | 0x01u;
    EXPECT_EQ(register_writes(), (std::vector<RegisterWrite> {{2, 0x92, fh}, {2, 0x95, mg}, {2, 0x97, mode}}));
    EXPECT_EQ(commands(), (std::vector<uint32_t> {0x0451}));

    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_run_pulser_Vmove(0, 2, 6553501), KTR4_ERR_RANGE);
    set_status(0, 2, KTR4SIM_MAIN_STATUS, 0);
    EXPECT_EQ(KTR4_run_pulser_Vmove(0, 2, 100), KTR4_ERR_MOVING);
    EXPECT_TRUE(register_writes().empty());
}

TEST_F(Pulser, PositionMoveTracksTheCommandedEnd)
{
    ktr4::axis_state(0, 0).end.commanded_end = 500;
    EXPECT_EQ(KTR4_run_pulser_Pmove(0, 0, 500, 1, 1000), KTR4_OK);  // absolute to where it is
    auto writes = register_writes();
    ASSERT_EQ(writes.size(), 4u);
    EXPECT_EQ(writes[0], (RegisterWrite {0, 0x90, 0}));
    EXPECT_EQ(writes[3].value & 0x7Fu, 0x51u);

    ktr4sim_trace_clear();
    set_reg(0, 0, 0xE3, 500);  // the first move ended where it was sent
    ktr4::axis_state(0, 0).profile.mode_variant = 1;
    EXPECT_EQ(KTR4_run_pulser_Pmove(0, 0, -200, 0, 1000), KTR4_OK);  // relative
    writes = register_writes();
    EXPECT_EQ(writes[0], (RegisterWrite {0, 0x90, static_cast<uint32_t>(-200)}));
    EXPECT_EQ(writes[3].value & 0x7Fu, 0x59u);
    EXPECT_EQ(ktr4::axis_state(0, 0).end.commanded_end, 300);
}

TEST_F(Pulser, PositionMoveBooksAStopBeforeTakingItsAmount)
{
    auto& state = ktr4::axis_state(0, 3);
    state.end.bookkeeping_armed = 1;
    state.end.commanded_end = 1000;
    set_reg(0, 3, 0xE3, 900);  // stopped 100 short
    EXPECT_EQ(KTR4_run_pulser_Pmove(0, 3, 1000, 1, 500), KTR4_OK);
    EXPECT_EQ(register_writes()[0], (RegisterWrite {3, 0x90, 100}));
    EXPECT_EQ(state.end.lost_pulses, 100);

    set_status(0, 3, KTR4SIM_MAIN_STATUS, 0);
    EXPECT_EQ(KTR4_run_pulser_Pmove(0, 3, 1, 0, 500), KTR4_ERR_MOVING);
    set_status(0, 3, KTR4SIM_MAIN_STATUS, 0x0008);
    EXPECT_EQ(KTR4_run_pulser_Pmove(0, 3, 1, 0, -6553501), KTR4_ERR_RANGE);
}

TEST_F(Pulser, MapSynchronisesToTheSourceAndTheFollowersPosition)
{
    set_reg(0, 2, 0xE6, 40);  // source counter
    set_reg(0, 1, 0xE3, 123);  // follower position
    auto& state = ktr4::axis_state(0, 1);
    state.pulser.follower.history[2] = 9;
    EXPECT_EQ(KTR4_set_pulser_Map(0, 1, 2, 1), KTR4_OK);
    EXPECT_EQ(std::tuple(state.pulser.follow_source, state.pulser.follower.direction), std::tuple(2, -1));
    EXPECT_EQ(state.pulser.previous_scaled_count, -40);
    EXPECT_EQ(state.pulser.follower.history[2], 0);
    EXPECT_EQ(std::tuple(state.pulser.follower.target, state.end.commanded_end), std::tuple(123, 123));

    EXPECT_EQ(KTR4_set_pulser_Map(0, 1, 4, 0), KTR4_ERR_RANGE);
    EXPECT_EQ(KTR4_set_pulser_Map(0, 1, 0, 2), KTR4_ERR_RANGE);
    EXPECT_EQ(KTR4_set_pulser_Map(5, 9, 0, 0), KTR4_ERR_NOT_INITIALISED);  // before the axis
}

TEST_F(Pulser, EnableSynchronisesOnlyWhenSwitchingOn)
{
    ASSERT_EQ(KTR4_set_pulser_Map(0, 0, 3, 0), KTR4_OK);
    set_reg(0, 3, 0xE6, 10);
    set_reg(0, 3, 0xE1, 0xFFFFFFFFu);
    set_reg(0, 0, 0xE3, 50);
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_enable_pulser_motion(0, 0, 1, 10), KTR4_OK);
    EXPECT_EQ(register_writes(), (std::vector<RegisterWrite> {{3, 0xA1, 0x3FFF}}));
    auto& state = ktr4::axis_state(0, 0);
    EXPECT_EQ(std::tuple(state.pulser.follow_enable, state.pulser.previous_scaled_count), std::tuple(1, 10));
    EXPECT_EQ(state.pulser.follower.target, 50);

    // Already on: only the ratio changes.
    set_reg(0, 3, 0xE6, 99);
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_enable_pulser_motion(0, 0, 1, 1000), KTR4_OK);
    EXPECT_TRUE(trace().empty());
    EXPECT_EQ(std::tuple(state.pulser.follow_ratio, state.pulser.previous_scaled_count), std::tuple(1000, 10));

    EXPECT_EQ(KTR4_enable_pulser_motion(0, 0, 1, 1001), KTR4_ERR_RANGE);
    EXPECT_EQ(KTR4_enable_pulser_motion(0, 0, 1, 0), KTR4_ERR_RANGE);
    EXPECT_EQ(KTR4_enable_pulser_motion(0, 0, 2, 1), KTR4_ERR_RANGE);
    EXPECT_EQ(KTR4_enable_pulser_motion(0, 0, 0, 1), KTR4_OK);
    EXPECT_EQ(state.pulser.follow_enable, 0);
}

TEST_F(Pulser, AFailedReadLeavesTheFollowerOff)
{
    ASSERT_EQ(KTR4_set_pulser_Map(0, 0, 1, 0), KTR4_OK);
    ktr4sim_fail(50, 81, 1, 1);  // the follower's position read
    EXPECT_EQ(KTR4_enable_pulser_motion(0, 0, 1, 5), 81);
    EXPECT_EQ(ktr4::axis_state(0, 0).pulser.follow_enable, 0);
    EXPECT_TRUE(register_writes().empty());
}

TEST_F(Pulser, AFailedRemapChangesNothing)
{
    set_reg(0, 1, 0xE6, 30);
    set_reg(0, 2, 0xE6, 100000);
    set_reg(0, 0, 0xE3, 50);
    ASSERT_EQ(KTR4_set_pulser_Map(0, 0, 1, 0), KTR4_OK);
    ASSERT_EQ(KTR4_enable_pulser_motion(0, 0, 1, 1), KTR4_OK);
    auto& state = ktr4::axis_state(0, 0);
    state.pulser.follower.history[1] = 4;
    const uint32_t skips[] = {0, 1};  // the new source's counter read, then the position read
    for (uint32_t skip : skips) {
        ktr4sim_fail(50, 83, skip, 1);
        EXPECT_EQ(KTR4_set_pulser_Map(0, 0, 2, 1), 83) << skip;
        EXPECT_EQ(std::tuple(state.pulser.follow_enable, state.pulser.follow_source), std::tuple(1, 1));
        EXPECT_EQ(std::tuple(state.pulser.follower.direction, state.pulser.previous_scaled_count), std::tuple(1, 30));
        EXPECT_EQ(state.pulser.follower.history[1], 4);
        EXPECT_EQ(state.pulser.follower.target, 50);
    }
    // The next sample still follows the old source, which has not moved.
    ktr4sim_trace_clear();
    ktr4::run_follower_procedure();
    EXPECT_EQ(state.pulser.follower.target, 50);
    EXPECT_EQ(register_reads().front(), 0xE6u);
    EXPECT_EQ(calls_of(50).front().a, 1u);
}

TEST_F(Pulser, InitialResetsTheMapButKeepsDirectionHistoryTargetAndSpeed)
{
    auto& state = ktr4::axis_state(0, 2);
    ASSERT_EQ(KTR4_set_pulser_Map(0, 2, 0, 1), KTR4_OK);
    ASSERT_EQ(KTR4_enable_pulser_motion(0, 2, 1, 7), KTR4_OK);
    state.pulser.follower.history[0] = 5;
    state.pulser.follower.target = 77;
    state.pulser.follower.last_speed = 1500;
    start({0});
    EXPECT_EQ(std::tuple(state.pulser.follow_enable, state.pulser.follow_source), std::tuple(0, 2));
    EXPECT_EQ(std::tuple(state.pulser.follow_ratio, state.pulser.follower.direction), std::tuple(1, -1));
    EXPECT_EQ(state.pulser.follower.history[0], 5);
    EXPECT_EQ(std::tuple(state.pulser.follower.target, state.pulser.follower.last_speed), std::tuple(77, 1500u));
}

class Follower : public ktr4test::SimCardTest {
protected:
    void SetUp() override
    {
        SimCardTest::SetUp();
        start({0});
        set_reg(0, 1, 0xE6, 1000);  // the source's counter
        set_reg(0, 0, 0xE3, 200);  // the follower's position
    }
    void sample(int32_t counter)
    {
        set_reg(0, 1, 0xE6, static_cast<uint32_t>(counter));
        ktr4::run_follower_procedure();
    }
    // The target and speed register of the latest move the follower programmed.
    RegisterWrite last_write(uint32_t code)
    {
        RegisterWrite found {};
        for (const auto& w : register_writes())
            if (w.code == code)
                found = w;
        return found;
    }
};

TEST(FollowerSpeed, FiftyTimesTheTruncatedAverageOfFiveSamples)
{
    const int32_t rising[5] = {30, 30, 30, 30, 30};
    EXPECT_EQ(ktr4::follower_speed(rising), 1500);
    const int32_t falling[5] = {-7, -7, 0, 0, 0};  // −14 / 5 truncates to −2
    EXPECT_EQ(ktr4::follower_speed(falling), -100);
    const int32_t huge[5] = {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX};
    EXPECT_EQ(ktr4::follower_speed(huge), INT32_MAX);
}

TEST_F(Follower, ThreeCountsPerSampleAtRatioTenRunAt1500AndAStillCounterKeepsTheLastSpeed)
{
    ASSERT_EQ(KTR4_set_pulser_Map(0, 0, 1, 0), KTR4_OK);
    ASSERT_EQ(KTR4_enable_pulser_motion(0, 0, 1, 10), KTR4_OK);
    for (int i = 1; i <= 5; ++i)
        sample(1000 + 3 * i);
    const auto& state = ktr4::axis_state(0, 0);
    EXPECT_EQ(std::tuple(state.pulser.follower.target, state.pulser.follower.last_speed), std::tuple(200 + 150, 1500u));
    // The axis stands still on this card, so each sample starts a new move to the target.
    EXPECT_EQ(state.end.commanded_end, 350);
    const uint32_t mg = 19660500 / 1500 - 1 > 4095 ? 4095 : 19660500 / 1500 - 1;
    EXPECT_EQ(last_write(0x92).value, (mg + 1) * 1500 / 300);
    EXPECT_EQ(commands().back(), 0x0153u);

    // Unchanged samples fade the average out: 1200, 900, 600, 300, then 0.
    for (int i = 0; i < 5; ++i)
        sample(1015);
    EXPECT_EQ(std::tuple(state.pulser.follower.target, state.pulser.follower.last_speed), std::tuple(350, 300u));
    // The fifth still sample's speed is 0, so the last non-zero speed drives it.
    const uint32_t slow_mg = 4095;  // 300 pps is below the top range's limit
    EXPECT_EQ(last_write(0x92).value, (slow_mg + 1) * 300 / 300);
    ktr4sim_trace_clear();
    sample(1015);
    EXPECT_EQ(last_write(0x92).value, (slow_mg + 1) * 300 / 300);
    EXPECT_EQ(state.pulser.follower.last_speed, 300u);
}

TEST_F(Follower, ReverseMappingDrivesARisingCounterNegative)
{
    ASSERT_EQ(KTR4_set_pulser_Map(0, 0, 1, 1), KTR4_OK);
    ASSERT_EQ(KTR4_enable_pulser_motion(0, 0, 1, 2), KTR4_OK);
    sample(1100);
    EXPECT_EQ(ktr4::axis_state(0, 0).pulser.follower.target, 200 - 200);
    sample(1000);
    EXPECT_EQ(ktr4::axis_state(0, 0).pulser.follower.target, 200);
}

TEST_F(Follower, AFixedSpeedRangeIsSetAsideForTheSampleAndRestored)
{
    ASSERT_EQ(KTR4_fix_speed_range(0, 0, 100), KTR4_OK);
    ASSERT_EQ(KTR4_set_pulser_Map(0, 0, 1, 0), KTR4_OK);
    ASSERT_EQ(KTR4_enable_pulser_motion(0, 0, 1, 100), KTR4_OK);
    sample(1100);  // 10 000 counts: a speed the fixed range could not hold
    EXPECT_NE(ktr4::axis_state(0, 0).profile.speed_range_fixed, 0u);
    EXPECT_NE(last_write(0x95).value, ktr4::axis_state(0, 0).profile.fixed_magnification);
}

TEST_F(Follower, AChangeThatFailedOnTheCardDoesNotKeepTheReplacingMoveFromStarting)
{
    ASSERT_EQ(KTR4_set_pulser_Map(0, 0, 1, 0), KTR4_OK);
    ASSERT_EQ(KTR4_enable_pulser_motion(0, 0, 1, 10), KTR4_OK);
    ktr4sim_trace_clear();
    ktr4sim_fail(12, 77, 0, 1);  // the change's status read
    sample(1003);
    // The move that replaces the change keeps a record of its own: written and started.
    EXPECT_EQ(ktr4::axis_state(0, 0).end.commanded_end, 230);
    EXPECT_EQ(commands(), std::vector<uint32_t> {0x0153});
}

TEST_F(Follower, UnenabledOrUnmappedAxesStayStill)
{
    sample(5000);
    EXPECT_TRUE(register_writes().empty());
    ASSERT_EQ(KTR4_enable_pulser_motion(0, 2, 1, 5), KTR4_OK);  // enabled, never mapped
    sample(6000);
    EXPECT_EQ(ktr4::axis_state(0, 2).pulser.follower.target, 0);
}

TEST_F(Follower, TheTimerFollowsOnItsOwnAndStopsAtClose)
{
    ASSERT_EQ(KTR4_set_pulser_Map(0, 0, 1, 0), KTR4_OK);
    ASSERT_EQ(KTR4_enable_pulser_motion(0, 0, 1, 1), KTR4_OK);
    ktr4::start_follower_timer();
    set_reg(0, 1, 0xE6, 1040);
    int32_t target = 0;
    ktr4test::eventually([&] {
        std::lock_guard<std::mutex> lock(ktr4::library_mutex());
        return (target = ktr4::axis_state(0, 0).pulser.follower.target) == 240;
    });
    EXPECT_EQ(target, 240);
    EXPECT_EQ(KTR4_close(), KTR4_OK);
    ktr4sim_trace_clear();
    set_reg(0, 1, 0xE6, 2000);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // five periods with no timer
    EXPECT_TRUE(trace().empty());
}

}  // namespace
