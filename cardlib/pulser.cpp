// The manual pulser: the card's own pulser motion, and the setup of the library's follower
// that makes an axis follow the pulser counter of a source axis.
#include "frame/card_table.h"
#include "frame/end_position.h"
#include "frame/export_call.h"
#include "frame/register_access.h"
#include "ktr4.h"
#include "motion/profile/arithmetic.h"
#include "motion/profile/axis_bit.h"
#include "motion/profile/magnification.h"
#include "motion/profile/operation_mode.h"
#include "motion/profile/register_codes.h"
#include "motion/profile/speed_register.h"

using namespace ktr4;
using namespace ktr4::motion;

namespace {

// Direction × count, wrapping like the card's counters.
int32_t scaled(int32_t direction, int32_t count)
{
    const auto bits = static_cast<uint32_t>(count);
    return static_cast<int32_t>(direction < 0 ? 0u - bits : (direction == 0 ? 0u : bits));
}

int32_t read_pulser_counter(uint8_t card, uint8_t axis, int32_t* count)
{
    uint32_t value = 0;
    const int32_t rc = read_register(card, axis, read_code(kPulserCounterCode), &value);
    if (rc == KTR4_OK)
        *count = static_cast<int32_t>(value);
    return rc;
}

// Takes the follower's present positions as its starting point: the source's scaled counter,
// an empty history, and the follower's own position as target and commanded end. Both reads
// come first and a failed one changes nothing, not even the source or the direction: a
// follower synchronised to an unknown value, or half remapped, would run away.
int32_t synchronise_follower(uint8_t card, uint8_t axis, uint8_t source, int32_t direction)
{
    AxisState& state = axis_state(card, axis);
    int32_t count = 0, position = 0;
    if (int32_t rc = read_pulser_counter(card, source, &count))
        return rc;
    if (int32_t rc = read_command_position(card, axis, &position))
        return rc;
    state.pulser.follow_source = source;
    state.pulser.follower.direction = direction;
    state.pulser.previous_scaled_count = scaled(direction, count);
    for (int32_t& change : state.pulser.follower.history)
        change = 0;
    state.pulser.follower.target = position;
    book_position(state.end, position);
    return KTR4_OK;
}

// The stopped check of the pulser moves; a status that cannot be read refuses the move.
int32_t require_stopped(uint8_t card, uint8_t axis)
{
    uint8_t stopped = 0;
    if (int32_t rc = read_motion_flag(card, axis, MotionFlag::kStopped, &stopped))
        return rc;
    return stopped ? KTR4_OK : KTR4_ERR_MOVING;
}

int32_t start_pulser_motion(uint8_t card, uint8_t axis, uint32_t code, int32_t speed, const int32_t* amount)
{
    AxisState& state = axis_state(card, axis);
    const uint32_t mg = magnification_for_move(state, speed, true);
    const uint32_t fh = speed_register(speed, mg);
    state.profile.operation_mode =
        with_bits(with_operation_code(state.profile.operation_mode, code), kSCurveBit, false);
    if (amount != nullptr)
        write_register(card, axis, kTargetCode, static_cast<uint32_t>(*amount));
    write_register(card, axis, kOperatingSpeedCode, fh);
    write_register(card, axis, kMagnificationCode, mg);
    write_register(card, axis, kOperationModeCode, state.profile.operation_mode);
    // A move whose registers were not all written is not started.
    if (int32_t rc = last_result())
        return rc;
    return write_command(card, axis_bit(axis), kPulserStartCommand);
}

}  // namespace

extern "C" {

KTR4_API int32_t KTR4_CALL KTR4_config_pulser_mode(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u8 mode_slot,
                                                   ktr4_u8 option_slot)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    const uint32_t mode = low_byte(mode_slot), option = low_byte(option_slot);
    if (mode >= 4 || option >= 2)
        return KTR4_ERR_RANGE;
    return modify_register(card, axis, kWord2Code,
                           [&](uint32_t word) { return (word & ~0x07000000u) | ((mode + option * 4) << 24); });
}

KTR4_API int32_t KTR4_CALL KTR4_readback_pulser_mode(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint8_t* mode,
                                                     uint8_t* option)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    uint32_t word = 0;
    if (int32_t rc = read_register(card, axis, read_code(kWord2Code), &word))
        return rc;
    *mode = static_cast<uint8_t>((word >> 24) & 0x3u);
    *option = bit_of(word, 26);
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_read_pulser_counter(ktr4_u8 card_slot, ktr4_u8 axis_slot, int32_t* count)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    return read_pulser_counter(card, axis, count);
}

KTR4_API int32_t KTR4_CALL KTR4_set_pulser_counter(ktr4_u8 card_slot, ktr4_u8 axis_slot, int32_t count)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    const int32_t rc = write_register(card, axis, kPulserCounterCode, static_cast<uint32_t>(count));
    axis_state(card, axis).pulser.previous_scaled_count = count;
    return rc;
}

KTR4_API int32_t KTR4_CALL KTR4_run_pulser_Vmove(ktr4_u8 card_slot, ktr4_u8 axis_slot, int32_t speed)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    if (int32_t rc = require_stopped(card, axis))
        return rc;
    if (!speed_within_limit(speed))
        return KTR4_ERR_RANGE;
    return start_pulser_motion(card, axis, kPulserVelocityCode, speed, nullptr);
}

KTR4_API int32_t KTR4_CALL KTR4_run_pulser_Pmove(ktr4_u8 card_slot, ktr4_u8 axis_slot, int32_t move_value,
                                                 ktr4_u8 absolute, int32_t speed)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    if (int32_t rc = require_stopped(card, axis))
        return rc;
    // Without knowing where the axis stopped, a relative or absolute amount would be wrong.
    if (int32_t rc = note_axis_stop(card, axis))
        return rc;
    if (!speed_within_limit(speed))
        return KTR4_ERR_RANGE;
    AxisState& state = axis_state(card, axis);
    const int32_t amount = book_plain_move(state.end, move_value, low_byte(absolute) != 0);
    return start_pulser_motion(
        card, axis, state.profile.mode_variant ? kPulserPositionVariantCode : kPulserPositionCode, speed, &amount);
}

KTR4_API int32_t KTR4_CALL KTR4_set_pulser_Map(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u8 from_slot,
                                               ktr4_u8 reverse_slot)
{
    ExportCall call;
    const uint8_t card = low_byte(card_slot), axis = low_byte(axis_slot);
    if (int32_t rc = check_card_then_axis(card, axis))
        return rc;
    const uint8_t from = low_byte(from_slot), reverse = low_byte(reverse_slot);
    if (from >= 4 || reverse >= 2)
        return KTR4_ERR_RANGE;

    // The library lock keeps the follower timer out until the map is complete.
    return synchronise_follower(card, axis, from, reverse ? -1 : 1);
}

KTR4_API int32_t KTR4_CALL KTR4_enable_pulser_motion(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u8 enable_slot,
                                                     ktr4_u16 ratio_slot)
{
    ExportCall call;
    const uint8_t card = low_byte(card_slot), axis = low_byte(axis_slot);
    if (int32_t rc = check_card_then_axis(card, axis))
        return rc;
    const uint8_t enable = low_byte(enable_slot);
    const uint16_t ratio = low_word(ratio_slot);
    if (enable >= 2 || ratio == 0 || ratio > 1000)
        return KTR4_ERR_RANGE;

    AxisState& state = axis_state(card, axis);
    int32_t rc = KTR4_OK;
    if (state.pulser.follow_enable == 0 && enable == 1) {
        if (int32_t sync_rc =
                synchronise_follower(card, axis, state.pulser.follow_source, state.pulser.follower.direction))
            return sync_rc;  // stays off
        rc = modify_register(card, state.pulser.follow_source, kEnvironmentCode,
                             [](uint32_t word) { return word & 0x3FFFu; });
    }
    state.pulser.follow_enable = enable;
    state.pulser.follow_ratio = ratio;
    return rc;
}

}  // extern "C"
