#include "magnification.h"

#include "arithmetic.h"

namespace ktr4::motion {

uint32_t speed_magnification(int32_t speed)
{
    const uint32_t a = magnitude(speed);
    if (a <= 1)
        return kMagnificationMax;
    // Signed: speeds beyond the numerator give −1, which belongs to the lower clamp.
    const int64_t mg = static_cast<int64_t>(kRangeNumerator / a) - 1;
    if (mg < kMagnificationMin)
        return kMagnificationMin;
    if (mg > kMagnificationMax)
        return kMagnificationMax;
    return static_cast<uint32_t>(mg);
}

uint32_t magnification_for_move(const AxisState& axis, int32_t max_speed, bool honour_fixed)
{
    if (honour_fixed && axis.profile.speed_range_fixed != 0)
        return axis.profile.fixed_magnification;
    return speed_magnification(max_speed);
}

}  // namespace ktr4::motion
