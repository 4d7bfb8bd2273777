// Speed range fixing, velocity moves, velocity change and the decelerating stop, end to end
// against the simulated card.
#include <gtest/gtest.h>

#include <vector>

#include "frame/card_table.h"
#include "ktr4.h"
#include "ktr4sim.h"
#include "sim_fixture.h"

namespace {

using ktr4test::RegisterWrite;

using VelocityMove = ktr4test::OneCardTest;

TEST_F(VelocityMove, BitsThirteenAndTwentySixAreLeftAndBitTenFollowsTheCurve)
{
    axis(0).profile.operation_mode = 0x05002441u;
    EXPECT_EQ(KTR4_T_velocity_move(0, 0, 0, 1000, 0.1), KTR4_OK);
    EXPECT_EQ(axis(0).profile.operation_mode, 0x05002000u);
    EXPECT_EQ(KTR4_S_velocity_move(0, 0, 0, -1000, 0.1, 0), KTR4_OK);
    EXPECT_EQ(axis(0).profile.operation_mode, 0x05002408u);
}

TEST_F(VelocityMove, StartAboveOperatingSpeedRampsDownThroughTheDecelerationRate)
{
    // MG 19 659 clamps to 4095 for 1000 pps: FL 65535 (clamped), FH 13653;
    // 1 966 080 / (4 × 51 882) = 9.47 → 8.
    EXPECT_EQ(KTR4_T_velocity_move(0, 1, 10000, 1000, 0.1), KTR4_OK);
    EXPECT_EQ(register_writes()[0], (RegisterWrite {1, 0x94, 8}));
    EXPECT_EQ(register_writes()[2], (RegisterWrite {1, 0x91, 65535}));
    EXPECT_EQ(register_writes()[3], (RegisterWrite {1, 0x92, 13653}));
}

TEST_F(VelocityMove, EqualStartAndOperatingSpeedKeepTheSlowestRateEvenWithoutTime)
{
    EXPECT_EQ(KTR4_T_velocity_move(0, 1, 5000, 5000, 0.0), KTR4_OK);
    EXPECT_EQ(register_writes()[0], (RegisterWrite {1, 0x93, 65535}));
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_T_velocity_move(0, 1, 1000, 5000, 0.0), KTR4_OK);
    EXPECT_EQ(register_writes()[0], (RegisterWrite {1, 0x93, 1}));
}

TEST_F(VelocityMove, SCurveWritesItsRangeBehindTheRate)
{
    // SV 2000 at MG 1965: S = 13106; d = 58 980 + 26 212; 1 966 080 / 340 768 = 5.77 → 4.
    EXPECT_EQ(KTR4_S_velocity_move(0, 3, 1000, 10000, 0.1, 2000), KTR4_OK);
    EXPECT_EQ(register_writes()[0], (RegisterWrite {3, 0x93, 4}));  // the order: the fixed velocity moves
    EXPECT_EQ(register_writes()[1], (RegisterWrite {3, 0x99, 13106}));
    EXPECT_EQ(commands(), std::vector<uint32_t> {0x0853});
    // Pure S-curve: range 0 and factor 8 (1 966 080 / 471 840 = 4.17 → 3).
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_S_velocity_move(0, 3, 1000, 10000, 0.1, 0), KTR4_OK);
    EXPECT_EQ(register_writes()[0], (RegisterWrite {3, 0x93, 3}));
    EXPECT_EQ(register_writes()[1], (RegisterWrite {3, 0x99, 0}));
    // Ramping down at MG 4095 (from 1000 pps): FL 65535, FH 13653, S = 27 306;
    // d = 51 882 + 54 612; 1 966 080 / 425 976 = 4.6 → 3.
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_S_velocity_move(0, 3, 10000, 1000, 0.1, 2000), KTR4_OK);
    EXPECT_EQ(register_writes()[0], (RegisterWrite {3, 0x94, 3}));
    EXPECT_EQ(register_writes()[1], (RegisterWrite {3, 0x9A, 27306}));
}

class SpeedRange : public VelocityMove { };

TEST_F(SpeedRange, FixedRangeIsHonouredByVelocityMovesUntilReleased)
{
    EXPECT_EQ(KTR4_fix_speed_range(0, 1, 65535), KTR4_OK);
    EXPECT_EQ(axis(1).profile.speed_range_fixed, 1u);
    EXPECT_EQ(axis(1).profile.fixed_magnification, 299u);
    EXPECT_EQ(KTR4_T_velocity_move(0, 1, 0, 10000, 0.1), KTR4_OK);
    EXPECT_EQ(register_writes()[3], (RegisterWrite {1, 0x92, 10000}));
    EXPECT_EQ(register_writes()[4], (RegisterWrite {1, 0x95, 299}));

    EXPECT_EQ(KTR4_unfix_speed_range(0, 1), KTR4_OK);
    EXPECT_EQ(axis(1).profile.fixed_magnification, 299u);  // kept, just not used
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_T_velocity_move(0, 1, 0, 10000, 0.1), KTR4_OK);
    EXPECT_EQ(register_writes()[4], (RegisterWrite {1, 0x95, 1965}));

    EXPECT_EQ(KTR4_fix_speed_range(0, 1, -5000), KTR4_OK);
    EXPECT_EQ(axis(1).profile.fixed_magnification, 3931u);
}

TEST_F(SpeedRange, AnOverLimitSpeedStoresNothing)
{
    EXPECT_EQ(KTR4_fix_speed_range(0, 2, 6553501), KTR4_ERR_RANGE);
    EXPECT_EQ(axis(2).profile.speed_range_fixed, 0u);
    EXPECT_EQ(axis(2).profile.fixed_magnification, 299u);
}

class VelocityChange : public VelocityMove { };

TEST_F(VelocityChange, SpeedingUpRampsFromTheSpeedTheCardRuns)
{
    set_reg(0, 1, 0xD2, 6553);
    EXPECT_EQ(KTR4_velocity_change(0, 1, 10000, 0.1), KTR4_OK);
    EXPECT_EQ(register_reads(), (std::vector<uint32_t> {0xD2, 0xD9, 0xDA}));
    EXPECT_EQ(register_writes(),
              (std::vector<RegisterWrite> {{1, 0x93, 7}, {1, 0x97, 0x01000000}, {1, 0x95, 1965}, {1, 0x92, 65533}}));
    EXPECT_TRUE(commands().empty());
}

TEST_F(VelocityChange, SameRegisterSpeedWritesTheSlowestRateAndZeroTimeTheFastest)
{
    set_reg(0, 1, 0xD2, 65533);
    EXPECT_EQ(KTR4_velocity_change(0, 1, 10000, 0.0), KTR4_OK);  // 65 533 at MG 1965 again
    EXPECT_EQ(register_writes()[0], (RegisterWrite {1, 0x93, 65535}));
    ASSERT_EQ(KTR4_fix_speed_range(0, 1, 20000), KTR4_OK);  // MG 982
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_velocity_change(0, 1, 10000, 0.0), KTR4_OK);  // 32 766: down, no time
    EXPECT_EQ(register_writes()[0], (RegisterWrite {1, 0x94, 1}));
    EXPECT_EQ(register_writes()[3], (RegisterWrite {1, 0x92, 32766}));
}

TEST_F(VelocityChange, SCurveRunUsesTheRangesTheCardHolds)
{
    axis(2).profile.operation_mode |= 1u << 10;
    set_reg(0, 2, 0xD2, 6553);
    set_reg(0, 2, 0xD9, 13106);
    set_reg(0, 2, 0xDA, 0);
    EXPECT_EQ(KTR4_velocity_change(0, 2, 10000, 0.1), KTR4_OK);
    EXPECT_EQ(register_writes()[0], (RegisterWrite {2, 0x93, 4}));
    EXPECT_EQ(register_writes()[1], (RegisterWrite {2, 0x97, 0x01000400}));
    // Down from 65533 to 9990 pps at the fixed MG 1965 (65 467) without a deceleration
    // range: pure S-curve, 1 966 080 / (8 × 66) = 3723.6 → 3722.
    ASSERT_EQ(KTR4_fix_speed_range(0, 2, 10000), KTR4_OK);
    ktr4sim_trace_clear();
    set_reg(0, 2, 0xD2, 65533);
    EXPECT_EQ(KTR4_velocity_change(0, 2, 9990, 0.1), KTR4_OK);
    EXPECT_EQ(register_writes()[0], (RegisterWrite {2, 0x94, 3722}));
}

TEST_F(VelocityChange, AFailedReadWritesNothing)
{
    ktr4sim_fail(50, 4720, 1, 1);  // the S_acc read
    EXPECT_EQ(KTR4_velocity_change(0, 1, 10000, 0.1), 4720);
    EXPECT_TRUE(register_writes().empty());
    EXPECT_EQ(axis(1).profile.operation_mode, 0x01000041u);
}

class DecStop : public VelocityMove { };

TEST_F(DecStop, WritesTheDecelerationRateThenCommandsTheStopAndArmsTheBookkeeping)
{
    set_reg(0, 3, 0xD2, 65533);
    EXPECT_EQ(KTR4_dec_stop(0, 3, 0.3), KTR4_OK);
    EXPECT_EQ(register_reads(), (std::vector<uint32_t> {0xD2, 0xDA}));
    EXPECT_EQ(register_writes(), (std::vector<RegisterWrite> {{3, 0x94, 21}}));  // 22.5 → 21
    EXPECT_EQ(commands(), std::vector<uint32_t> {0x084A});
    EXPECT_EQ(axis(3).end.bookkeeping_armed, 1u);
}

TEST_F(DecStop, ZeroTimeGivesTheFastestRateAndZeroSpeedTheSlowest)
{
    set_reg(0, 0, 0xD2, 65533);
    EXPECT_EQ(KTR4_dec_stop(0, 0, 0.0), KTR4_OK);
    EXPECT_EQ(register_writes()[0], (RegisterWrite {0, 0x94, 1}));
    ktr4sim_trace_clear();
    set_reg(0, 0, 0xD2, 0);
    EXPECT_EQ(KTR4_dec_stop(0, 0, 0.3), KTR4_OK);
    EXPECT_EQ(register_writes()[0], (RegisterWrite {0, 0x94, 65535}));
}

TEST_F(DecStop, SCurveRunUsesItsDecelerationRange)
{
    axis(1).profile.operation_mode |= 1u << 10;
    set_reg(0, 1, 0xD2, 65533);
    set_reg(0, 1, 0xDA, 13106);
    EXPECT_EQ(KTR4_dec_stop(0, 1, 0.3), KTR4_OK);
    EXPECT_EQ(register_writes()[0], (RegisterWrite {1, 0x94, 15}));
    ktr4sim_trace_clear();
    set_reg(0, 1, 0xDA, 0);
    EXPECT_EQ(KTR4_dec_stop(0, 1, 0.3), KTR4_OK);
    EXPECT_EQ(register_writes()[0], (RegisterWrite {1, 0x94, 10}));
}

TEST_F(DecStop, AFailedRangeReadKeepsTheRateOfAnSCurveRunOnly)
{
    set_reg(0, 1, 0xD2, 65533);
    ktr4sim_fail(50, 4723, 1, 1);  // the S-curve range read of a T-curve run: reported all the same
    EXPECT_EQ(KTR4_dec_stop(0, 1, 0.3), 4723);
    EXPECT_EQ(register_writes(), (std::vector<RegisterWrite> {{1, 0x94, 21}}));
    EXPECT_EQ(commands(), std::vector<uint32_t> {0x024A});

    ktr4sim_trace_clear();
    axis(1).profile.operation_mode |= 1u << 10;  // an S-curve run needs the range
    ktr4sim_fail(50, 4723, 1, 1);
    EXPECT_EQ(KTR4_dec_stop(0, 1, 0.3), 4723);
    EXPECT_TRUE(register_writes().empty());
    EXPECT_EQ(commands(), std::vector<uint32_t> {0x024A});
}

TEST_F(DecStop, AFailedSpeedReadStillStopsButKeepsTheCardsRate)
{
    ktr4sim_fail(50, 4721, 0, 1);
    EXPECT_EQ(KTR4_dec_stop(0, 2, 0.3), 4721);
    EXPECT_TRUE(register_writes().empty());
    EXPECT_EQ(commands(), std::vector<uint32_t> {0x044A});
    EXPECT_EQ(axis(2).end.bookkeeping_armed, 1u);
    ktr4sim_trace_clear();
    ktr4sim_fail(22, 4722, 0, 1);
    EXPECT_EQ(KTR4_dec_stop(0, 2, 0.3), 4722);  // the command's failure comes first
}

}  // namespace
