// The integer and floating-point rules every profile value is computed by: the card's clock
// constants, truncation toward zero with the integer-indefinite value for results that do
// not fit, and the register clamps.
#pragma once

#include <cmath>
#include <cstdint>

namespace ktr4::motion {

inline constexpr double kReferenceClock = 19'660'800.0;  // numerator of every rate formula
inline constexpr uint32_t kSpeedDivisor = 300;  // 19 660 800 / 65 536
inline constexpr uint32_t kRangeNumerator = 19'660'500;  // 65 535 × 300
inline constexpr double kRampDivisor = 32'768.0;  // 19 660 800 / 600
inline constexpr double kTriangleFactor = 0.9;  // a shortened profile peaks at 90 %
inline constexpr uint32_t kSpeedLimit = 6'553'500;  // 65 535 × 300 / 3, pps

inline constexpr uint32_t kRegisterMax = 65'535;  // FL, FH, UR, DR, correction speed
inline constexpr uint32_t kSCurveRangeMax = 32'767;  // S_acc, S_dec
inline constexpr uint32_t kRampDownPointMax = 0xFFFFFF;  // DP
inline constexpr uint32_t kMagnificationMin = 2;
inline constexpr uint32_t kMagnificationMax = 4'095;

// What a double-to-integer conversion yields when the value has no 32-bit representation
// (NaN, infinities, overflow); the profile arithmetic is defined with it.
inline constexpr int32_t kIntegerIndefinite = INT32_MIN;

// Truncation toward zero to a signed 32-bit integer. Out-of-range values are caught before
// the cast, which would be undefined behaviour for them.
inline int32_t trunc_to_i32(double value)
{
    if (!(value > -2'147'483'649.0 && value < 2'147'483'648.0))
        return kIntegerIndefinite;
    return static_cast<int32_t>(value);
}

// trunc(numerator / divisor) for an unsigned 32-bit divisor that may have wrapped to 0:
// the quotient is then ±infinity or NaN, whose conversion is the indefinite value.
inline int32_t trunc_quotient(double numerator, uint32_t divisor)
{
    if (divisor == 0)
        return kIntegerIndefinite;
    return trunc_to_i32(numerator / static_cast<double>(divisor));
}

// |value| as an unsigned number; |INT32_MIN| is 2^31.
inline uint32_t magnitude(int32_t value)
{
    const auto bits = static_cast<uint32_t>(value);
    return value < 0 ? 0u - bits : bits;
}

inline bool speed_within_limit(int32_t speed)
{
    return magnitude(speed) <= kSpeedLimit;
}

// A time in seconds that can be meant: finite and not negative (0 keeps its meaning). Any
// other value would make an arbitrary rate, and converting NaN to an integer is undefined.
inline bool time_valid(double seconds)
{
    return std::isfinite(seconds) && seconds >= 0.0;
}

// The arguments every move to a position takes: both speeds within the limit, a maximum
// speed that moves at all (0 would creep at a fraction of a pulse per second for ever), and
// meant times. Checked before anything is read or written.
inline bool position_move_arguments_valid(int32_t start_speed, int32_t max_speed, double t_acc, double t_dec)
{
    return speed_within_limit(start_speed) && speed_within_limit(max_speed) && max_speed != 0 && time_valid(t_acc)
        && time_valid(t_dec);
}

// Wrapping 32-bit position arithmetic: positions are i32 counters on the card.
inline int32_t wrapping_add(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t wrapping_sub(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

// The ramping-down point register: the truncated value taken as unsigned, 0 → 1, and at most
// 0xFFFFFF (so a negative or indefinite value becomes 0xFFFFFF).
inline uint32_t clamp_ramp_down_point(int32_t truncated)
{
    const auto dp = static_cast<uint32_t>(truncated);
    if (dp == 0)
        return 1;
    return dp > kRampDownPointMax ? kRampDownPointMax : dp;
}

}  // namespace ktr4::motion
