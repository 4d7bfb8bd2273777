#include "move_admission.h"

#include "frame/card_table.h"
#include "frame/register_access.h"
#include "ktr4.h"

namespace ktr4::motion {

int32_t admit_position_move(uint8_t card, uint8_t axis)
{
    const bool continuous = axis_state(card, axis).profile.continuous != 0;
    uint8_t flag = 0;
    if (int32_t rc = read_motion_flag(card, axis, continuous ? MotionFlag::kBufferFull : MotionFlag::kStopped, &flag))
        return rc;
    if (continuous)
        return flag ? KTR4_ERR_BUFFER_FULL : KTR4_OK;
    return flag ? KTR4_OK : KTR4_ERR_MOVING;
}

}  // namespace ktr4::motion
