// The simulated machine's signals and the card's reactions to them, driven through the
// library as an application would, on the virtual clock.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "ktr4.h"
#include "ktr4sim.h"
#include "sim_fixture.h"

namespace {

constexpr uint64_t kSecond = KTR4SIM_TICKS_PER_SECOND;

class Machine : public ktr4test::MovingCardTest {
protected:
    static bool run_until_stopped(uint8_t axis, int seconds = 300)
    {
        for (int i = 0; i < seconds * 10; ++i) {
            if (stopped(axis))
                return true;
            ktr4sim_advance(kSecond / 10);
        }
        return stopped(axis);
    }
    static uint32_t error_flag(uint8_t axis)
    {
        uint32_t flags = 0;
        EXPECT_EQ(KTR4_read_error_flag(0, axis, &flags), KTR4_OK);
        return flags;
    }
    static uint32_t event_flag(uint8_t axis)
    {
        uint32_t flags = 0;
        EXPECT_EQ(KTR4_read_event_flag(0, axis, &flags), KTR4_OK);
        return flags;
    }
    static uint8_t point(uint8_t axis, uint8_t p)
    {
        uint8_t state = 9;
        EXPECT_EQ(KTR4_read_point_status(0, axis, p, &state), KTR4_OK);
        return state;
    }
    static void move_to(uint8_t axis, int32_t target)
    {
        ASSERT_EQ(KTR4_TR_position_move(0, axis, target - position(axis), 500, 20000, 0.1, 0.1), KTR4_OK);
        ASSERT_TRUE(run_until_stopped(axis));
        ASSERT_EQ(position(axis), target);
    }
};

// HOME over 5000..5199, EZ every 1000 from 50, EL- at -20000, EL+ at 20000.
class HomeModes : public Machine {
protected:
    void SetUp() override
    {
        Machine::SetUp();
        ASSERT_EQ(ktr4sim_set_home_sensor(0, 0, 1, 5000, 200), 0);
        ASSERT_EQ(ktr4sim_set_index(0, 0, 1, 50, 1000), 0);
        ASSERT_EQ(ktr4sim_set_limits(0, 0, KTR4SIM_BOTH, -20000, 20000), 0);
        ASSERT_EQ(KTR4_set_event_factor(0, 0, KTR4_EVENT_ALL), KTR4_OK);
    }
    // Homes in `mode` and returns where the axis ended.
    static int32_t home(uint8_t mode, uint8_t count, uint8_t direction)
    {
        EXPECT_EQ(KTR4_config_home_mode(0, 0, mode, count), KTR4_OK);
        event_flag(0);  // read-to-clear: only this run's events from here
        EXPECT_EQ(KTR4_start_homing(0, 0, 500, 20000, 0.1, direction), KTR4_OK);
        EXPECT_TRUE(run_until_stopped(0));
        return position(0);
    }
};

TEST_F(HomeModes, EachModeEndsWhereItsSequenceSays)
{
    struct Case {
        uint8_t mode, count;
        int32_t start;
        uint8_t direction;
        int32_t end;
    };
    const Case cases[] = {
        {KTR4_HOME_ORG, 0, 0, KTR4_HOME_DIR_PLUS, 5000},  // at once on HOME turning on
        {KTR4_HOME_ORG_EZ, 0, 0, KTR4_HOME_DIR_PLUS, 5050},  // first EZ after HOME
        {KTR4_HOME_ORG_EZ, 2, 0, KTR4_HOME_DIR_PLUS, 7050},  // third EZ after HOME
        {KTR4_HOME_ORG_BACK, 0, 0, KTR4_HOME_DIR_PLUS, 4999},  // back at FL to where HOME turns off
        {KTR4_HOME_ORG_BACK, 0, 10000, KTR4_HOME_DIR_MINUS, 5200},
        {KTR4_HOME_ORG_BACK_FWD, 0, 0, KTR4_HOME_DIR_PLUS, 5000},  // and forward onto HOME
        {KTR4_HOME_ORG_BACK_FWD, 0, 10000, KTR4_HOME_DIR_MINUS, 5199},
        {KTR4_HOME_ORG_BACK_EZ, 0, 0, KTR4_HOME_DIR_PLUS, 4050},  // first EZ after HOME off, going back
        {KTR4_HOME_EL_BACK, 0, 0, KTR4_HOME_DIR_PLUS, 19999},  // where EL+ turns off
        {KTR4_HOME_EL_BACK, 0, 0, KTR4_HOME_DIR_MINUS, -19999},
        {KTR4_HOME_EL_BACK_EZ, 0, 0, KTR4_HOME_DIR_PLUS, 19050},
        {KTR4_HOME_EZ, 0, 0, KTR4_HOME_DIR_PLUS, 50},  // no HOME: the first EZ
        {KTR4_HOME_EZ, 1, 0, KTR4_HOME_DIR_MINUS, -1950},
        {KTR4_HOME_ORG_BACK_FWD_EZ, 0, 0, KTR4_HOME_DIR_PLUS, 5050},
        {KTR4_HOME_EL_BACK_ORG, 0, 0, KTR4_HOME_DIR_PLUS, 5199},  // HOME met coming back from EL+
        {KTR4_HOME_EL_BACK_ORG_EZ, 0, 0, KTR4_HOME_DIR_PLUS, 5050},
        {KTR4_HOME_ORG_SLOW, 0, 0, KTR4_HOME_DIR_PLUS, 5000},
        {KTR4_HOME_ORG, 0, 5100, KTR4_HOME_DIR_PLUS, 5000},  // started on HOME: leaves it first
        {KTR4_HOME_ORG, 0, 10000, KTR4_HOME_DIR_MINUS, 5199},
    };
    for (const Case& c : cases) {
        move_to(0, c.start);
        EXPECT_EQ(home(c.mode, c.count, c.direction), c.end)
            << "mode " << int(c.mode) << " count " << int(c.count) << " from " << c.start;
        EXPECT_EQ(error_flag(0), 0u) << "mode " << int(c.mode);
        EXPECT_TRUE(event_flag(0) & KTR4_EVENT_HOME_DONE) << "mode " << int(c.mode);
    }
}

TEST_F(HomeModes, DeceleratingModeStopsPastHomeAndTheCountersAreNotZeroed)
{
    const int32_t end = home(KTR4_HOME_ORG_DECEL, 0, KTR4_HOME_DIR_PLUS);
    EXPECT_GT(end, 5199);  // the deceleration from 20000 pps takes some 1000 pulses
    EXPECT_LT(end, 7000);
    // Sensors are on the machine: a counter set elsewhere moves none of them.
    move_to(0, 0);
    ASSERT_EQ(KTR4_set_current_position(0, 0, 100000), KTR4_OK);
    EXPECT_EQ(home(KTR4_HOME_ORG, 0, KTR4_HOME_DIR_PLUS), 105000);
}

TEST_F(HomeModes, AnElInAModeWithoutElIsAFailedHoming)
{
    ASSERT_EQ(ktr4sim_set_home_sensor(0, 0, 0, 0, 0), 0);
    EXPECT_EQ(home(KTR4_HOME_ORG, 0, KTR4_HOME_DIR_PLUS), 20000);
    EXPECT_EQ(error_flag(0), KTR4_ERROR_EL_PLUS);
    const uint32_t events = event_flag(0);
    EXPECT_FALSE(events & KTR4_EVENT_HOME_DONE);
    EXPECT_TRUE(events & KTR4_EVENT_END);
}

TEST_F(HomeModes, InvertedHomeLogicStopsAtOnceAndEzPulsesAreEvents)
{
    move_to(0, 1000);
    ASSERT_EQ(KTR4_set_HOME_pin_logic(0, 0, KTR4_LOGIC_INVERTED), KTR4_OK);
    EXPECT_EQ(point(0, KTR4_POINT_HOME), 1);  // everywhere but its zone
    // On "HOME" at the start: it leaves at FL the other way until the inverted sensor turns off,
    // which is never before the zone's far side; an origin search gives up after its amount.
    ASSERT_EQ(KTR4_start_origin_search_homing(0, 0, 500, 20000, 0.1, KTR4_HOME_DIR_PLUS, 3000), KTR4_OK);
    ASSERT_TRUE(run_until_stopped(0));
    ASSERT_EQ(KTR4_set_HOME_pin_logic(0, 0, KTR4_LOGIC_NORMAL), KTR4_OK);
    EXPECT_EQ(point(0, KTR4_POINT_HOME), 0);

    move_to(0, 0);
    event_flag(0);
    home(KTR4_HOME_ORG_EZ, 3, KTR4_HOME_DIR_PLUS);
    EXPECT_EQ(position(0), 8050);
    EXPECT_TRUE(event_flag(0) & KTR4_EVENT_EZ);
}

TEST_F(HomeModes, OriginSearchGivesUpAfterItsAmountWithTheNotFoundBit)
{
    ASSERT_EQ(KTR4_start_origin_search_homing(0, 0, 500, 20000, 0.1, KTR4_HOME_DIR_MINUS, 3000), KTR4_OK);
    ASSERT_TRUE(run_until_stopped(0));
    EXPECT_EQ(position(0), -3000);
    EXPECT_EQ(error_flag(0), KTR4_ERROR_HOME_NOT_FOUND);
    EXPECT_FALSE(event_flag(0) & KTR4_EVENT_HOME_DONE);
    ASSERT_EQ(KTR4_start_origin_search_homing(0, 0, 500, 20000, 0.1, KTR4_HOME_DIR_PLUS, 9000), KTR4_OK);
    ASSERT_TRUE(run_until_stopped(0));
    EXPECT_EQ(position(0), 5000);
    EXPECT_EQ(error_flag(0), 0u);  // cleared by the start, and found this time
}

TEST_F(Machine, ElStopsAtOnceOrDeceleratingWithItsErrorBitAndLetsTheAxisBackOut)
{
    ASSERT_EQ(ktr4sim_set_limits(0, 1, KTR4SIM_BOTH, -8000, 8000), 0);
    EXPECT_EQ(point(1, KTR4_POINT_EL_PLUS), 0);
    ASSERT_EQ(KTR4_T_velocity_move(0, 1, 500, 10000, 0.1), KTR4_OK);
    ASSERT_TRUE(run_until_stopped(1));
    EXPECT_EQ(position(1), 8000);
    EXPECT_EQ(error_flag(1), KTR4_ERROR_EL_PLUS);
    EXPECT_EQ(point(1, KTR4_POINT_EL_PLUS), 1);
    // Further into the switch: ends at once; away from it: allowed.
    ASSERT_EQ(KTR4_TR_position_move(0, 1, 500, 500, 10000, 0.1, 0.1), KTR4_OK);
    ASSERT_TRUE(run_until_stopped(1));
    EXPECT_EQ(position(1), 8000);
    EXPECT_EQ(error_flag(1), KTR4_ERROR_EL_PLUS);
    move_to(1, 0);
    EXPECT_EQ(error_flag(1), 0u);

    ASSERT_EQ(KTR4_config_EL_MODE(0, 1, KTR4_EL_DECEL_STOP), KTR4_OK);
    ASSERT_EQ(KTR4_T_velocity_move(0, 1, 500, 10000, 0.1), KTR4_OK);
    ASSERT_TRUE(run_until_stopped(1));
    EXPECT_GT(position(1), 8000);
    EXPECT_EQ(error_flag(1), KTR4_ERROR_EL_PLUS);
}

TEST_F(Machine, SoftLimitsStopOrDecelerateOrFlagByTheirSettings)
{
    ASSERT_EQ(KTR4_set_softlimit_data(0, 2, 4000, -3000), KTR4_OK);
    struct Case {
        uint8_t what;
        int32_t end_min, end_max;
    };
    const Case cases[] = {
        {KTR4_SOFTLIMIT_STOP, 4000, 4000}, {KTR4_SOFTLIMIT_DECEL_STOP, 4001, 5999}, {KTR4_SOFTLIMIT_FLAG, 6000, 6000}};
    for (const Case& c : cases) {
        move_to(2, 0);
        ASSERT_EQ(KTR4_config_softlimit(0, 2, KTR4_SOFTLIMIT_COMMAND, c.what), KTR4_OK);
        ASSERT_EQ(KTR4_TR_position_move(0, 2, 6000, 500, 10000, 0.1, 0.1), KTR4_OK);
        ASSERT_TRUE(run_until_stopped(2));
        EXPECT_GE(position(2), c.end_min) << "setting " << int(c.what);
        EXPECT_LE(position(2), c.end_max) << "setting " << int(c.what);
        uint8_t plus = 0, minus = 9;
        ASSERT_EQ(KTR4_read_softlimit_flag(0, 2, &plus, &minus), KTR4_OK);
        EXPECT_EQ(std::tuple(plus, minus), std::tuple(1, 0)) << "setting " << int(c.what);
        EXPECT_EQ(error_flag(2), KTR4_ERROR_SOFT_PLUS) << "setting " << int(c.what);
        ASSERT_EQ(KTR4_enable_softlimit(0, 2, 0), KTR4_OK);
        move_to(2, 0);
        ASSERT_EQ(KTR4_enable_softlimit(0, 2, 1), KTR4_OK);
    }
    // The - limit on the feedback counter, which here counts two per pulse: -3000 at -1500.
    ASSERT_EQ(ktr4sim_set_feedback(0, 2, 2.0), 0);
    ASSERT_EQ(KTR4_set_FB_counter(0, 2, 0), KTR4_OK);
    ASSERT_EQ(KTR4_config_softlimit(0, 2, KTR4_SOFTLIMIT_FEEDBACK, KTR4_SOFTLIMIT_STOP), KTR4_OK);
    ASSERT_EQ(KTR4_TR_position_move(0, 2, -6000, 500, 10000, 0.1, 0.1), KTR4_OK);
    ASSERT_TRUE(run_until_stopped(2));
    EXPECT_EQ(position(2), -1500);
    EXPECT_EQ(error_flag(2), KTR4_ERROR_SOFT_MINUS);
}

TEST_F(Machine, ComparatorConditionsPassingInBothDirections)
{
    struct Case {
        uint8_t condition;
        bool up, down;  // flags on a pass upward, downward
    };
    const Case cases[] = {{KTR4_CMP_EQUAL, true, true},
                          {KTR4_CMP_EQUAL_UP, true, false},
                          {KTR4_CMP_EQUAL_DOWN, false, true},
                          {KTR4_CMP_GREATER, true, false},
                          {KTR4_CMP_LESS, false, true}};
    for (const Case& c : cases) {
        for (const bool upward : {true, false}) {
            const int32_t from = upward ? 4000 : 6000, to = upward ? 6000 : 4000;
            move_to(3, from);
            // > and < that hold where the comparator is configured flag at once; the flag then
            // stays until the data or the configuration is written again.
            ASSERT_EQ(KTR4_config_comparator_out(0, 3, KTR4_CMP_SRC_COMMAND, c.condition, KTR4_CMP_ACT_FLAG), KTR4_OK);
            ASSERT_EQ(KTR4_set_comparator_data(0, 3, 5000), KTR4_OK);
            const bool holds_now =
                (c.condition == KTR4_CMP_GREATER && from > 5000) || (c.condition == KTR4_CMP_LESS && from < 5000);
            const std::string what = "condition " + std::to_string(c.condition) + (upward ? " up" : " down");
            uint8_t flag = 9;
            ASSERT_EQ(KTR4_read_compare_flag(0, 3, &flag), KTR4_OK);
            EXPECT_EQ(flag, holds_now ? 1 : 0) << what;
            move_to(3, upward ? 4999 : 5001);
            ASSERT_EQ(KTR4_read_compare_flag(0, 3, &flag), KTR4_OK);
            EXPECT_EQ(flag, holds_now ? 1 : 0) << what;
            move_to(3, to);
            ASSERT_EQ(KTR4_read_compare_flag(0, 3, &flag), KTR4_OK);
            EXPECT_EQ(flag, (holds_now || (upward ? c.up : c.down)) ? 1 : 0) << what;
            // The CMP output follows the flag (level mode of KTR4_init_card).
            EXPECT_EQ(point(3, KTR4_POINT_CMP), flag);
        }
    }
}

TEST_F(Machine, ComparatorFlagsAtItsDataAndItsStopEndsTheMoveThereWithTheErrorBit)
{
    ASSERT_EQ(KTR4_set_event_factor(0, 1, KTR4_EVENT_COMPARE | KTR4_EVENT_END), KTR4_OK);
    ASSERT_EQ(KTR4_config_comparator_out(0, 1, KTR4_CMP_SRC_COMMAND, KTR4_CMP_EQUAL, KTR4_CMP_ACT_FLAG), KTR4_OK);
    ASSERT_EQ(KTR4_set_comparator_data(0, 1, 5000), KTR4_OK);
    move_to(1, 4999);
    uint8_t flag = 9;
    ASSERT_EQ(KTR4_read_compare_flag(0, 1, &flag), KTR4_OK);
    EXPECT_EQ(flag, 0);
    move_to(1, 5000);
    ASSERT_EQ(KTR4_read_compare_flag(0, 1, &flag), KTR4_OK);
    EXPECT_EQ(flag, 1);
    EXPECT_TRUE(event_flag(1) & KTR4_EVENT_COMPARE);
    EXPECT_EQ(event_flag(1), 0u);  // read-to-clear

    ASSERT_EQ(KTR4_config_comparator_out(0, 1, KTR4_CMP_SRC_COMMAND, KTR4_CMP_EQUAL, KTR4_CMP_ACT_STOP), KTR4_OK);
    ASSERT_EQ(KTR4_set_comparator_data(0, 1, 7777), KTR4_OK);
    ASSERT_EQ(KTR4_TR_position_move(0, 1, 20000, 500, 20000, 0.1, 0.1), KTR4_OK);
    ASSERT_TRUE(run_until_stopped(1));
    EXPECT_EQ(position(1), 7777);
    EXPECT_EQ(error_flag(1), KTR4_ERROR_COMPARE_STOP);
    uint8_t field = 0;
    uint32_t events = 0, last = 0;
    ASSERT_EQ(KTR4_read_INT_status(0, 1, &field, &events, &last), KTR4_OK);
    EXPECT_TRUE(field & KTR4_INT_ERROR);
    EXPECT_TRUE(field & KTR4_INT_EVENT);
    EXPECT_EQ(events & (KTR4_EVENT_COMPARE | KTR4_EVENT_END), KTR4_EVENT_COMPARE | KTR4_EVENT_END);
    EXPECT_EQ(last, KTR4_ERROR_COMPARE_STOP);
}

TEST_F(Machine, AlarmStopsTheAxisRefusesStartsAndArstClearsIt)
{
    ASSERT_EQ(KTR4_T_velocity_move(0, 0, 500, 5000, 0.1), KTR4_OK);
    ktr4sim_advance(kSecond);
    ASSERT_EQ(ktr4sim_raise_alarm(0, 0), 0);
    EXPECT_TRUE(stopped(0));
    const int32_t where = position(0);
    EXPECT_EQ(error_flag(0), KTR4_ERROR_ALARM);
    EXPECT_EQ(point(0, KTR4_POINT_ALM), 1);
    ASSERT_EQ(KTR4_TR_position_move(0, 0, 1000, 500, 5000, 0.1, 0.1), KTR4_OK);
    ASSERT_TRUE(run_until_stopped(0));
    EXPECT_EQ(position(0), where);
    EXPECT_EQ(error_flag(0), KTR4_ERROR_ALARM);
    ASSERT_EQ(KTR4_write_output_point(0, 0, KTR4_OUT_ARST, 1), KTR4_OK);
    EXPECT_EQ(point(0, KTR4_POINT_ALM), 0);
    EXPECT_EQ(point(0, KTR4_POINT_ARST), 1);
    move_to(0, where + 1000);

    // Decelerating stop option.
    ASSERT_EQ(KTR4_config_ALM_PIN(0, 0, KTR4_ALM_DECEL_STOP, KTR4_LOGIC_NORMAL), KTR4_OK);
    ASSERT_EQ(KTR4_T_velocity_move(0, 0, 500, 5000, 0.1), KTR4_OK);
    ktr4sim_advance(kSecond);
    ASSERT_EQ(ktr4sim_raise_alarm(0, 0), 0);
    EXPECT_FALSE(stopped(0));
    ASSERT_TRUE(run_until_stopped(0));
    EXPECT_EQ(error_flag(0), KTR4_ERROR_ALARM);
}

TEST_F(Machine, LatchAtAPositionOrOnDemandTakesTheCounterTheLatchWordNames)
{
    ASSERT_EQ(KTR4_set_event_factor(0, 2, KTR4_EVENT_LATCH), KTR4_OK);
    ASSERT_EQ(ktr4sim_set_latch_at(0, 2, 1, 3000), 0);
    ASSERT_EQ(KTR4_set_current_position(0, 2, -50000), KTR4_OK);  // the machine stays where it is
    ASSERT_EQ(KTR4_config_LTC_PIN(0, 2, KTR4_LTC_COMMAND, KTR4_LOGIC_NORMAL), KTR4_OK);
    ASSERT_EQ(KTR4_TR_position_move(0, 2, 5000, 500, 10000, 0.1, 0.1), KTR4_OK);
    ASSERT_TRUE(run_until_stopped(2));
    int32_t latched = 0;
    ASSERT_EQ(KTR4_read_FBcounter_latch_value(0, 2, &latched), KTR4_OK);
    EXPECT_EQ(latched, -47000);
    EXPECT_EQ(event_flag(2), KTR4_EVENT_LATCH);

    ASSERT_EQ(KTR4_set_FB_counter(0, 2, 31), KTR4_OK);
    ASSERT_EQ(KTR4_config_LTC_PIN(0, 2, KTR4_LTC_FEEDBACK, KTR4_LOGIC_NORMAL), KTR4_OK);
    ASSERT_EQ(ktr4sim_latch_now(0, 2), 0);
    ASSERT_EQ(KTR4_read_FBcounter_latch_value(0, 2, &latched), KTR4_OK);
    EXPECT_EQ(latched, 31);
}

TEST_F(Machine, SlowDownSlowsOrStopsAsItsOptionsSay)
{
    ASSERT_EQ(ktr4sim_set_slowdown(0, 1, KTR4SIM_BOTH, -6000, 6000), 0);
    ASSERT_EQ(KTR4_set_event_factor(0, 1, KTR4_EVENT_SD), KTR4_OK);
    // Not enabled: the event only.
    ASSERT_EQ(KTR4_TR_position_move(0, 1, 20000, 500, 10000, 0.1, 0.1), KTR4_OK);
    ASSERT_TRUE(run_until_stopped(1));
    EXPECT_EQ(position(1), 20000);
    EXPECT_EQ(event_flag(1), KTR4_EVENT_SD);
    move_to(1, 0);

    // Slowed to the start speed, latched: reaches its end at 500 pps.
    ASSERT_EQ(KTR4_config_SD_PIN(0, 1, 1, KTR4_LOGIC_NORMAL, KTR4_SD_SLOW, KTR4_SD_LATCHED), KTR4_OK);
    ASSERT_EQ(KTR4_TR_position_move(0, 1, 20000, 500, 10000, 0.1, 0.1), KTR4_OK);
    ktr4sim_advance(2 * kSecond);
    EXPECT_GT(position(1), 6000);
    double speed = 0;
    ASSERT_EQ(KTR4_read_speed(0, 1, &speed), KTR4_OK);
    EXPECT_NEAR(speed, 500, 5);
    ASSERT_TRUE(run_until_stopped(1));
    EXPECT_EQ(position(1), 20000);
    move_to(1, 0);

    // Stop: the move ends decelerating past the switch, with no error.
    ASSERT_EQ(KTR4_config_SD_PIN(0, 1, 1, KTR4_LOGIC_NORMAL, KTR4_SD_STOP, KTR4_SD_WHILE_ON), KTR4_OK);
    ASSERT_EQ(KTR4_TR_position_move(0, 1, -20000, 500, 10000, 0.1, 0.1), KTR4_OK);
    ASSERT_TRUE(run_until_stopped(1));
    EXPECT_LT(position(1), -6000);
    EXPECT_GT(position(1), -20000);
    EXPECT_EQ(error_flag(1), 0u);
}

TEST_F(Machine, InpTurnsOnAfterItsSettleTimeAndAnEnabledInpHoldsTheEnd)
{
    ASSERT_EQ(ktr4sim_set_inp_settle(0, 3, 1, 50000), 0);  // 50 ms
    ASSERT_EQ(KTR4_set_event_factor(0, 3, KTR4_EVENT_INP | KTR4_EVENT_END), KTR4_OK);
    ASSERT_EQ(KTR4_config_INP_PIN(0, 3, 1, KTR4_LOGIC_NORMAL), KTR4_OK);
    EXPECT_EQ(point(3, KTR4_POINT_INP), 1);
    ASSERT_EQ(KTR4_TR_position_move(0, 3, 100, 1000, 1000, 0.0, 0.0), KTR4_OK);  // 0.1 s
    EXPECT_EQ(point(3, KTR4_POINT_INP), 0);
    ktr4sim_advance(kSecond / 10 + kSecond / 100);
    EXPECT_EQ(position(3), 100);
    EXPECT_FALSE(stopped(3));
    EXPECT_EQ(event_flag(3), 0u);
    ktr4sim_advance(kSecond / 20);
    EXPECT_TRUE(stopped(3));
    EXPECT_EQ(point(3, KTR4_POINT_INP), 1);
    EXPECT_EQ(event_flag(3), KTR4_EVENT_INP | KTR4_EVENT_END);
}

TEST_F(Machine, RampEventsAndTheNextEventOfAContinuousMove)
{
    ASSERT_EQ(KTR4_set_event_factor(0, 2, KTR4_EVENT_ACCEL_END | KTR4_EVENT_DECEL_START | KTR4_EVENT_NEXT), KTR4_OK);
    ASSERT_EQ(KTR4_TR_position_move(0, 2, 10000, 500, 10000, 0.1, 0.1), KTR4_OK);
    ktr4sim_advance(kSecond / 2);
    EXPECT_EQ(event_flag(2), KTR4_EVENT_ACCEL_END);
    ASSERT_TRUE(run_until_stopped(2));
    EXPECT_EQ(event_flag(2), KTR4_EVENT_DECEL_START);
    ASSERT_EQ(KTR4_set_continuous_flag(0, 2, 1), KTR4_OK);
    ASSERT_EQ(KTR4_TR_position_move(0, 2, 1000, 500, 10000, 0.1, 0.1), KTR4_OK);
    ASSERT_EQ(KTR4_TR_position_move(0, 2, 1000, 500, 10000, 0.1, 0.1), KTR4_OK);
    ASSERT_TRUE(run_until_stopped(2));
    EXPECT_TRUE(event_flag(2) & KTR4_EVENT_NEXT);
}

TEST_F(Machine, ErrorFlagStaysThroughReadsAndClearsAtTheNextStart)
{
    ASSERT_EQ(ktr4sim_set_limits(0, 0, KTR4SIM_PLUS, 0, 300), 0);
    ASSERT_EQ(KTR4_TR_position_move(0, 0, 1000, 500, 5000, 0.1, 0.1), KTR4_OK);
    ASSERT_TRUE(run_until_stopped(0));
    EXPECT_EQ(error_flag(0), KTR4_ERROR_EL_PLUS);
    EXPECT_EQ(error_flag(0), KTR4_ERROR_EL_PLUS);
    ASSERT_EQ(KTR4_TR_position_move(0, 0, -100, 500, 5000, 0.1, 0.1), KTR4_OK);
    EXPECT_EQ(error_flag(0), 0u);
}

}  // namespace
