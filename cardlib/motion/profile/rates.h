// Acceleration and deceleration rates (UR, DR): how many reference-clock ticks each speed
// step of a ramp lasts, from a ramp time in seconds.
#pragma once

#include <cstdint>

namespace ktr4::motion {

// Linear (T-curve) ramp from speed register `from` to `to`. Equal speeds give 65535; else
// trunc(time × 19 660 800 / (4 × (to − from))) − 1 with the divisor in wrapping 32-bit
// arithmetic (so a downward ramp divides by a huge number), clamped to 1..65535.
uint32_t t_rate(double time, uint32_t from, uint32_t to);

// S-curve ramp with S-curve range `range` of the same phase. range ≠ 0: divisor
// 4 × (to − from + 2 × range), 65535 when that sum is 0; range = 0 (pure S-curve): divisor
// 8 × (to − from), 65535 for equal speeds. 32-bit wrapping divisors, clamped to 1..65535.
uint32_t s_rate(double time, uint32_t from, uint32_t to, uint32_t range);

// Position, interpolation and on-line-change moves: a time of exactly 0 always gives the
// fastest rate, equal speeds included.
inline uint32_t with_zero_time_rule(uint32_t rate, double time)
{
    return time == 0.0 ? 1u : rate;
}

// Deceleration rate of a decelerating stop from operating speed register `speed` down to 0.
uint32_t dec_stop_rate(double time, uint32_t speed, uint32_t s_dec, bool s_curve);

}  // namespace ktr4::motion
