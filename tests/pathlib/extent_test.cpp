// The program's extent, arcs included, against the machine's soft limits.
#include <gtest/gtest.h>

#include "gcode/interpreter.h"
#include "planner/extent.h"
#include "test_machine.h"

namespace ktr4path {
namespace {

TEST(Extent, ArcsReachTheirQuartersNotOnlyTheirEnds)
{
    const Machine m = test::router();
    // A half circle from (20, 10) over the top to (0, 10), centre (10, 10): Y reaches 20 on line 2.
    Extent e = programExtent(interpret("G0 X20 Y10\nG3 X0 Y10 I-10 F100", m), {});
    EXPECT_DOUBLE_EQ(e[kY].high, 20);
    EXPECT_EQ(e[kY].highLine, 2);
    EXPECT_DOUBLE_EQ(e[kY].low, 0);  // the start position
    EXPECT_EQ(e[kY].lowLine, 0);
    EXPECT_DOUBLE_EQ(e[kX].high, 20);
    // The same ends clockwise go under: Y down to 0 at line 2, no higher than 10.
    e = programExtent(interpret("G0 X20 Y10\nG2 X0 Y10 I-10 F100", m), {0, 15, 0, 0});
    EXPECT_DOUBLE_EQ(e[kY].low, 0);
    EXPECT_EQ(e[kY].lowLine, 2);
    EXPECT_DOUBLE_EQ(e[kY].high, 15);
    // A full circle reaches every side.
    e = programExtent(interpret("G0 X5 Y5\nG2 X5 Y5 I3 F100", m), {5, 5, 0, 0});
    EXPECT_DOUBLE_EQ(e[kX].high, 11);
    EXPECT_DOUBLE_EQ(e[kX].low, 5);
    EXPECT_DOUBLE_EQ(e[kY].high, 8);
    EXPECT_DOUBLE_EQ(e[kY].low, 2);
}

TEST(Extent, SoftLimitsOfTheWholeProgramAreCheckedBeforeItRuns)
{
    const Machine m = test::router();  // X -1..400, Y -1..300, Z -80..10
    EXPECT_TRUE(softLimitViolations(interpret("G0 X400 Y300 Z-80", m), m, {}).empty());
    const auto v = softLimitViolations(interpret("G0 X10 Y10\nG2 X10 Y10 I-10.5 F100\nG0 Z12\nM2", m), m, {});
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0], "line 2: X reaches -11.0000, below axis.X.soft_limit_min -1.0000");
    EXPECT_EQ(v[1], "line 3: Z reaches 12.0000, above axis.Z.soft_limit_max 10.0000");
}

}  // namespace
}  // namespace ktr4path
