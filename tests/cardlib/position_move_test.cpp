// Single-axis position moves and the change of a running move, end to end against the
// simulated card: register values and order, admission, bookkeeping, failures.
#include <gtest/gtest.h>

#include <vector>

#include "frame/card_table.h"
#include "ktr4.h"
#include "ktr4sim.h"
#include "sim_fixture.h"

namespace {

using ktr4test::RegisterWrite;

constexpr uint16_t kStopped = 0x0008;

class PositionMove : public ktr4test::OneCardTest {
protected:
    // The T-curve burst in its order.
    static std::vector<RegisterWrite> t_burst(uint32_t a, int32_t target, uint32_t fl, uint32_t fh, uint32_t ur,
                                              uint32_t dr, uint32_t mg, uint32_t dp, uint32_t mode, uint32_t correction)
    {
        return {{a, 0x90, static_cast<uint32_t>(target)},
                {a, 0x91, fl},
                {a, 0x92, fh},
                {a, 0x93, ur},
                {a, 0x94, dr},
                {a, 0x95, mg},
                {a, 0x96, dp},
                {a, 0x97, mode},
                {a, 0x9B, correction}};
    }
};

TEST_F(PositionMove, ADistanceExactlyEqualToNeedIsShortened)
{
    // Start 300, maximum 3000 pps, Tacc 0.05 s, Tdec 0.5 s: MG 4095, FL 4096, FH 40960, UR 5,
    // DR 65, need = (40960² − 4096²) × 72 / 2^27 = 891 exactly.
    EXPECT_EQ(KTR4_T_curve_position_move(0, 0, 891, 0, 300, 3000, 0.05, 0.5), KTR4_OK);
    EXPECT_EQ(register_writes(), t_burst(0, 891, 4096, 36864, 5, 65, 4095, 660, 0x05002041, 13653));
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_T_curve_position_move(0, 0, -892, 0, 300, 3000, 0.05, 0.5), KTR4_OK);
    EXPECT_EQ(register_writes(), t_burst(0, -892, 4096, 40960, 5, 65, 4095, 816, 0x01002041, 13653));
}

TEST_F(PositionMove, StartSpeedAboveMaximumStillStartsWithTheFastestRates)
{
    // MG 1965 from 10 000 pps: FL = 65535 (clamped from 20 000 pps), FH 65533. need is
    // negative, so the profile is full: DP = trunc(−262 136 × 2 / K) = 0 → 1.
    EXPECT_EQ(KTR4_T_curve_position_move(0, 0, 50000, 0, 20000, 10000, 0.1, 0.3), KTR4_OK);
    EXPECT_EQ(register_writes(), t_burst(0, 50000, 65535, 65533, 1, 1, 1965, 1, 0x01002041, 6553));
    // A shortened one runs below FL: DP = 0xFFFFFF.
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_T_curve_position_move(0, 0, 10, 0, 20000, 65535, 0.1, 0.3), KTR4_OK);
    const auto writes = register_writes();
    EXPECT_LT(writes[2].value, writes[1].value);
    EXPECT_EQ(writes[6], (RegisterWrite {0, 0x96, 0xFFFFFF}));
    EXPECT_EQ(commands(), std::vector<uint32_t> {0x0153});
}

TEST_F(PositionMove, AMovingAxisIsRefusedBeforeAnythingIsBooked)
{
    set_status(0, 1, KTR4SIM_MAIN_STATUS, 0);
    axis(1).end.bookkeeping_armed = 1;
    axis(1).end.commanded_end = 1000;
    set_reg(0, 1, 0xE3, 700);
    EXPECT_EQ(KTR4_T_curve_position_move(0, 1, 100, 0, 0, 1000, 0.1, 0.1), KTR4_ERR_MOVING);
    EXPECT_EQ(KTR4_SA_position_move(0, 1, 100, 0, 1000, 0.1, 0.1, 0, 0), KTR4_ERR_MOVING);
    EXPECT_TRUE(register_writes().empty());
    EXPECT_TRUE(register_reads().empty());  // no position read: note_axis_stop not called
    EXPECT_EQ(axis(1).end.commanded_end, 1000);
}

TEST_F(PositionMove, AFixedSpeedRangeCountsOnlyInContinuousMode)
{
    ASSERT_EQ(KTR4_fix_speed_range(0, 0, 65535), KTR4_OK);  // MG 299
    EXPECT_EQ(KTR4_T_curve_position_move(0, 0, 100, 0, 1000, 10000, 0.1, 0.1), KTR4_OK);
    EXPECT_EQ(register_writes()[5], (RegisterWrite {0, 0x95, 1965}));
    axis(0).profile.continuous = 1;
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_T_curve_position_move(0, 0, 100, 0, 1000, 10000, 0.1, 0.1), KTR4_OK);
    const auto writes = register_writes();
    EXPECT_EQ(writes[2], (RegisterWrite {0, 0x82, 10000}));
    EXPECT_EQ(writes[5], (RegisterWrite {0, 0x85, 299}));
    EXPECT_EQ(writes[8], (RegisterWrite {0, 0x9B, 1000}));
}

TEST_F(PositionMove, RelativeAndAbsoluteMovesOfZeroDistanceStillStart)
{
    axis(0).end.commanded_end = 5000;
    EXPECT_EQ(KTR4_TR_position_move(0, 0, 0, 1000, 10000, 0.1, 0.1), KTR4_OK);
    EXPECT_EQ(register_writes()[0], (RegisterWrite {0, 0x90, 0}));
    EXPECT_EQ(commands().size(), 1u);
    EXPECT_EQ(axis(0).end.commanded_end, 5000);
    set_reg(0, 0, 0xE3, 5000);  // the axis stopped where it was sent
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_TA_position_move(0, 0, 5000, 1000, 10000, 0.1, 0.1), KTR4_OK);
    EXPECT_EQ(register_writes()[0], (RegisterWrite {0, 0x90, 0}));
    EXPECT_EQ(commands().size(), 1u);
}

TEST_F(PositionMove, AStopWithLostPulsesIsBookedBeforeTheNextMove)
{
    EXPECT_EQ(KTR4_TA_position_move(0, 1, 1000, 0, 10000, 0.1, 0.1), KTR4_OK);
    EXPECT_EQ(KTR4_dec_stop(0, 1, 0.1), KTR4_OK);  // arms the bookkeeping
    set_reg(0, 1, 0xE3, 700);  // where the axis really stopped

    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_SA_position_move(0, 1, 2000, 0, 10000, 0.1, 0.1, 0, 0), KTR4_OK);
    EXPECT_EQ(register_writes()[0], (RegisterWrite {1, 0x90, 1300}));  // from 700, not 1000
    EXPECT_EQ(axis(1).end.lost_pulses, 300);
    EXPECT_EQ(axis(1).end.commanded_end, 2000);
    EXPECT_EQ(axis(1).end.correction_pending, 0);  // the absolute move cleared it

    set_reg(0, 1, 0xE3, 1900);  // stopped short again
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_TR_position_move(0, 1, 100, 0, 10000, 0.1, 0.1), KTR4_OK);
    EXPECT_EQ(register_writes()[0], (RegisterWrite {1, 0x90, 100}));  // lost pulses not added
    EXPECT_EQ(axis(1).end.commanded_end, 2000);
    EXPECT_EQ(axis(1).end.lost_pulses, 100);
    EXPECT_EQ(axis(1).end.correction_pending, 1);
}

TEST_F(PositionMove, AfterAnArcARelativeMoveAddsTheLostPulsesOnce)
{
    axis(0).end.commanded_end = 1000;
    axis(0).end.bookkeeping_armed = 1;
    axis(0).end.correction_enable = 1;  // set by the arc moves
    set_reg(0, 0, 0xE3, 960);
    EXPECT_EQ(KTR4_SR_position_move(0, 0, 100, 0, 10000, 0.1, 0.1, 0, 0), KTR4_OK);
    EXPECT_EQ(register_writes()[0], (RegisterWrite {0, 0x90, 140}));
    EXPECT_EQ(axis(0).end.commanded_end, 1100);
    EXPECT_EQ(axis(0).end.correction_enable, 0);
    EXPECT_EQ(axis(0).end.correction_pending, 0);
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_SR_position_move(0, 0, 100, 0, 10000, 0.1, 0.1, 0, 0), KTR4_OK);
    EXPECT_EQ(register_writes()[0], (RegisterWrite {0, 0x90, 100}));
}

TEST_F(PositionMove, ModeByteAndNumberSlotsUseTheLowByteOnly)
{
    axis(3).end.commanded_end = 400;
    EXPECT_EQ(KTR4_T_curve_position_move(0x100, 0x103, 1000, 0x100, 0, 10000, 0.1, 0.1), KTR4_OK);
    EXPECT_EQ(register_writes()[0], (RegisterWrite {3, 0x90, 1000}));  // mode 0x100 is relative
    EXPECT_EQ(axis(3).end.commanded_end, 1400);
    EXPECT_EQ(commands(), std::vector<uint32_t> {0x0853});
}

TEST_F(PositionMove, ValidationComesFirstAndWrappersRecordTheirResult)
{
    EXPECT_EQ(KTR4_S_curve_position_move(1, 4, 0, 0, 0, 0, 0, 0, 0, 0), KTR4_ERR_AXIS);
    EXPECT_EQ(KTR4_TA_position_move(1, 0, 0, 0, 0, 0, 0), KTR4_ERR_NOT_INITIALISED);
    EXPECT_EQ(ktr4::last_result(), KTR4_ERR_NOT_INITIALISED);
    EXPECT_TRUE(trace().empty());
    set_status(0, 0, KTR4SIM_MAIN_STATUS, 0);
    EXPECT_EQ(KTR4_SR_position_move(0, 0, 0, 0, 1000, 0, 0, 0, 0), KTR4_ERR_MOVING);
    EXPECT_EQ(ktr4::last_result(), KTR4_ERR_MOVING);
}

TEST_F(PositionMove, AFailingWriteIsReturnedAndTheMoveNotStarted)
{
    ktr4sim_fail(51, 4711, 2, 1);  // the FH write
    EXPECT_EQ(KTR4_T_curve_position_move(0, 0, 100, 0, 0, 10000, 0.1, 0.1), 4711);
    EXPECT_EQ(register_writes().size(), 9u);
    EXPECT_TRUE(commands().empty());
    ktr4sim_trace_clear();
    ktr4sim_fail(22, 4712, 0, 1);
    EXPECT_EQ(KTR4_T_curve_position_move(0, 0, 100, 0, 0, 10000, 0.1, 0.1), 4712);
    EXPECT_EQ(register_writes().size(), 9u);
}

TEST_F(PositionMove, AFailingStatusReadRefusesTheMoveWithItsCode)
{
    axis(0).profile.continuous = 1;  // a failed read would otherwise look like "buffer not full"
    ktr4sim_fail(12, 4713, 0, 1);
    EXPECT_EQ(KTR4_T_curve_position_move(0, 0, 100, 0, 0, 10000, 0.1, 0.1), 4713);
    EXPECT_TRUE(register_writes().empty());
    EXPECT_TRUE(commands().empty());
    EXPECT_EQ(axis(0).end.commanded_end, 0);
}

TEST_F(PositionMove, AStopWhosePositionCannotBeReadRefusesTheMove)
{
    axis(0).end.commanded_end = 1000;
    axis(0).end.bookkeeping_armed = 1;
    set_reg(0, 0, 0xE3, 700);
    ktr4sim_fail(50, 4714, 0, 1);
    EXPECT_EQ(KTR4_TA_position_move(0, 0, 2000, 0, 10000, 0.1, 0.1), 4714);
    EXPECT_TRUE(register_writes().empty());
    EXPECT_EQ(axis(0).end.commanded_end, 1000);
    // Once the position reads again, the same call books the stop and goes from there.
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_TA_position_move(0, 0, 2000, 0, 10000, 0.1, 0.1), KTR4_OK);
    EXPECT_EQ(register_writes()[0], (RegisterWrite {0, 0x90, 1300}));
}

class PositionChange : public PositionMove { };

TEST_F(PositionChange, NewDistanceOrNewEndOfTheRunningMove)
{
    // A move from 1000 by 500 is running.
    axis(1).end.commanded_end = 1500;
    set_reg(0, 1, 0xD0, 500);
    set_status(0, 1, KTR4SIM_MAIN_STATUS, 0);
    EXPECT_EQ(KTR4_position_change(0, 1, 800, 0), KTR4_OK);
    EXPECT_EQ(register_writes(), (std::vector<RegisterWrite> {{1, 0x90, 800}}));
    EXPECT_EQ(axis(1).end.commanded_end, 1800);
    EXPECT_EQ(register_reads(), std::vector<uint32_t> {0xD0});

    set_reg(0, 1, 0xD0, 800);
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_position_change(0, 1, 400, 1), KTR4_OK);  // behind the start point
    EXPECT_EQ(register_writes(), (std::vector<RegisterWrite> {{1, 0x90, static_cast<uint32_t>(-600)}}));
    EXPECT_EQ(axis(1).end.commanded_end, 400);
    EXPECT_TRUE(commands().empty());
}

TEST_F(PositionChange, RefusedInContinuousModeOrOnAStoppedAxis)
{
    axis(1).end.commanded_end = 1500;
    axis(1).profile.continuous = 1;
    set_status(0, 1, KTR4SIM_MAIN_STATUS, 0);
    EXPECT_EQ(KTR4_position_change(0, 1, 800, 0), KTR4_ERR_CHANGE_REFUSED);
    EXPECT_TRUE(trace().empty());
    axis(1).profile.continuous = 0;
    set_status(0, 1, KTR4SIM_MAIN_STATUS, kStopped);
    EXPECT_EQ(KTR4_position_change(0, 1, 800, 0), KTR4_ERR_CHANGE_REFUSED);
    EXPECT_TRUE(register_writes().empty());
    EXPECT_EQ(axis(1).end.commanded_end, 1500);
}

TEST_F(PositionChange, AFailedReadChangesNothing)
{
    axis(1).end.commanded_end = 1500;
    set_reg(0, 1, 0xD0, 500);
    set_status(0, 1, KTR4SIM_MAIN_STATUS, 0);
    ktr4sim_fail(50, 4715, 0, 1);
    EXPECT_EQ(KTR4_position_change(0, 1, 800, 1), 4715);
    ktr4sim_fail(12, 4716, 0, 1);
    EXPECT_EQ(KTR4_position_change(0, 1, 800, 1), 4716);
    EXPECT_TRUE(register_writes().empty());
    EXPECT_EQ(axis(1).end.commanded_end, 1500);
}

}  // namespace
