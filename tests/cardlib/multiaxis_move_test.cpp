// Linear interpolation, arcs and circles, and on-line changes, end to end against the
// simulated card: register values and order, admission, fallbacks, bookkeeping.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "frame/card_table.h"
#include "ktr4.h"
#include "ktr4sim.h"
#include "sim_fixture.h"

namespace {

using ktr4test::RegisterWrite;

constexpr uint16_t kStopped = 0x0008;
constexpr uint16_t kRunning = 0x0000;

class MultiAxis : public ktr4test::OneCardTest {
protected:
    void SetUp() override
    {
        OneCardTest::SetUp();
        for (uint32_t a = 0; a < 4; ++a)
            set_status(0, a, KTR4SIM_MAIN_STATUS, kStopped);
        ktr4sim_trace_clear();
    }

    // An interpolation burst of one axis, without the correction speed (written after all).
    static std::vector<RegisterWrite> line_burst(uint32_t a, int32_t target, uint32_t fl, uint32_t fh, uint32_t ur,
                                                 uint32_t dr, uint32_t mg, uint32_t dp, uint32_t mode)
    {
        return {{a, 0x90, static_cast<uint32_t>(target)},
                {a, 0x91, fl},
                {a, 0x92, fh},
                {a, 0x93, ur},
                {a, 0x94, dr},
                {a, 0x95, mg},
                {a, 0x96, dp},
                {a, 0x97, mode}};
    }
    static std::vector<RegisterWrite> concat(std::initializer_list<std::vector<RegisterWrite>> parts)
    {
        std::vector<RegisterWrite> out;
        for (const auto& p : parts)
            out.insert(out.end(), p.begin(), p.end());
        return out;
    }
    static uint32_t written(uint32_t a, uint32_t code)
    {
        uint32_t value = 0xDEADBEEF;
        for (const auto& w : register_writes())
            if (w.axis == a && w.code == code)
                value = w.value;
        return value;
    }
    // Reference values: the floor of (MG + 1) × speed / 300 at MG 1965, and the T rate.
    static uint32_t reg_at_1965(double pps) { return static_cast<uint32_t>(std::floor(1966.0 * pps / 300.0)); }
};

// ---------------------------------------------------------------------------------------
// Linear interpolation

TEST_F(MultiAxis, Line2ReferenceMoveWritesTheExactRegisters)
{
    // L = 50 000, k = 0.8: axis speeds 8000 and 800 pps at MG 1965 (from the path speed).
    EXPECT_EQ(KTR4_T_curve_move_LINE2(0, 0, 30000, 40000, 0, 1000, 10000, 0.1, 0.1), KTR4_OK);
    const uint32_t mode = 0x01000061;  // interpolation code, bits 13 and 26 clear (Tdec ≤ 2 Tacc)
    const auto expected = concat({line_burst(0, 30000, 5242, 52426, 9, 9, 1965, 0, mode),
                                  line_burst(1, 40000, 5242, 52426, 9, 9, 1965, 0, mode),
                                  {{0, 0x9B, 6553}, {1, 0x9B, 6553}}});
    EXPECT_EQ(register_writes(), expected);
    EXPECT_EQ(commands(), std::vector<uint32_t> {0x0353});
    EXPECT_EQ(axis(0).end.commanded_end, 30000);
    EXPECT_EQ(axis(1).end.commanded_end, 40000);
    EXPECT_EQ(axis(0).profile.operation_mode, mode);
}

TEST_F(MultiAxis, PathScalingOfLinesAlongAnAxisDiagonalAndNone)
{
    // Along one axis: k = 1, the full path speed.
    EXPECT_EQ(KTR4_T_curve_move_LINE2(0, 0, 0, 50000, 0, 1000, 10000, 0.1, 0.1), KTR4_OK);
    EXPECT_EQ(written(0, 0x92), reg_at_1965(10000));
    EXPECT_EQ(written(1, 0x91), reg_at_1965(1000));
    // Diagonal: k = 1/√2, 7071 and 707 pps.
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_T_curve_move_LINE2(0, 0, 20000, -20000, 0, 1000, 10000, 0.1, 0.1), KTR4_OK);
    EXPECT_EQ(written(1, 0x92), reg_at_1965(7071));
    EXPECT_EQ(written(0, 0x91), reg_at_1965(707));
    EXPECT_EQ(written(1, 0x90), static_cast<uint32_t>(-20000));
    // All distances 0: k = 0, every speed clamps to 1, started with distance 0.
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_T_curve_move_LINE3(0, 3, 0, 0, 0, 0, 1000, 10000, 0.1, 0.1), KTR4_OK);
    for (uint32_t a : {1u, 2u, 3u}) {
        EXPECT_EQ(written(a, 0x90), 0u);
        EXPECT_EQ(written(a, 0x91), 1u);
        EXPECT_EQ(written(a, 0x92), 1u);
    }
    EXPECT_EQ(commands(), std::vector<uint32_t> {0x0E53});
}

TEST_F(MultiAxis, ShorteningIsDecidedOnTheFirstAxisAndShapedPerAxis)
{
    // Tdec > 2 Tacc; axis 0 moves 100 pulses, far too short for 10 000 pps; axis 1 moves 2000.
    // k = 2000 / √(100² + 2000²); FH and FL as the card gets them:
    const double k = 2000.0 / std::sqrt(100.0 * 100.0 + 2000.0 * 2000.0);
    const double fh = reg_at_1965(std::trunc(10000 * k)), fl = reg_at_1965(std::trunc(1000 * k));
    const uint32_t ur = static_cast<uint32_t>(std::trunc(0.1 * 19660800.0 / (4 * (fh - fl)))) - 1;
    const uint32_t dr = static_cast<uint32_t>(std::trunc(0.3 * 19660800.0 / (4 * (fh - fl)))) - 1;
    const double kk = 32768.0 * 1966.0;
    auto shaped = [&](double d, uint32_t& top, uint32_t& dp) {
        top = static_cast<uint32_t>(std::trunc(0.9 * std::sqrt(kk * d / (ur + dr + 2) + fl * fl)));
        dp = static_cast<uint32_t>(std::trunc((double(top) * top - fl * fl) * (dr + 1) / kk));
    };
    const double need = (fh * fh - fl * fl) * (ur + dr + 2) / kk;
    ASSERT_LT(100.0, need);
    EXPECT_EQ(KTR4_T_curve_move_LINE2(0, 1, 100, 2000, 0, 1000, 10000, 0.1, 0.3), KTR4_OK);
    uint32_t top0, dp0, top1, dp1;
    shaped(100, top0, dp0);
    shaped(2000, top1, dp1);
    EXPECT_EQ(written(0, 0x92), top0);
    EXPECT_EQ(written(0, 0x96), dp0);
    EXPECT_EQ(written(2, 0x92), top1);
    EXPECT_EQ(written(2, 0x96), dp1);
    EXPECT_LT(top0, top1);
    EXPECT_LE(top1, static_cast<uint32_t>(fh));
    EXPECT_EQ(written(0, 0x97), 0x05002061u);
    EXPECT_EQ(written(2, 0x97), 0x05002061u);

    // The first axis long, the second short: a full profile for both, the same DP.
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_T_curve_move_LINE2(0, 0, 200000, 10, 0, 1000, 10000, 0.1, 0.3), KTR4_OK);
    EXPECT_EQ(written(0, 0x96), written(1, 0x96));
    EXPECT_EQ(written(1, 0x92), written(0, 0x92));
    EXPECT_EQ(written(1, 0x97), 0x01002061u);
}

TEST_F(MultiAxis, AShortSCurveLineReachesThePureTriangleAndZeroesTheRangesOnEveryAxis)
{
    // Equal sections of 2000 pps and Tdec > 2 Tacc; 100 pulses per axis lie below the triangle
    // threshold 8 S (S + FL) (UR + DR + 2) / K, so both axes run a pure S-curve triangle.
    EXPECT_EQ(KTR4_S_curve_move_XY(0, 100, 100, 0, 1000, 10000, 0.1, 0.3, 2000, 2000), KTR4_OK);
    const double kk = 32768.0 * 1966.0, fl = reg_at_1965(707), s = reg_at_1965(2000);
    const uint32_t ur = written(0, 0x93), dr = written(0, 0x94);
    ASSERT_LE(100.0, 8.0 * s * (s + fl) * (ur + dr + 2) / kk);
    const auto top = static_cast<uint32_t>(std::trunc(0.9 * std::sqrt(kk * 100.0 / (2.0 * (ur + dr + 2)) + fl * fl)));
    const auto dp = static_cast<uint32_t>(std::trunc(2.0 * (double(top) * top - fl * fl) * (dr + 1) / kk));
    for (uint32_t a : {0u, 1u}) {
        EXPECT_EQ(written(a, 0x90), 100u);
        EXPECT_EQ(written(a, 0x91), static_cast<uint32_t>(fl));
        EXPECT_EQ(written(a, 0x92), top);
        EXPECT_EQ(written(a, 0x93), ur);
        EXPECT_EQ(written(a, 0x94), dr);
        EXPECT_EQ(written(a, 0x95), 1965u);
        EXPECT_EQ(written(a, 0x96), dp);
        EXPECT_EQ(written(a, 0x97), 0x05002461u);  // S-curve interpolation, shortened, manual point
        EXPECT_EQ(written(a, 0x99), 0u);
        EXPECT_EQ(written(a, 0x9A), 0u);
    }
    EXPECT_EQ(commands(), std::vector<uint32_t> {0x0353});
}

TEST_F(MultiAxis, SelectorsGroupsAndWrappers)
{
    EXPECT_EQ(KTR4_T_curve_move_LINE2(0, 6, 1, 1, 0, 100, 1000, 0.1, 0.1), KTR4_ERR_RANGE);
    EXPECT_EQ(KTR4_T_curve_move_LINE3(0, 4, 1, 1, 1, 0, 100, 1000, 0.1, 0.1), KTR4_ERR_RANGE);
    EXPECT_EQ(KTR4_T_curve_move_LINE2(0, 0, 1, 1, 0, 100, 6553501, 0.1, 0.1), KTR4_ERR_RANGE);
    EXPECT_TRUE(register_writes().empty());
    EXPECT_EQ(axis(0).end.commanded_end, 0);

    EXPECT_EQ(KTR4_T_curve_move_ZA(0, 5, 7, 0, 100, 1000, 0.1, 0.1), KTR4_OK);
    EXPECT_EQ(commands(), std::vector<uint32_t> {0x0C53});
    EXPECT_EQ(axis(2).end.commanded_end, 5);
    EXPECT_EQ(axis(3).end.commanded_end, 7);

    ktr4sim_trace_clear();
    set_reg(0, 2, 0xE3, 5);  // where the card reports axes 2 and 3 stopped
    set_reg(0, 3, 0xE3, 7);
    EXPECT_EQ(KTR4_T_curve_move_LINE4(0, 1, 2, 3, 4, 1, 100, 1000, 0.1, 0.1), KTR4_OK);
    EXPECT_EQ(commands(), std::vector<uint32_t> {0x0F53});
    // Absolute: axes 2 and 3 were at 5 and 7.
    EXPECT_EQ(written(2, 0x90), static_cast<uint32_t>(-2));
    EXPECT_EQ(written(3, 0x90), static_cast<uint32_t>(-3));
}

TEST_F(MultiAxis, FailedReadsRefuseTheMove)
{
    // A stopped, armed axis whose position cannot be read: no stop point to book, so the line
    // is refused with the driver's code before anything is programmed.
    axis(1).end.bookkeeping_armed = 1;
    axis(1).end.commanded_end = 500;
    ktr4sim_fail(50, 71, 0, 1);
    EXPECT_EQ(KTR4_T_curve_move_LINE2(0, 0, 10, 10, 0, 100, 1000, 0.1, 0.1), 71);
    EXPECT_TRUE(register_writes().empty());
    EXPECT_TRUE(commands().empty());
    EXPECT_EQ(axis(1).end.commanded_end, 500);
    // A failed status read refuses it too.
    ktr4sim_fail(12, 72, 0, 1);
    EXPECT_EQ(KTR4_ARC_center_move_XY(0, 50, 0, 100, 0, 0, 3000, 0), 72);
    EXPECT_TRUE(commands().empty());
    // An on-line change without the running target does not know the move's start point.
    set_status(0, 2, KTR4SIM_MAIN_STATUS, kRunning);
    set_status(0, 3, KTR4SIM_MAIN_STATUS, kRunning);
    axis(3).end.commanded_end = 900;
    ktr4sim_fail(50, 73, 1, 1);
    EXPECT_EQ(KTR4_OnLine_T_curve_change_LINE2(0, 5, 10, 10, 0, 100, 1000, 0.1, 0.1), 73);
    EXPECT_TRUE(register_writes().empty());
    EXPECT_EQ(axis(3).end.commanded_end, 900);
}

// ---------------------------------------------------------------------------------------
// Arcs and circles

TEST_F(MultiAxis, ALargeArcIsCorrectedAsItsSmallCopyIs)
{
    // The centre 1 pulse from the start, the end 3 000 and 120 000 pulses away (squares beyond
    // 32 bits): both centres are moved to the middle.
    for (int32_t scale : {1, 40}) {
        SCOPED_TRACE(scale);
        ktr4sim_trace_clear();
        EXPECT_EQ(KTR4_ARC2_center_move(0, 1, 1, 0, 3000 * scale, 0, 0, 5000, 0), KTR4_OK);
        EXPECT_EQ(written(0, 0x98), static_cast<uint32_t>(1500 * scale));
        EXPECT_EQ(written(2, 0x98), 0u);
    }
}

TEST_F(MultiAxis, AnArcRefusedForItsCentreOrEndWritesNothingAtAnyScale)
{
    // Centre s pulses one way, end s the other: the end lies 2s from the centre, so the centre
    // would have to move s/2 pulses, far beyond the correction's reach, at every scale (near
    // 2e9 the difference of the coordinates no longer fits 32 bits).
    for (int32_t s : {2'000'000, 20'000'000, 200'000'000, 1'100'000'000, 1'500'000'000, 2'000'000'000}) {
        SCOPED_TRACE(s);
        ktr4sim_trace_clear();
        EXPECT_EQ(KTR4_ARC_center_move_XY(0, s, 0, -s, 0, 0, 6553500, 0), KTR4_ERR_RANGE);
        EXPECT_TRUE(register_writes().empty());
        EXPECT_TRUE(commands().empty());
        EXPECT_EQ(axis(0).end.commanded_end, 0);
    }
    // An end 300 pulses inside the circle through the start: the card could only jump to it.
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_ARC_center_move_XY(0, -1000, 1, -300, 2, 0, 1000, 0), KTR4_ERR_RANGE);
    EXPECT_TRUE(register_writes().empty());
    EXPECT_TRUE(commands().empty());
    // One pulse inside is the tolerance: centre (0, 100), end (0, 199) 99 pulses from it.
    EXPECT_EQ(KTR4_ARC_center_move_ZA(0, 0, 100, 0, 199, 0, 1000, 0), KTR4_OK);
    EXPECT_EQ(written(3, 0x98), 100u);
}

TEST_F(MultiAxis, CentreCorrectionIsWrittenToTheCard)
{
    set_reg(0, 0, 0xE1, 0x3005);
    EXPECT_EQ(KTR4_ARC_center_move_XY(0, 40, 0, 100, 0, 0, 5000, 0), KTR4_OK);
    // MG of 5000 pps: 3931; F = 65533.
    const uint32_t mg = 3931, f = static_cast<uint32_t>((mg + 1) * 5000ull / 300);
    const uint32_t mode = 0x09000064;
    const std::vector<RegisterWrite> expected = {{0, 0xA1, 0x0005}, {1, 0xA1, 0x0000}, {0, 0x90, 100},  {0, 0x91, f},
                                                 {0, 0x92, f},      {0, 0x95, mg},     {0, 0x97, mode}, {0, 0x98, 50},
                                                 {1, 0x90, 0},      {1, 0x91, f},      {1, 0x92, f},    {1, 0x95, mg},
                                                 {1, 0x97, mode},   {1, 0x98, 0}};
    EXPECT_EQ(register_writes(), expected);
    EXPECT_EQ(commands(), std::vector<uint32_t> {0x0353});
    EXPECT_EQ(axis(0).end.commanded_end, 100);
    EXPECT_EQ(axis(0).end.bookkeeping_armed, 1);
    EXPECT_EQ(axis(1).end.correction_enable, 1);
}

TEST_F(MultiAxis, CorrectionMeetingTheEndRunsALine)
{
    // Centre on the start point, end (1, 1) relative: the x step would land on ex, the y step
    // lands on ey → 308, and a constant-speed line to the end point runs instead.
    axis(0).end.commanded_end = 1000;
    axis(1).end.commanded_end = 2000;
    set_reg(0, 0, 0xE3, 1000);
    set_reg(0, 1, 0xE3, 2000);
    EXPECT_EQ(KTR4_ARC2_center_move(0, 0, 1000, 2000, 1001, 2001, 1, 3000, 1), KTR4_ERR_ARC_GEOMETRY);
    EXPECT_EQ(commands(), std::vector<uint32_t> {0x0353});
    EXPECT_EQ(written(0, 0x98), 0xDEADBEEFu);  // no arc centre written
    EXPECT_EQ(written(0, 0x97) & 0x7Fu, 0x61u);
    // 3000 pps allows the largest magnification, 4095; the axes run at 1/√2 of it, 2121 pps.
    EXPECT_EQ(written(0, 0x95), 4095u);
    EXPECT_EQ(written(0, 0x92), 4096u * 2121u / 300u);
    EXPECT_EQ(written(0, 0x90), 1u);
    EXPECT_EQ(written(1, 0x90), 1u);
    EXPECT_EQ(written(0, 0x93), 1u);  // constant speed: zero times
    EXPECT_EQ(written(0, 0x94), 1u);
    EXPECT_EQ(axis(0).end.commanded_end, 1001);
    EXPECT_EQ(axis(1).end.commanded_end, 2001);
}

TEST_F(MultiAxis, RelativeLineFallbackAfterAnEarlierArcAddsNothingTwice)
{
    // An earlier arc enabled the correction; the card reports the axes exactly at its end. The
    // fallback line must go exactly to the relative end point (1, 1).
    ASSERT_EQ(KTR4_ARC_center_move_XY(0, 50, 0, 100, 0, 0, 3000, 0), KTR4_OK);
    set_reg(0, 0, 0xE3, 100);
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_ARC_center_move_XY(0, 0, 0, 1, 1, 0, 3000, 1), KTR4_ERR_ARC_GEOMETRY);
    EXPECT_EQ(written(0, 0x90), 1u);
    EXPECT_EQ(written(1, 0x90), 1u);
    EXPECT_EQ(axis(0).end.commanded_end, 101);
    EXPECT_EQ(axis(1).end.commanded_end, 1);
}

TEST_F(MultiAxis, ThreePointArcsAndCircles)
{
    EXPECT_EQ(KTR4_ARC_3P_move_XY(0, 100, 100, 200, 0, 0, 3000), KTR4_OK);
    EXPECT_EQ(written(0, 0x98), 100u);
    EXPECT_EQ(written(1, 0x98), 0u);
    EXPECT_EQ(written(0, 0x97) & 0x7Fu, 0x64u);
    EXPECT_EQ(written(0, 0x90), 200u);

    // Absolute points reduced by the commanded end positions (200, 0): P1 (100, 100) and
    // P2 (0, 200) relative give centre (0, 100), counter-clockwise.
    ktr4sim_trace_clear();
    set_reg(0, 0, 0xE3, 200);
    EXPECT_EQ(KTR4_ARC2_3P_move(0, 0, 300, 100, 200, 200, 1, 3000), KTR4_OK);
    EXPECT_EQ(written(0, 0x98), 0u);
    EXPECT_EQ(written(1, 0x98), 100u);
    EXPECT_EQ(written(1, 0x97) & 0x7Fu, 0x65u);

    // Collinear points: an arc becomes a line to the end point.
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_ARC_3P_move_ZA(0, 100, 100, 300, 300, 0, 3000), KTR4_ERR_ARC_GEOMETRY);
    EXPECT_EQ(ktr4::last_result(), KTR4_ERR_ARC_GEOMETRY);
    EXPECT_EQ(written(2, 0x90), 300u);
    EXPECT_EQ(written(3, 0x97) & 0x7Fu, 0x61u);
    EXPECT_EQ(commands(), std::vector<uint32_t> {0x0C53});

    // Collinear points lie on no circle: 311, and nothing is written or started.
    for (const auto& p : {std::array<int32_t, 4> {100, 0, 301, 0}, std::array<int32_t, 4> {100, 0, 200, 0},
                          std::array<int32_t, 4> {-50, 50, 100, -100}}) {
        ktr4sim_trace_clear();
        EXPECT_EQ(KTR4_CIR2_3P_move(0, 4, p[0], p[1], p[2], p[3], 0, 3000), KTR4_ERR_CIRCLE_GEOMETRY);
        EXPECT_TRUE(trace().empty());
    }

    // A full circle through three points ends where it started.
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_CIR2_3P_move(0, 0, 100, 100, 200, 0, 0, 3000), KTR4_OK);
    EXPECT_EQ(written(0, 0x90), 0u);
    EXPECT_EQ(written(0, 0x98), 100u);

    EXPECT_EQ(KTR4_ARC2_3P_move(16, 6, 1, 1, 2, 0, 0, 3000), KTR4_ERR_RANGE);
    // A card that is not there is reported as such, not as a geometry error.
    EXPECT_EQ(KTR4_CIR2_3P_move(2, 0, 1, 1, 2, 2, 0, 3000), KTR4_ERR_NOT_INITIALISED);
}

TEST_F(MultiAxis, ArcThenRelativeMoveAddsLostPulsesOnce)
{
    ASSERT_EQ(KTR4_ARC_center_move_XY(0, 50, 0, 100, 0, 0, 3000, 0), KTR4_OK);
    // The arc stopped 3 pulses short of x = 100.
    set_reg(0, 0, 0xE3, 97);
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_T_curve_position_move(0, 0, 1000, 0, 100, 1000, 0.1, 0.1), KTR4_OK);
    EXPECT_EQ(written(0, 0x90), 1003u);
    EXPECT_EQ(axis(0).end.commanded_end, 1100);
    set_reg(0, 0, 0xE3, 1100);
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_T_curve_position_move(0, 0, 1000, 0, 100, 1000, 0.1, 0.1), KTR4_OK);
    EXPECT_EQ(written(0, 0x90), 1000u);
}

TEST_F(MultiAxis, ArcRefusalsAndCurrentPositionResync)
{
    axis(0).profile.continuous = 1;
    EXPECT_EQ(KTR4_ARC_center_move_XY(0, 50, 0, 100, 0, 0, 3000, 0), KTR4_ERR_CONTINUOUS_MIX);
    axis(0).profile.continuous = 0;
    EXPECT_EQ(KTR4_ARC2_center_move(0, 6, 50, 0, 100, 0, 0, 3000, 0), KTR4_ERR_RANGE);
    EXPECT_EQ(KTR4_ARC2_center_move(0, 0, 50, 0, 100, 0, 0, -6553501, 0), KTR4_ERR_RANGE);
    EXPECT_EQ(axis(0).end.commanded_end, 0);
    set_status(0, 1, KTR4SIM_MAIN_STATUS, kRunning);
    EXPECT_EQ(KTR4_ARC_center_move_XY(0, 50, 0, 100, 0, 0, 3000, 0), KTR4_ERR_MOVING);
    EXPECT_TRUE(register_writes().empty());

    // A moving axis: nothing changes, the status read's result is returned.
    axis(1).end.commanded_end = 55;
    set_reg(0, 1, 0xE3, 40);
    EXPECT_EQ(KTR4_correct_current_POS(0, 1), KTR4_OK);
    EXPECT_EQ(axis(1).end.commanded_end, 55);
    set_status(0, 1, KTR4SIM_MAIN_STATUS, kStopped);
    EXPECT_EQ(KTR4_correct_current_POS(0, 1), KTR4_OK);
    EXPECT_EQ(axis(1).end.commanded_end, 40);
    // A failed position read leaves the commanded end position alone.
    set_reg(0, 1, 0xE3, 70);
    ktr4sim_fail(50, 66, 0, 1);
    EXPECT_EQ(KTR4_correct_current_POS(0, 1), 66);
    EXPECT_EQ(axis(1).end.commanded_end, 40);
    EXPECT_EQ(KTR4_correct_current_POS(0, 4), KTR4_ERR_AXIS);
}

// ---------------------------------------------------------------------------------------
// On-line changes

TEST_F(MultiAxis, OnLineChangeOfARunningMove)
{
    ASSERT_EQ(KTR4_T_curve_position_move(0, 1, 50000, 0, 1000, 10000, 0.1, 0.1), KTR4_OK);
    set_status(0, 1, KTR4SIM_MAIN_STATUS, kRunning);
    // The same profile again: bit 13 set with the manual ramping-down point, even though the
    // running move let the card find it. FL 6553, FH 65533, UR = DR = 7.
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_OnLine_T_curve_change(0, 1, 50000, 0, 1000, 10000, 0.1, 0.1), KTR4_OK);
    const uint32_t dp = static_cast<uint32_t>((65533.0 * 65533 - 6553.0 * 6553) * 8 / (32768.0 * 1966));
    const std::vector<RegisterWrite> expected = {{1, 0x90, 50000}, {1, 0x95, 1965},      {1, 0x92, 65533},
                                                 {1, 0x91, 6553},  {1, 0x93, 7},         {1, 0x94, 7},
                                                 {1, 0x96, dp},    {1, 0x97, 0x01002041}};
    EXPECT_EQ(register_writes(), expected);
    EXPECT_EQ(axis(1).end.commanded_end, 50000);

    // Absolute new end 20 000 of the move that started at 0; Tdec = 0: DP 0, bits 13 and 26.
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_OnLine_T_curve_change(0, 1, 20000, 1, 1000, 10000, 0.0, 0.0), KTR4_OK);
    EXPECT_EQ(written(1, 0x90), 20000u);
    EXPECT_EQ(written(1, 0x93), 1u);
    EXPECT_EQ(written(1, 0x96), 0u);
    EXPECT_EQ(written(1, 0x97), 0x05002041u);
    EXPECT_EQ(axis(1).end.commanded_end, 20000);
}

TEST_F(MultiAxis, OnLineChangeRefusals)
{
    axis(2).end.commanded_end = 123;
    EXPECT_EQ(KTR4_OnLine_T_curve_change(0, 2, 500, 0, 100, 1000, 0.1, 0.1), KTR4_ERR_CHANGE_REFUSED);
    EXPECT_EQ(axis(2).end.commanded_end, 123);
    EXPECT_TRUE(register_writes().empty());
    set_status(0, 2, KTR4SIM_MAIN_STATUS, kRunning);
    EXPECT_EQ(KTR4_OnLine_T_curve_change(0, 2, 500, 0, 100, 6553501, 0.1, 0.1), KTR4_ERR_RANGE);
    EXPECT_EQ(axis(2).end.commanded_end, 123);
    // A failed status read refuses the change with its code.
    ktr4sim_fail(12, 55, 0, 1);
    EXPECT_EQ(KTR4_OnLine_T_curve_change(0, 2, 500, 0, 100, 1000, 0.1, 0.1), 55);
    EXPECT_TRUE(register_writes().empty());
    // LINE: the first stopped axis in group order.
    EXPECT_EQ(KTR4_OnLine_T_curve_change_LINE3(0, 2, 1, 1, 1, 0, 100, 1000, 0.1, 0.1), KTR4_ERR_CHANGE_REFUSED);
    EXPECT_EQ(KTR4_OnLine_T_curve_change_LINE2(0, 6, 1, 1, 0, 100, 1000, 0.1, 0.1), KTR4_ERR_RANGE);
    EXPECT_EQ(KTR4_OnLine_T_curve_change_LINE3(0, 4, 1, 1, 1, 0, 100, 1000, 0.1, 0.1), KTR4_ERR_RANGE);
    EXPECT_TRUE(register_writes().empty());
}

TEST_F(MultiAxis, OnLineLine2ChangeOntoOneAxis)
{
    ASSERT_EQ(KTR4_T_curve_move_LINE2(0, 0, 30000, 40000, 0, 1000, 10000, 0.1, 0.1), KTR4_OK);
    set_status(0, 0, KTR4SIM_MAIN_STATUS, kRunning);
    set_status(0, 1, KTR4SIM_MAIN_STATUS, kRunning);
    // New ends: axis 0 stays at its start, axis 1 goes on to 40 000: k = 1.
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_OnLine_T_curve_change_LINE2(0, 0, 0, 40000, 0, 1000, 10000, 0.1, 0.3), KTR4_OK);
    EXPECT_EQ(written(1, 0x92), 65533u);
    EXPECT_EQ(written(1, 0x91), 6553u);
    EXPECT_EQ(written(0, 0x90), 0u);
    // The decision is made on axis 0 (distance 0): shortened, each axis shaped by its own
    // distance, bit 26 on both.
    EXPECT_EQ(written(0, 0x97), 0x05002061u);
    EXPECT_EQ(written(1, 0x97), 0x05002061u);
    EXPECT_LT(written(0, 0x92), written(1, 0x92) + 1);
    EXPECT_EQ(axis(0).end.commanded_end, 0);
    EXPECT_EQ(axis(1).end.commanded_end, 40000);
    EXPECT_TRUE(commands().empty());
    // Operating codes only, in the change's order.
    EXPECT_EQ(written_codes(0), (std::vector<uint32_t> {0x90, 0x95, 0x92, 0x91, 0x93, 0x94, 0x96, 0x97}));
}

}  // namespace
