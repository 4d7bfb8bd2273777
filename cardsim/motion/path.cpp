#include "motion/path.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ktr4sim::motion {

namespace {
constexpr double kTwoPi = 6.283185307179586476925286766559;
}

LinePath LinePath::of(const std::array<int64_t, 4>& distance)
{
    LinePath line;
    line.distance = distance;
    for (int64_t d : distance)
        line.span = std::max<int64_t>(line.span, std::llabs(d));
    return line;
}

int64_t LinePath::offset(int axis, int64_t pulses) const
{
    const int64_t d = distance[static_cast<size_t>(axis)];
    if (span == 0 || d == 0)
        return 0;
    if (pulses >= span)
        return d;
    // Nearest whole pulse of d × pulses / span, in 128 bits: both factors may reach 2^32.
    const __int128 scaled = static_cast<__int128>(std::llabs(d)) * pulses * 2 + span;
    const auto magnitude = static_cast<int64_t>(scaled / (2 * static_cast<__int128>(span)));
    return d < 0 ? -magnitude : magnitude;
}

ArcPath ArcPath::of(int64_t cx, int64_t cy, int64_t ex, int64_t ey, bool counter_clockwise)
{
    ArcPath arc;
    arc.cx = static_cast<double>(cx);
    arc.cy = static_cast<double>(cy);
    arc.ex = ex;
    arc.ey = ey;
    arc.radius = std::hypot(arc.cx, arc.cy);
    if (arc.radius == 0)
        return arc;  // no circle: the end point is reached at once
    arc.start_angle = std::atan2(-arc.cy, -arc.cx);
    const double end_angle = std::atan2(static_cast<double>(ey) - arc.cy, static_cast<double>(ex) - arc.cx);
    double sweep = counter_clockwise ? end_angle - arc.start_angle : arc.start_angle - end_angle;
    while (sweep <= 1e-12)
        sweep += kTwoPi;  // ending where it starts: a full circle
    while (sweep > kTwoPi + 1e-12)
        sweep -= kTwoPi;
    if (ex == 0 && ey == 0)
        sweep = kTwoPi;
    arc.sweep = counter_clockwise ? sweep : -sweep;
    arc.length = std::max<int64_t>(1, std::llround(arc.radius * sweep));
    return arc;
}

void ArcPath::point(int64_t pulses, int64_t* x, int64_t* y) const
{
    if (pulses >= length) {
        *x = ex;
        *y = ey;
        return;
    }
    const double angle = start_angle + sweep * static_cast<double>(pulses) / static_cast<double>(length);
    *x = std::llround(cx + radius * std::cos(angle));
    *y = std::llround(cy + radius * std::sin(angle));
}

void ArcPath::speed_share(int64_t pulses, double* x, double* y) const
{
    if (length <= 0 || radius == 0) {
        *x = *y = 0;
        return;
    }
    const double angle =
        start_angle + sweep * static_cast<double>(std::min(pulses, length)) / static_cast<double>(length);
    *x = std::fabs(std::sin(angle));
    *y = std::fabs(std::cos(angle));
}

}  // namespace ktr4sim::motion
