// Fixing and releasing an axis's speed range.
#include "frame/card_table.h"
#include "frame/export_call.h"
#include "ktr4.h"
#include "motion/profile/arithmetic.h"
#include "motion/profile/magnification.h"

using namespace ktr4;

extern "C" {

KTR4_API int32_t KTR4_CALL KTR4_fix_speed_range(ktr4_u8 card_slot, ktr4_u8 axis_slot, int32_t max_speed)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    if (!motion::speed_within_limit(max_speed))
        return KTR4_ERR_RANGE;
    AxisState& state = axis_state(card, axis);
    state.profile.fixed_magnification = motion::speed_magnification(max_speed);
    state.profile.speed_range_fixed = 1;
    return last_result();
}

KTR4_API int32_t KTR4_CALL KTR4_unfix_speed_range(ktr4_u8 card_slot, ktr4_u8 axis_slot)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    axis_state(card, axis).profile.speed_range_fixed = 0;
    return KTR4_OK;
}

}  // extern "C"
