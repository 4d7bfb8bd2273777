#include "motion/ramp.h"

#include <cmath>

namespace ktr4sim::motion {

Tick Ramp::ticks() const
{
    Tick total = 0;
    for (int i = 0; i < count; ++i)
        total += pieces[i].ticks;
    return total;
}

double Ramp::area() const
{
    double total = 0;
    for (int i = 0; i < count; ++i)
        total += pieces[i].area(pieces[i].ticks);
    return total;
}

namespace {

Tick whole_ticks(double t)
{
    if (!(t > 0.5))
        return 0;  // also catches NaN
    if (t > 1e15)
        return static_cast<Tick>(1e15);
    return std::llround(t);
}

// Acceleration ramps up over `half` ticks and down again over as many: a pure S-curve.
Ramp pure_s(double from, double to, Tick half)
{
    Ramp ramp;
    if (half <= 0)
        return ramp;
    const double span = to - from;
    const double t = static_cast<double>(half);
    const double jerk = span / (t * t);
    ramp.pieces[0] = {half, from, 0.0, jerk};
    ramp.pieces[1] = {half, from + span / 2, span / t, -jerk};
    ramp.count = 2;
    return ramp;
}

}  // namespace

Ramp plan_ramp(double from, double to, const RampShape& shape)
{
    Ramp ramp;
    const double span = std::fabs(to - from);
    if (!(span > 0))
        return ramp;
    const double per_unit = static_cast<double>(ticks_per_unit(shape.rate));
    const double sign = to > from ? 1.0 : -1.0;

    if (!shape.s_curve) {
        const Tick ticks = whole_ticks(span * per_unit);
        if (ticks == 0)
            return ramp;
        ramp.pieces[0] = {ticks, from, (to - from) / static_cast<double>(ticks), 0.0};
        ramp.count = 1;
        return ramp;
    }

    const double s = static_cast<double>(shape.s_range);
    if (s == 0)
        return pure_s(from, to, whole_ticks(span * per_unit));  // 8 × span × (rate + 1) in all
    if (span < 2 * s) {
        // Too short a span for both curved parts at full acceleration: the same jerk, less of it.
        const double jerk = 1.0 / (per_unit * 2 * s * per_unit);
        return pure_s(from, to, whole_ticks(std::sqrt(span / jerk)));
    }
    // Curved parts of span S each take 2 × S × 4 × (rate + 1) ticks at the full jerk.
    const Tick curve = whole_ticks(2 * s * per_unit);
    const Tick linear = whole_ticks((span - 2 * s) * per_unit);
    const double accel = sign * s / (static_cast<double>(curve) / 2);  // reaches S over `curve`
    const double jerk = accel / static_cast<double>(curve);
    ramp.pieces[0] = {curve, from, 0.0, jerk};
    ramp.pieces[1] = {linear, from + sign * s, linear > 0 ? (span - 2 * s) * sign / static_cast<double>(linear) : 0.0,
                      0.0};
    ramp.pieces[2] = {curve, to - sign * s, accel, -jerk};
    ramp.count = 3;
    return ramp;
}

}  // namespace ktr4sim::motion
