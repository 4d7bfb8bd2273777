// Axis services beside the moves: backlash compensation, vibration suppression, the
// continuous flag, CSTA/CSTP synchronisation, immediate and emergency stops, present speed.
#include "auxmotion.h"
#include "frame/card_table.h"
#include "frame/export_call.h"
#include "frame/register_access.h"
#include "ktr4.h"

using namespace ktr4;

namespace {

constexpr uint8_t kAllAxes = 0x0F;

}  // namespace

namespace ktr4 {

int32_t immediate_stop(uint8_t card, uint8_t axis)
{
    write_command(card, static_cast<uint8_t>(1u << axis), kImmediateStopCommand);
    note_axis_stop(card, axis);
    return last_result();
}

}  // namespace ktr4

extern "C" {

KTR4_API int32_t KTR4_CALL KTR4_backlash_comp(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u16 amount_slot,
                                              ktr4_u8 mode_variant_flag, uint32_t correction_speed)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    const uint32_t amount = low_word(amount_slot);
    if (amount > 4095)
        return KTR4_ERR_RANGE;
    // Amount in bits 0-11, correction mode 01 in bits 12-13; the pulser bits above stay.
    modify_register(card, axis, kEnvironmentCode, [&](uint32_t word) { return (word & ~0x3FFFu) | amount | 0x1000u; });
    const int32_t rc = modify_register(card, axis, kWord3Code, [](uint32_t word) { return word | (1u << 24); });
    AxisState& state = axis_state(card, axis);
    state.profile.mode_variant = low_byte(mode_variant_flag);
    state.profile.correction_speed = correction_speed;
    return rc;
}

KTR4_API int32_t KTR4_CALL KTR4_readback_backlash_comp(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint16_t* amount,
                                                       uint8_t* mode_variant_flag, uint32_t* correction_speed)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    uint32_t word = 0;
    if (int32_t rc = read_register(card, axis, read_code(kEnvironmentCode), &word))
        return rc;
    *amount = static_cast<uint16_t>(word & 0xFFFu);
    *mode_variant_flag = axis_state(card, axis).profile.mode_variant;
    *correction_speed = axis_state(card, axis).profile.correction_speed;
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_suppress_vibration(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u16 first,
                                                   ktr4_u16 second)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    return write_register(card, axis, kVibrationCode,
                          (static_cast<uint32_t>(low_word(second)) << 16) + low_word(first));
}

KTR4_API int32_t KTR4_CALL KTR4_readback_suppress_vibration(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint16_t* first,
                                                            uint16_t* second)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    uint32_t word = 0;
    if (int32_t rc = read_register(card, axis, read_code(kVibrationCode), &word))
        return rc;
    *first = static_cast<uint16_t>(word & 0xFFFFu);
    *second = static_cast<uint16_t>(word >> 16);
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_set_continuous_flag(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u8 flag)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    axis_state(card, axis).profile.continuous = low_byte(flag);
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_check_continuous_buffer(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint8_t* full)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    uint16_t word = 0;
    if (int32_t rc = read_main_status(card, axis, &word))
        return rc;
    *full = bit_of(word, 14);
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_trigger_CSTA_pulse(ktr4_u8 card_slot)
{
    KTR4_CARD_EXPORT(card_slot);
    return write_command(card, kAllAxes, kCstaPulseCommand);
}

KTR4_API int32_t KTR4_CALL KTR4_wait_CSTA_signal(ktr4_u8 card_slot)
{
    KTR4_CARD_EXPORT(card_slot);
    return write_command(card, kAllAxes, kWaitForCstaCommand);
}

KTR4_API int32_t KTR4_CALL KTR4_trigger_CSTP_pulse(ktr4_u8 card_slot)
{
    KTR4_CARD_EXPORT(card_slot);
    return write_command(card, kAllAxes, kCstpPulseCommand);
}

KTR4_API int32_t KTR4_CALL KTR4_imd_stop(ktr4_u8 card_slot, ktr4_u8 axis_slot)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    return immediate_stop(card, axis);
}

KTR4_API int32_t KTR4_CALL KTR4_emg_stop(ktr4_u8 card_slot)
{
    KTR4_CARD_EXPORT(card_slot);
    // One command word stops all four axes at once; the bookkeeping follows axis by axis.
    write_command(card, kAllAxes, kEmergencyStopCommand);
    for (uint8_t axis = 0; axis < kAxesPerCard; ++axis)
        note_axis_stop(card, axis);
    return last_result();
}

KTR4_API int32_t KTR4_CALL KTR4_read_speed(ktr4_u8 card_slot, ktr4_u8 axis_slot, double* speed)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    uint32_t speed_register = 0, magnification = 0;
    read_register(card, axis, kCurrentSpeedReadCode, &speed_register);
    read_register(card, axis, kReadMagnificationCode, &magnification);
    if (int32_t rc = last_result())
        return rc;
    // The inverse of register = speed × (M + 1) / 300, from the exact integers.
    *speed = static_cast<double>(speed_register & 0xFFFFu) * 300.0 / (static_cast<double>(magnification) + 1.0);
    return KTR4_OK;
}

}  // extern "C"
