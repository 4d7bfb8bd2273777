// Speed ramps of the card, as pieces of polynomial speed over integer ticks.
//
// Units: time in ticks of the 19 660 800 Hz reference clock; speed in speed-register units
// (one unit is 300 / (MG + 1) pulses per second, i.e. 1 / (65 536 × (MG + 1)) pulses per tick).
#pragma once

#include <array>
#include <cstdint>

namespace ktr4sim::motion {

using Tick = int64_t;

inline constexpr Tick kReferenceHz = 19'660'800;
// An open-ended piece (cruise, creep): long enough never to be reached.
inline constexpr Tick kForever = INT64_C(1) << 60;

// One piece of a speed profile: speed(t) = v0 + a·t + j·t²/2 for 0 <= t <= ticks.
struct Segment {
    Tick ticks = 0;
    double v0 = 0, a = 0, j = 0;

    double speed(Tick dt) const
    {
        const double t = static_cast<double>(dt);
        return v0 + t * (a + j * t / 2);
    }
    // Area under the speed (speed units × ticks) from 0 to dt.
    double area(Tick dt) const
    {
        const double t = static_cast<double>(dt);
        return t * (v0 + t * (a / 2 + j * t / 6));
    }
    double end_speed() const { return speed(ticks); }
};

// A ramp from one speed to another: at most three pieces (jerk up, linear, jerk down).
struct Ramp {
    std::array<Segment, 3> pieces {};
    int count = 0;

    Tick ticks() const;
    double area() const;
};

// What shapes a ramp: the rate register (a linear ramp changes the speed register by one every
// 4 × (rate + 1) ticks) and, for S-curves, the S-curve range (the speed span over which the
// acceleration itself ramps; 0 = pure S-curve).
struct RampShape {
    uint32_t rate = 1;
    bool s_curve = false;
    uint32_t s_range = 0;
};

// Ticks the card spends per unit of speed at this rate: 4 × (rate + 1).
inline Tick ticks_per_unit(uint32_t rate)
{
    return 4 * (static_cast<Tick>(rate) + 1);
}

// The ramp from `from` to `to` (either direction). The final piece ends exactly at `to`.
Ramp plan_ramp(double from, double to, const RampShape& shape);

}  // namespace ktr4sim::motion
