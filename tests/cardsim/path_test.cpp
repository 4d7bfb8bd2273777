// Line and arc paths: every axis where the interpolation puts it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <tuple>

#include "motion/path.h"

namespace {

using ktr4sim::motion::ArcPath;
using ktr4sim::motion::LinePath;

TEST(LinePath, AxesFollowTheLongestInProportionAndArriveTogether)
{
    std::mt19937 rng(41);
    for (int i = 0; i < 2000; ++i) {
        std::array<int64_t, 4> d {};
        for (auto& v : d)
            v = static_cast<int64_t>(rng() % 400001) - 200000;
        const LinePath line = LinePath::of(d);
        int64_t span = 0;
        for (auto v : d)
            span = std::max<int64_t>(span, std::llabs(v));
        ASSERT_EQ(line.span, span);
        for (int k = 0; k <= 20; ++k) {
            const int64_t p = span * k / 20;
            for (int a = 0; a < 4; ++a) {
                const double ideal = static_cast<double>(d[static_cast<size_t>(a)]) * static_cast<double>(p)
                    / static_cast<double>(std::max<int64_t>(span, 1));
                ASSERT_LE(std::fabs(static_cast<double>(line.offset(a, p)) - ideal), 0.5 + 1e-9);
            }
        }
        for (int a = 0; a < 4; ++a)
            EXPECT_EQ(line.offset(a, span), d[static_cast<size_t>(a)]);
    }
}

TEST(ArcPath, StaysWithinAPulseOfItsCircleAndEndsOnTheEndPoint)
{
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> angle(0, 6.283185307179586);
    for (int i = 0; i < 2000; ++i) {
        const int64_t cx = static_cast<int64_t>(rng() % 200001) - 100000,
                      cy = static_cast<int64_t>(rng() % 200001) - 100000;
        const double r = std::hypot(static_cast<double>(cx), static_cast<double>(cy));
        const double a = angle(rng);
        const int64_t ex = std::llround(static_cast<double>(cx) + r * std::cos(a));
        const int64_t ey = std::llround(static_cast<double>(cy) + r * std::sin(a));
        const ArcPath arc = ArcPath::of(cx, cy, ex, ey, i % 2 == 0);
        ASSERT_GE(arc.length, 1);
        for (int k = 0; k <= 64; ++k) {
            int64_t x = 0, y = 0;
            arc.point(arc.length * k / 64, &x, &y);
            const double off = std::hypot(static_cast<double>(x - cx), static_cast<double>(y - cy)) - r;
            ASSERT_LE(std::fabs(off), 1.0) << "case " << i << " step " << k;
        }
        // The heading splits the path speed between the axes: the shares make a unit vector.
        double sx = 0, sy = 0;
        arc.speed_share(arc.length / 3, &sx, &sy);
        EXPECT_NEAR(sx * sx + sy * sy, 1.0, 1e-9);
        int64_t x = 0, y = 0;
        arc.point(arc.length, &x, &y);
        EXPECT_EQ(std::tuple(x, y), std::tuple(ex, ey));
    }
}

TEST(ArcPath, DirectionDecidesWhichWayRoundAndAClosedArcIsAFullCircle)
{
    // Centre to the right of the start: counter-clockwise goes down first, clockwise up.
    const ArcPath ccw = ArcPath::of(1000, 0, 2000, 0, true);
    const ArcPath cw = ArcPath::of(1000, 0, 2000, 0, false);
    int64_t x = 0, y = 0;
    ccw.point(ccw.length / 2, &x, &y);
    EXPECT_EQ(std::tuple(x, y), std::tuple(1000, -1000));
    cw.point(cw.length / 2, &x, &y);
    EXPECT_EQ(y, 1000);
    EXPECT_NEAR(static_cast<double>(ccw.length), 3141.59, 1.0);
    const ArcPath circle = ArcPath::of(0, 500, 0, 0, true);
    EXPECT_NEAR(static_cast<double>(circle.length), 2 * 3.14159265 * 500, 1.0);
    const ArcPath quarter = ArcPath::of(0, 500, 500, 500, true);
    EXPECT_NEAR(static_cast<double>(quarter.length), 3.14159265 * 250, 1.0);
}

}  // namespace
