// The profile arithmetic as plain functions of values: magnification, speed registers,
// S-curve ranges, rates, ramping-down points and shortened profiles.
// Expected values are worked by hand from the formulas (derivations in the comments).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <tuple>

#include "frame/card_table.h"
#include "motion/profile/arithmetic.h"
#include "motion/profile/magnification.h"
#include "motion/profile/position_profile.h"
#include "motion/profile/ramp_down.h"
#include "motion/profile/rates.h"
#include "motion/profile/speed_register.h"

namespace {

using namespace ktr4;
using namespace ktr4::motion;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(ProfileArithmetic, ConversionToIntegerTruncatesTowardZeroOrGivesIndefinite)
{
    EXPECT_EQ(trunc_to_i32(2147483647.9), 2147483647);
    EXPECT_EQ(trunc_to_i32(-2147483648.9), INT32_MIN);
    EXPECT_EQ(trunc_to_i32(-8.7), -8);
    EXPECT_EQ(trunc_to_i32(-0.5), 0);
    EXPECT_EQ(trunc_to_i32(2147483648.0), INT32_MIN);
    EXPECT_EQ(trunc_to_i32(-2147483649.0), INT32_MIN);
    EXPECT_EQ(trunc_to_i32(1e300), INT32_MIN);
    EXPECT_EQ(trunc_to_i32(kNaN), INT32_MIN);
    EXPECT_EQ(trunc_to_i32(-kInf), INT32_MIN);
    EXPECT_EQ(trunc_quotient(5.0, 0), INT32_MIN);
    EXPECT_EQ(trunc_quotient(7.0, 2), 3);
}

TEST(ProfileArithmetic, MagnificationEdgeCases)
{
    EXPECT_EQ(speed_magnification(0), 4095u);
    EXPECT_EQ(speed_magnification(1), 4095u);
    EXPECT_EQ(speed_magnification(-1), 4095u);
    EXPECT_EQ(speed_magnification(2), 4095u);  // 9 830 250 − 1, upper clamp
    EXPECT_EQ(speed_magnification(4801), 4094u);  // 19 660 500 / 4801 = 4095.1
    EXPECT_EQ(speed_magnification(-5000), 3931u);  // 3932 − 1
    EXPECT_EQ(speed_magnification(10000), 1965u);
    EXPECT_EQ(speed_magnification(65535), 299u);  // 1-pps resolution up to 65 535 pps
    EXPECT_EQ(speed_magnification(6553500), 2u);
    EXPECT_EQ(speed_magnification(10000000), 2u);  // 1 − 1 = 0, lower clamp
    EXPECT_EQ(speed_magnification(19660501), 2u);  // 0 − 1 is below the range, not above
    EXPECT_EQ(speed_magnification(INT32_MIN), 2u);
}

TEST(ProfileArithmetic, SpeedRegisterScalesByMagnificationAndClamps)
{
    EXPECT_EQ(speed_register(1000, 299), 1000u);
    EXPECT_EQ(speed_register(-1000, 299), 1000u);
    EXPECT_EQ(speed_register(6553500, 2), 65535u);
    EXPECT_EQ(speed_register(10000, 1965), 65533u);  // 19 660 000 / 300 = 65 533.3
    EXPECT_EQ(speed_register(0, 299), 1u);
    EXPECT_EQ(speed_register(70000, 299), 65535u);
    EXPECT_EQ(speed_register(INT32_MIN, 4095), 65535u);
    // 4096 × 1 048 576 is 2^32: a 32-bit product would wrap to 0 and give the slowest speed.
    EXPECT_EQ(speed_register(1048576, 4095), 65535u);
    EXPECT_EQ(speed_register_of_magnitude(0xFFFFFFFFu, 4095), 65535u);
    EXPECT_EQ(speed_register_of_magnitude(1000, 1965), 6553u);
}

TEST(ProfileArithmetic, SCurveRangeIsZeroForAPureSCurveAndClampedOtherwise)
{
    EXPECT_EQ(s_curve_range(0, 1965), 0u);
    EXPECT_EQ(s_curve_range(2000, 1965), 13106u);  // 3 932 000 / 300 = 13 106.7
    EXPECT_EQ(s_curve_range(1, 2), 1u);  // 3 / 300 = 0, lower clamp
    EXPECT_EQ(s_curve_range(100000, 299), 32767u);
    EXPECT_EQ(s_curve_range(-1, 2), 32767u);  // used as unsigned
}

TEST(ProfileArithmetic, LinearRate)
{
    // Reference move: FL 6553, FH 65533; 0.1 s × 19 660 800 / (4 × 58 980) = 8.33 → 7.
    EXPECT_EQ(t_rate(0.1, 6553, 65533), 7u);
    EXPECT_EQ(t_rate(0.3, 6553, 65533), 24u);  // 25.0008 → 24
    EXPECT_EQ(t_rate(0.0, 6553, 65533), 1u);
    EXPECT_EQ(t_rate(-0.1, 6553, 65533), 1u);  // −8 − 1, lower clamp
    EXPECT_EQ(t_rate(100.0, 1, 65535), 7499u);  // 1.96608e9 / 262 136 = 7500.2
    EXPECT_EQ(t_rate(1000.0, 1, 65535), 65535u);  // 75 002, upper clamp
    // Equal speeds do not divide.
    EXPECT_EQ(t_rate(0.0, 500, 500), 65535u);
    EXPECT_EQ(t_rate(0.1, 500, 500), 65535u);
    // Downward: the divisor wraps to 2^32 − 4 × 5898.
    EXPECT_EQ(t_rate(0.1, 6553, 655), 1u);
    EXPECT_EQ(t_rate(1000.0, 6553, 655), 3u);  // 1.96608e10 / 4 294 943 704 = 4.58 → 3
    // Quotients without a 32-bit value: indefinite − 1 wraps to the largest integer.
    EXPECT_EQ(t_rate(1e10, 1, 2), 65535u);
    EXPECT_EQ(t_rate(kNaN, 1, 2), 65535u);
    EXPECT_EQ(t_rate(-1e300, 1, 2), 65535u);
    // A divisor that wraps to 0 (only from register values read off a card).
    EXPECT_EQ(t_rate(0.1, 0, 0x40000000u), 65535u);
}

TEST(ProfileArithmetic, SCurveRate)
{
    // Reference move: d = 58 980 + 2 × 13 106 = 85 192; 1 966 080 / 340 768 = 5.77 → 4.
    EXPECT_EQ(s_rate(0.1, 6553, 65533, 13106), 4u);
    EXPECT_EQ(s_rate(0.3, 6553, 65533, 13106), 16u);
    // Pure S-curve: factor 8; 1 966 080 / 471 840 = 4.17 → 3.
    EXPECT_EQ(s_rate(0.1, 6553, 65533, 0), 3u);
    EXPECT_EQ(s_rate(0.1, 700, 700, 0), 65535u);
    // to − from + 2 × range = 0 (start above the operating speed).
    EXPECT_EQ(s_rate(0.1, 100, 60, 20), 65535u);
    EXPECT_EQ(s_rate(0.0, 6553, 65533, 13106), 1u);
    EXPECT_EQ(s_rate(0.1, 0, 0x20000000u, 0), 65535u);  // 8 × 2^29 wraps to 0
}

TEST(ProfileArithmetic, ZeroTimeRuleOfPositionMovesAppliesAlsoToEqualSpeeds)
{
    EXPECT_EQ(with_zero_time_rule(t_rate(0.0, 500, 500), 0.0), 1u);
    EXPECT_EQ(with_zero_time_rule(t_rate(-0.0, 500, 500), -0.0), 1u);
    EXPECT_EQ(with_zero_time_rule(t_rate(0.1, 500, 500), 0.1), 65535u);
    EXPECT_EQ(with_zero_time_rule(s_rate(0.0, 100, 60, 20), 0.0), 1u);
}

TEST(ProfileArithmetic, DecelerationStopRate)
{
    EXPECT_EQ(dec_stop_rate(0.3, 65533, 0, false), 21u);  // 5 898 240 / 262 132 = 22.5
    EXPECT_EQ(dec_stop_rate(0.3, 65533, 13106, true), 15u);  // / 366 980 = 16.07
    EXPECT_EQ(dec_stop_rate(0.3, 65533, 0, true), 10u);  // / 524 264 = 11.25
    EXPECT_EQ(dec_stop_rate(0.3, 65533, 13106, false), 21u);  // the range counts only for S-curves
    EXPECT_EQ(dec_stop_rate(0.0, 65533, 0, false), 1u);
    EXPECT_EQ(dec_stop_rate(0.3, 0, 0, false), 65535u);
    EXPECT_EQ(dec_stop_rate(0.3, 0, 0, true), 65535u);
    EXPECT_EQ(dec_stop_rate(0.3, 0x40000000u, 0, false), 65535u);  // 4 × F wraps to 0
    EXPECT_EQ(dec_stop_rate(0.3, 0x40000000u - 2, 1, true), 65535u);  // 4 × (F + 2) wraps to 0
}

TEST(ProfileArithmetic, RampDownPointClamp)
{
    EXPECT_EQ(clamp_ramp_down_point(0), 1u);
    EXPECT_EQ(clamp_ramp_down_point(5), 5u);
    EXPECT_EQ(clamp_ramp_down_point(0xFFFFFF), 0xFFFFFFu);
    EXPECT_EQ(clamp_ramp_down_point(0x1000000), 0xFFFFFFu);
    EXPECT_EQ(clamp_ramp_down_point(-1), 0xFFFFFFu);  // a shortened speed below FL
    EXPECT_EQ(clamp_ramp_down_point(INT32_MIN), 0xFFFFFFu);
}

// The reference move: start 1000 pps, maximum 10 000 pps, Tacc 0.1 s.
RampInput reference_t(double t_dec)
{
    RampInput in;
    in.fl = 6553, in.fh = 65533, in.ur = 7, in.mg = 1965, in.t_acc = 0.1, in.t_dec = t_dec;
    in.dr = t_rate(t_dec, in.fl, in.fh);
    return in;
}

TEST(RampDownT, TimesDecideBeforeDistance)
{
    const RampDown none = ramp_down_T(reference_t(0.0), 50000);
    EXPECT_EQ(std::tuple(none.kind, none.dp, none.fh), std::tuple(RampCase::kNoDeceleration, 0u, 65533u));
    EXPECT_EQ(ramp_down_T(reference_t(0.1), 50000).kind, RampCase::kCardFindsPoint);
    EXPECT_EQ(ramp_down_T(reference_t(0.2), 10).kind, RampCase::kCardFindsPoint);  // exactly 2 × Tacc
    EXPECT_EQ(ramp_down_T(reference_t(0.2), 10).dp, 0u);
    EXPECT_EQ(ramp_down_T(reference_t(0.3), 50000).kind, RampCase::kFull);
}

TEST(RampDownT, ReferenceMoveFullAndShortened)
{
    // need = (65533² − 6553²) × 33 / (32 768 × 1966) = 2177.9
    const RampDown full = ramp_down_T(reference_t(0.3), 50000);
    EXPECT_EQ(std::tuple(full.fh, full.dp), std::tuple(65533u, 1649u));
    const RampDown shortened = ramp_down_T(reference_t(0.3), 1000);
    EXPECT_EQ(std::tuple(shortened.kind, shortened.fh, shortened.dp), std::tuple(RampCase::kTriangle, 40200u, 610u));
    EXPECT_EQ(ramp_down_T(reference_t(0.3), 2177).kind, RampCase::kTriangle);
    EXPECT_EQ(ramp_down_T(reference_t(0.3), 2178).kind, RampCase::kFull);
}

TEST(RampDownT, DistanceExactlyEqualToNeedIsShortened)
{
    // MG 4095, FL 4096, FH 40960, UR 5, DR 65: need = 1 660 944 384 × 72 / 2^27 = 891 exactly.
    RampInput in;
    in.fl = 4096, in.fh = 40960, in.ur = 5, in.dr = 65, in.mg = 4095, in.t_acc = 0.05, in.t_dec = 0.5;
    const RampDown at = ramp_down_T(in, 891);
    EXPECT_EQ(at.kind, RampCase::kTriangle);
    EXPECT_EQ(at.fh, 36864u);  // 0.9 × sqrt(1 660 944 384 + 4096²) = 0.9 × 40960
    EXPECT_EQ(at.dp, 660u);  // (36864² − 4096²) × 66 / 2^27 = 660
    const RampDown above = ramp_down_T(in, 892);
    EXPECT_EQ(above.kind, RampCase::kFull);
    EXPECT_EQ(above.dp, 816u);  // 1 660 944 384 × 66 / 2^27 = 816.75
}

TEST(RampDownT, ShortenedSpeedBelowStartSpeedGivesTheLargestPoint)
{
    RampInput in = reference_t(0.3);
    in.fl = 60000;
    const RampDown r = ramp_down_T(in, 10);  // 0.9 × sqrt(...) < 60000: FH'² − FL² < 0
    EXPECT_EQ(r.kind, RampCase::kTriangle);
    EXPECT_LT(r.fh, 60000u);
    EXPECT_EQ(r.dp, 0xFFFFFFu);
}

// The reference S-curve move: sections 2000 pps each, Tacc 0.1 s, Tdec 0.3 s.
RampInput reference_s()
{
    RampInput in;
    in.fl = 6553, in.fh = 65533, in.ur = 4, in.dr = 16, in.mg = 1965;
    in.s_acc = in.s_dec = 13106, in.t_acc = 0.1, in.t_dec = 0.3;
    return in;
}

TEST(RampDownS, ReferenceMoveFullSymmetricAndPureTriangle)
{
    // need = 85 192 × 72 086 × 22 / 64 421 888 = 2097.2; low = 8 × 13 106 × 19 659 × 22 / K = 703.9
    const RampDown full = ramp_down_S(reference_s(), 50000);
    EXPECT_EQ(std::tuple(full.kind, full.dp), std::tuple(RampCase::kFull, 1620u));
    EXPECT_FALSE(full.ranges_zeroed);
    const RampDown mid = ramp_down_S(reference_s(), 1000);
    EXPECT_EQ(std::tuple(mid.kind, mid.fh, mid.dp), std::tuple(RampCase::kSymmetricShortened, 37262u, 658u));
    EXPECT_FALSE(mid.ranges_zeroed);
    const RampDown tri = ramp_down_S(reference_s(), 500);
    EXPECT_EQ(std::tuple(tri.kind, tri.fh, tri.dp), std::tuple(RampCase::kTriangle, 25055u, 308u));
    EXPECT_TRUE(tri.ranges_zeroed);
    EXPECT_EQ(ramp_case_S(reference_s(), 2097), RampCase::kSymmetricShortened);
    EXPECT_EQ(ramp_case_S(reference_s(), 2098), RampCase::kFull);
    EXPECT_EQ(ramp_case_S(reference_s(), 704), RampCase::kSymmetricShortened);
    EXPECT_EQ(ramp_case_S(reference_s(), 703), RampCase::kTriangle);
}

TEST(RampDownS, PureSCurveDecidesOnTwiceTheLinearNeed)
{
    RampInput in = reference_s();
    in.s_acc = in.s_dec = 0;
    in.ur = 3, in.dr = 10;  // need = 2 × 4 251 632 280 × 15 / 64 421 888 = 1979.7
    EXPECT_EQ(ramp_case_S(in, 1979), RampCase::kTriangle);
    EXPECT_EQ(ramp_case_S(in, 1980), RampCase::kFull);
    // Full, no deceleration section: 2 × (FH² − FL²) × 11 / K = 1451.8
    EXPECT_EQ(ramp_down_S(in, 50000).dp, 1451u);
    EXPECT_EQ(ramp_down_S(in, 50000).fh, 65533u);
}

TEST(RampDownS, UnequalSectionsChooseByThresholds)
{
    // S_acc 13106, S_dec 6553 (L = S_acc): B = 5 × 13106 + 17 × 6553 = 176 931; SUM 22;
    // need = (58 980 × 22 + 2B) × 72 086 / K = 1 651 422 × 72 086 / 64 421 888 = 1847.9;
    // KL = 2 × 5 + 17 = 27, P = 17 × 6553 = 111 401;
    // mid = (27 × 13106 + 111 401) × 19 659 × 4 / K = 567.9; low = 8 × 6553 × 13 106 × 22 / K = 234.6
    RampInput in = reference_s();
    in.s_dec = 6553;
    EXPECT_EQ(ramp_case_S(in, 1848), RampCase::kFull);
    EXPECT_EQ(ramp_case_S(in, 1847), RampCase::kBothSectionsKept);
    EXPECT_EQ(ramp_case_S(in, 568), RampCase::kBothSectionsKept);
    EXPECT_EQ(ramp_case_S(in, 567), RampCase::kLargerSectionGivenUp);
    EXPECT_EQ(ramp_case_S(in, 235), RampCase::kLargerSectionGivenUp);
    EXPECT_EQ(ramp_case_S(in, 234), RampCase::kTriangle);

    // Both sections kept at 1000 pulses:
    // FH' = 0.9 × (sqrt(B² + 22 × (K × 1000 − 2 × 6553 × B + 22 × 6553²)) − B) / 22 = 41 482.5
    const RampDown kept = ramp_down_S(in, 1000);
    EXPECT_EQ(kept.fh, 41482u);
    // DP = (41482 − 6553 + 2 × 6553) × 48035 × 17 / K = 608.9
    EXPECT_EQ(kept.dp, 608u);
    EXPECT_FALSE(kept.ranges_zeroed);
    // Larger section given up at 400 pulses:
    // FH' = 0.9 × (sqrt(P² + 27 × (K × 400 − 2 × 6553 × P + 27 × 6553²)) − P) / 27 = 24 176.3
    const RampDown given_up = ramp_down_S(in, 400);
    EXPECT_EQ(given_up.fh, 24176u);
    // DP = (24176 − 6553 + 2 × 6553) × 30729 × 17 / K = 249.2
    EXPECT_EQ(given_up.dp, 249u);
    EXPECT_FALSE(given_up.ranges_zeroed);
}

TEST(RampDownS, AShortenedSpeedNeverExceedsTheRequestedOne)
{
    // Large sections over a small speed span put the thresholds above the full need: at
    // 1000 pulses (need 193) the pure-triangle formula alone would give 0.9 × sqrt(K × 1000 /
    // 48 + 1) = 47 591, three and a half times the requested 13 653.
    RampInput in;
    in.fl = 1, in.fh = 13653, in.ur = 5, in.dr = 17, in.mg = 4095;
    in.s_acc = in.s_dec = 32767, in.t_acc = 0.1, in.t_dec = 0.3;
    const RampDown r = ramp_down_S(in, 1000);
    EXPECT_EQ(std::tuple(r.kind, r.fh), std::tuple(RampCase::kTriangle, 13653u));
    // DP for the speed actually written: 2 × (13653² − 1) × 18 / 2^27 = 49.99
    EXPECT_EQ(r.dp, 49u);
}

TEST(RampDownT, ZeroLengthMoveFromTheLowestSpeedWritesAtLeastOne)
{
    RampInput in = reference_t(0.3);
    in.fl = 1;
    const RampDown r = ramp_down_T(in, 0);  // 0.9 × sqrt(1) truncates to 0
    EXPECT_EQ(std::tuple(r.kind, r.fh), std::tuple(RampCase::kTriangle, 1u));
}

}  // namespace
