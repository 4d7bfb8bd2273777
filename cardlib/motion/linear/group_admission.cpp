#include "group_admission.h"

#include "frame/card_table.h"
#include "frame/register_access.h"
#include "ktr4.h"
#include "motion/profile/move_admission.h"

namespace ktr4::motion {

bool continuous_consistent(uint8_t card, const AxisGroup& group)
{
    const bool first = axis_state(card, group.axes[0]).profile.continuous != 0;
    for (uint8_t i = 1; i < group.count; ++i)
        if ((axis_state(card, group.axes[i]).profile.continuous != 0) != first)
            return false;
    return true;
}

int32_t admit_group(uint8_t card, const AxisGroup& group)
{
    if (!continuous_consistent(card, group))
        return KTR4_ERR_CONTINUOUS_MIX;
    for (uint8_t i = 0; i < group.count; ++i)
        if (int32_t rc = admit_position_move(card, group.axes[i]))
            return rc;
    for (uint8_t i = 0; i < group.count; ++i)
        if (int32_t rc = note_axis_stop(card, group.axes[i]))
            return rc;
    return KTR4_OK;
}

}  // namespace ktr4::motion
