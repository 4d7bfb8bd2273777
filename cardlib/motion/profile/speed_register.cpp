#include "speed_register.h"

#include "arithmetic.h"

namespace ktr4::motion {
namespace {

// The product is formed in 64 bits: a 32-bit product would wrap for large speeds at a high
// magnification and turn a fast speed into a slow one instead of saturating it.
uint64_t scaled(uint32_t speed, uint32_t mg)
{
    return (static_cast<uint64_t>(mg) + 1u) * speed / kSpeedDivisor;
}

uint32_t clamp_to(uint64_t value, uint32_t low, uint32_t high)
{
    if (value < low)
        return low;
    return value > high ? high : static_cast<uint32_t>(value);
}

}  // namespace

uint32_t speed_register_of_magnitude(uint32_t speed, uint32_t mg)
{
    return clamp_to(scaled(speed, mg), 1, kRegisterMax);
}

uint32_t speed_register(int32_t speed, uint32_t mg)
{
    return speed_register_of_magnitude(magnitude(speed), mg);
}

uint32_t s_curve_range(int32_t section, uint32_t mg)
{
    if (section == 0)
        return 0;
    return clamp_to(scaled(static_cast<uint32_t>(section), mg), 1, kSCurveRangeMax);
}

}  // namespace ktr4::motion
