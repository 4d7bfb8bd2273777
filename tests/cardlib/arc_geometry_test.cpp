// The geometry and path scaling of the multi-axis moves as plain functions: centre
// correction, the centre through three points, and the share of the longest axis.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <span>
#include <tuple>

#include "ktr4.h"
#include "motion/arc/arc_geometry.h"
#include "motion/linear/path_scaling.h"

namespace {

using namespace ktr4::motion;

TEST(CentreCorrection, StepsTowardTheEndUntilTheEndIsNoFarther)
{
    // End (100, 0), centre (40, 0): nine steps still short, the tenth lands on (50, 0).
    int32_t cx = 40, cy = 0;
    for (int32_t step = 1; step <= 9; ++step) {
        ASSERT_EQ(correct_arc_centre(100, 0, cx, cy, &cx, &cy), kArcCentreStillShort) << step;
        EXPECT_EQ(std::tuple(cx, cy), std::tuple(40 + step, 0));
    }
    EXPECT_EQ(correct_arc_centre(100, 0, cx, cy, &cx, &cy), KTR4_OK);
    EXPECT_EQ(std::tuple(cx, cy), std::tuple(50, 0));
}

TEST(CentreCorrection, CentresThatNeedNothingOrOneStep)
{
    int32_t cx = -1, cy = -1;
    // Exactly between start and end (rs = re).
    EXPECT_EQ(correct_arc_centre(0, 100, 0, 50, &cx, &cy), KTR4_OK);
    EXPECT_EQ(std::tuple(cx, cy), std::tuple(0, 50));
    // One pulse inside: the centre moves one pulse in y along the vertical line through the end.
    EXPECT_EQ(correct_arc_centre(0, 101, 0, 50, &cx, &cy), KTR4_OK);
    EXPECT_EQ(std::tuple(cx, cy), std::tuple(0, 51));
    // A diagonal end: the step follows the line from the centre to the end, one pulse in x.
    EXPECT_EQ(correct_arc_centre(100, 100, 10, 20, &cx, &cy), kArcCentreStillShort);
    EXPECT_EQ(cx, 11);
    EXPECT_EQ(cy, static_cast<int32_t>(std::trunc(11 * (80.0 / 90.0) + (100 - 100 * (80.0 / 90.0)))));
    // Stepping in x would land on ex: the step is taken in y instead.
    EXPECT_EQ(correct_arc_centre(10, 100, 9, 3, &cx, &cy), kArcCentreStillShort);
    EXPECT_EQ(std::tuple(cx, cy), std::tuple(9, 4));
}

TEST(CentreCorrection, MeetingTheEndPointsYIsAGeometryError)
{
    int32_t cx = 77, cy = 77;
    // A centre on the start point one pulse below the end: the y step lands on ey.
    EXPECT_EQ(correct_arc_centre(0, 1, 0, 0, &cx, &cy), KTR4_ERR_ARC_GEOMETRY);
    EXPECT_EQ(cx, 77);  // nothing written
    EXPECT_EQ(cy, 77);
    EXPECT_EQ(correct_arc_centre(0, -1, 0, 0, &cx, &cy), KTR4_ERR_ARC_GEOMETRY);
    // The x step would land on ex, so the step is taken in y, and lands on ey.
    EXPECT_EQ(correct_arc_centre(1, 1, 0, 0, &cx, &cy), KTR4_ERR_ARC_GEOMETRY);
    // From (0, 0) to (1, 0): first a y step away (0, -1), still short, then ey is met.
    EXPECT_EQ(correct_arc_centre(1, 0, 0, 0, &cx, &cy), kArcCentreStillShort);
    EXPECT_EQ(std::tuple(cx, cy), std::tuple(0, -1));
    EXPECT_EQ(correct_arc_centre(1, 0, cx, cy, &cx, &cy), KTR4_ERR_ARC_GEOMETRY);
}

TEST(CentreCorrection, SquaresAndSumsAreExactOverTheWholeRange)
{
    EXPECT_EQ(square_sum(50000, 0), 2'500'000'000u);
    EXPECT_EQ(square_sum(INT32_MIN, INT32_MIN), uint64_t {1} << 63);
    EXPECT_EQ(square_sum(INT32_MAX, -46341), 4'611'686'014'132'420'609u + 2'147'488'281u);
    // A large arc is corrected step for step as its copy 1/100 the size: the end 300 000
    // (3 000) pulses away, the centre 1 pulse from the start.
    for (int32_t scale : {1, 100}) {
        SCOPED_TRACE(scale);
        int32_t cx = 1, cy = 0, steps = 0;
        while (correct_arc_centre(3000 * scale, 0, cx, cy, &cx, &cy) == kArcCentreStillShort)
            ++steps;
        EXPECT_EQ(cx, 1500 * scale);
        EXPECT_EQ(steps, 1500 * scale - 2);
    }
    int32_t cx = 0, cy = 0;
    const int32_t rc = correct_arc_centre(INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX, &cx, &cy);
    EXPECT_TRUE(rc == KTR4_OK || rc == kArcCentreStillShort || rc == KTR4_ERR_ARC_GEOMETRY);
}

TEST(CentreCorrection, CoordinatesFarApartAreNotWrapped)
{
    // Centre 2e9 pulses one way, end 2e9 the other: 4e9 apart, which a 32-bit difference
    // would wrap to 0.29e9 and take for an end well inside the circle.
    int32_t cx = 0, cy = 0;
    EXPECT_EQ(correct_arc_centre(-2'000'000'000, 0, 2'000'000'000, 0, &cx, &cy), kArcCentreStillShort);
    EXPECT_EQ(std::tuple(cx, cy), std::tuple(1'999'999'999, 0));
    // The same shape at every scale needs the centre in the middle: just short of it, still short.
    for (int32_t s : {2'000, 2'000'000, 1'100'000'000, 2'000'000'000}) {
        SCOPED_TRACE(s);
        EXPECT_EQ(correct_arc_centre(-s, 0, 2 - s / 2, 0, &cx, &cy), kArcCentreStillShort);
        EXPECT_EQ(correct_arc_centre(-s, 0, -s / 2, 0, &cx, &cy), KTR4_OK);
    }
}

TEST(EndOnTheCircle, RadiiWithinOnePulseDecidedExactly)
{
    // Centre (0, 100): ends 99 and 101 pulses from it are on the circle, 98 and 102 are not.
    EXPECT_TRUE(end_on_start_circle(0, 1, 0, 100));
    EXPECT_FALSE(end_on_start_circle(0, 2, 0, 100));
    EXPECT_TRUE(end_on_start_circle(0, 201, 0, 100));
    EXPECT_FALSE(end_on_start_circle(0, 202, 0, 100));
    EXPECT_FALSE(end_on_start_circle(-300, 2, -1000, 1));
    // Radius 2^31 about (INT32_MIN, 0): 2^31 ± 1 is on it, 2^31 + 2 and 2^32 − 1 are not.
    EXPECT_TRUE(end_on_start_circle(1, 0, INT32_MIN, 0));
    EXPECT_TRUE(end_on_start_circle(-1, 0, INT32_MIN, 0));
    EXPECT_FALSE(end_on_start_circle(2, 0, INT32_MIN, 0));
    EXPECT_FALSE(end_on_start_circle(INT32_MAX, 0, INT32_MIN, 0));
    // A 3-4-5 circle of radius 5·2^27 exactly, and 2.4 pulses inside it.
    EXPECT_TRUE(end_on_start_circle(0, 1 << 30, 3 << 27, 1 << 29));
    EXPECT_FALSE(end_on_start_circle(0, (1 << 30) - 3, 3 << 27, 1 << 29));
    // The largest distances there are: radius 2^31.5 about (INT32_MIN, INT32_MIN).
    EXPECT_TRUE(end_on_start_circle(0, 0, INT32_MIN, INT32_MIN));
    EXPECT_FALSE(end_on_start_circle(INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN));
}

TEST(ThreePointCentre, ReferenceCentresAndDirections)
{
    ThreePointCentre c = three_point_centre(100, 100, 200, 0);
    EXPECT_FALSE(c.degenerate);
    EXPECT_EQ(std::tuple(c.cx, c.cy, c.direction), std::tuple(100, 0, 0u));

    c = three_point_centre(100, 100, 0, 200);
    EXPECT_FALSE(c.degenerate);
    EXPECT_EQ(std::tuple(c.cx, c.cy, c.direction), std::tuple(0, 100, 1u));

    // First bisector vertical (y1 = 0).
    c = three_point_centre(100, 0, 50, 50);
    EXPECT_FALSE(c.degenerate);
    EXPECT_EQ(std::tuple(c.cx, c.cy, c.direction), std::tuple(50, 0, 1u));

    // Second bisector vertical (y2 = y1): the circle through (0,0), (60,40), (-20,40) is
    // centred at (20, 35), equally far from all three points.
    c = three_point_centre(60, 40, -20, 40);
    EXPECT_FALSE(c.degenerate);
    EXPECT_EQ(std::tuple(c.cx, c.cy), std::tuple(20, 35));
    const auto d2 = [&](int32_t x, int32_t y) { return (x - c.cx) * (x - c.cx) + (y - c.cy) * (y - c.cy); };
    EXPECT_EQ(d2(0, 0), d2(60, 40));
    EXPECT_EQ(d2(0, 0), d2(-20, 40));
}

TEST(ThreePointCentre, CollinearAndVerticalPairsAreDegenerate)
{
    EXPECT_TRUE(three_point_centre(100, 100, 300, 300).degenerate);
    EXPECT_EQ(three_point_centre(100, 100, 300, 300).direction, 1u);  // z = 0
    EXPECT_TRUE(three_point_centre(100, 0, 300, 0).degenerate);  // both bisectors vertical
    EXPECT_TRUE(three_point_centre(-5, 10, 5, -10).degenerate);
    EXPECT_FALSE(three_point_centre(100, 100, 300, 301).degenerate);
    // Extreme coordinates: no division by zero, no overflow, some answer.
    const ThreePointCentre c = three_point_centre(INT32_MIN, 1, INT32_MAX, INT32_MIN);
    EXPECT_FALSE(c.degenerate);
}

TEST(PathScaling, ShareOfTheLongestAxis)
{
    const int32_t line[] = {30000, -40000};
    EXPECT_DOUBLE_EQ(path_share(line), 0.8);
    EXPECT_EQ(scaled_speed(10000, path_share(line)), 8000);
    EXPECT_EQ(scaled_speed(-1000, path_share(line)), 800);
    const int32_t one_axis[] = {0, 0, -7};
    EXPECT_DOUBLE_EQ(path_share(one_axis), 1.0);
    const int32_t none[] = {0, 0, 0, 0};
    EXPECT_EQ(path_share(none), 0.0);
    EXPECT_EQ(scaled_speed(10000, 0.0), 0);
    const int32_t diagonal[] = {5, 5};
    EXPECT_EQ(scaled_speed(10000, path_share(diagonal)), 7071);
    const int32_t extreme[] = {INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN};
    EXPECT_DOUBLE_EQ(path_share(extreme), 0.5);
}

}  // namespace
