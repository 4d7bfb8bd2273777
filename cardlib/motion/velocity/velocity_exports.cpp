// Velocity moves, change of speed while running, and the decelerating stop. These work on
// the operating registers only and do not look at the continuous flag or the motion status.
#include "frame/card_table.h"
#include "frame/export_call.h"
#include "frame/register_access.h"
#include "ktr4.h"
#include "motion/profile/arithmetic.h"
#include "motion/profile/axis_bit.h"
#include "motion/profile/magnification.h"
#include "motion/profile/operation_mode.h"
#include "motion/profile/rates.h"
#include "motion/profile/register_codes.h"
#include "motion/velocity/velocity_profile.h"

using namespace ktr4;
using namespace ktr4::motion;

namespace {

int32_t velocity_move(uint8_t card, uint8_t axis, const VelocityMove& move, bool s_curve)
{
    if (!speed_within_limit(move.max_speed) || !speed_within_limit(move.start_speed) || !time_valid(move.t_acc))
        return KTR4_ERR_RANGE;
    AxisState& state = axis_state(card, axis);
    // A fixed speed range is always honoured here.
    const uint32_t mg = magnification_for_move(state, move.max_speed, true);
    const VelocityRegisters r = s_curve ? s_velocity_profile(move, mg, state.profile.operation_mode)
                                        : t_velocity_profile(move, mg, state.profile.operation_mode);
    state.profile.operation_mode = r.operation_mode;

    write_register(card, axis, r.rate_code, r.rate);
    if (s_curve)
        write_register(card, axis, r.range_code, r.s_range);
    write_register(card, axis, kOperationModeCode, r.operation_mode);
    write_register(card, axis, kStartSpeedCode, r.fl);
    write_register(card, axis, kOperatingSpeedCode, r.fh);
    write_register(card, axis, kMagnificationCode, r.mg);
    // A move whose registers were not all written is not started.
    if (int32_t rc = last_result())
        return rc;
    return write_command(card, axis_bit(axis), kStartCommand);
}

// Reads one register that a written value is computed from; stops at the first failure.
struct Readings {
    uint8_t card, axis;
    int32_t failure = KTR4_OK;
    uint32_t read(uint8_t code)
    {
        uint32_t value = 0;
        if (failure == KTR4_OK)
            failure = read_register(card, axis, code, &value);
        return value;
    }
};

}  // namespace

extern "C" {

KTR4_API int32_t KTR4_CALL KTR4_T_velocity_move(ktr4_u8 card_slot, ktr4_u8 axis_slot, int32_t start_speed,
                                                int32_t max_speed, double t_acc)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    return velocity_move(card, axis, VelocityMove {start_speed, max_speed, t_acc, 0}, false);
}

KTR4_API int32_t KTR4_CALL KTR4_S_velocity_move(ktr4_u8 card_slot, ktr4_u8 axis_slot, int32_t start_speed,
                                                int32_t max_speed, double t_acc, int32_t sv)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    return velocity_move(card, axis, VelocityMove {start_speed, max_speed, t_acc, sv}, true);
}

KTR4_API int32_t KTR4_CALL KTR4_velocity_change(ktr4_u8 card_slot, ktr4_u8 axis_slot, int32_t new_speed,
                                                double t_change)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    if (!speed_within_limit(new_speed) || !time_valid(t_change))
        return KTR4_ERR_RANGE;
    AxisState& state = axis_state(card, axis);
    const uint32_t mg = magnification_for_move(state, new_speed, true);

    // The ramp is computed from what the card runs now; if that cannot be read, nothing is
    // written (a rate from an unknown speed would be arbitrary) and the read's code returned.
    Readings card_values {card, axis};
    const uint32_t f_old = card_values.read(kReadOperatingSpeedCode);
    const uint32_t s_acc = card_values.read(kReadSCurveAccelerationCode);
    const uint32_t s_dec = card_values.read(kReadSCurveDecelerationCode);
    if (card_values.failure != KTR4_OK)
        return card_values.failure;

    const SpeedChange c = speed_change(new_speed, t_change, mg, f_old, s_acc, s_dec, state.profile.operation_mode);
    state.profile.operation_mode = c.operation_mode;
    write_register(card, axis, c.rate_code, c.rate);
    write_register(card, axis, kOperationModeCode, c.operation_mode);
    write_register(card, axis, kMagnificationCode, mg);
    return write_register(card, axis, kOperatingSpeedCode, c.fh);
}

KTR4_API int32_t KTR4_CALL KTR4_dec_stop(ktr4_u8 card_slot, ktr4_u8 axis_slot, double t_dec)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    // A stop with a time that cannot be meant is refused before anything is sent: the caller
    // still has every other stop at hand.
    if (!time_valid(t_dec))
        return KTR4_ERR_RANGE;
    AxisState& state = axis_state(card, axis);
    const bool s_curve = (state.profile.operation_mode & kSCurveBit) != 0;
    uint32_t speed = 0, s_dec = 0;
    const int32_t speed_read = read_register(card, axis, kReadOperatingSpeedCode, &speed);
    const int32_t range_read =
        speed_read == KTR4_OK ? read_register(card, axis, kReadSCurveDecelerationCode, &s_dec) : KTR4_OK;
    // A stop is always commanded. If a value the rate is computed from could not be read, the
    // card keeps the deceleration rate it has, and the read's failure is reported; a T-curve
    // rate does not depend on the S-curve range, so that read's failure does not count for it.
    const int32_t failure = speed_read != KTR4_OK ? speed_read : (s_curve ? range_read : KTR4_OK);
    if (failure == KTR4_OK)
        write_register(card, axis, kDecelerationRateCode, dec_stop_rate(t_dec, speed, s_dec, s_curve));
    const int32_t rc = write_command(card, axis_bit(axis), kDecelerationStopCommand);
    state.end.bookkeeping_armed = 1;
    return rc != KTR4_OK ? rc : failure;
}

}  // extern "C"
