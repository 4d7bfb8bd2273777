// Status, counters, comparators, soft limits, point inputs and general outputs.
#include "frame/card_table.h"
#include "frame/end_position.h"
#include "frame/export_call.h"
#include "frame/register_access.h"
#include "ktr4.h"
#include "status.h"

using namespace ktr4;

namespace {

// A failed read hands out nothing: the caller's variable keeps its value.
int32_t read_signed(uint8_t card, uint8_t axis, uint8_t code, int32_t* out)
{
    uint32_t value = 0;
    const int32_t rc = read_register(card, axis, code, &value);
    if (rc == KTR4_OK)
        *out = static_cast<int32_t>(value);
    return rc;
}

int32_t read_main_status_bit(uint8_t card, uint8_t axis, unsigned bit, uint8_t* out)
{
    uint16_t word = 0;
    const int32_t rc = read_main_status(card, axis, &word);
    if (rc == KTR4_OK)
        *out = bit_of(word, bit);
    return rc;
}

constexpr uint32_t kSoftLimitEnabledBits = kSoftLimitPlusEnabledBits | kSoftLimitMinusEnabledBits;
constexpr uint32_t kSoftLimitEnableField = 0x1C1Cu;  // bits 2-4 of each limit's byte

}  // namespace

namespace ktr4 {

int32_t write_output_point(uint8_t card, uint8_t axis, uint8_t point, bool on)
{
    // Points 0-3 on the axis itself; 4-7 on axis 1 and 8-11 on axis 2 share one code set.
    if (point >= 12)
        return KTR4_ERR_RANGE;
    uint8_t axis_bits = 0;
    OutputCommands output {};
    if (point < 4) {
        axis_bits = static_cast<uint8_t>(1u << axis);
        output = kOwnOutputCommands[point];
    } else {
        axis_bits = point < 8 ? 0x02 : 0x04;
        output = kSharedOutputCommands[point % 4];
    }
    return write_command(card, axis_bits, on ? output.on : output.off);
}

}  // namespace ktr4

extern "C" {

KTR4_API int32_t KTR4_CALL KTR4_read_current_position(ktr4_u8 card_slot, ktr4_u8 axis_slot, int32_t* position)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    return read_command_position(card, axis, position);
}

KTR4_API int32_t KTR4_CALL KTR4_set_current_position(ktr4_u8 card_slot, ktr4_u8 axis_slot, int32_t position)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    const int32_t rc = write_register(card, axis, kCommandPositionCode, static_cast<uint32_t>(position));
    book_position(axis_state(card, axis).end, position);
    return rc;
}

KTR4_API int32_t KTR4_CALL KTR4_read_FB_counter(ktr4_u8 card_slot, ktr4_u8 axis_slot, int32_t* count)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    return read_signed(card, axis, read_code(kFeedbackPositionCode), count);
}

KTR4_API int32_t KTR4_CALL KTR4_set_FB_counter(ktr4_u8 card_slot, ktr4_u8 axis_slot, int32_t count)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    return write_register(card, axis, kFeedbackPositionCode, static_cast<uint32_t>(count));
}

KTR4_API int32_t KTR4_CALL KTR4_read_FBcounter_latch_value(ktr4_u8 card_slot, ktr4_u8 axis_slot, int32_t* value)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    return read_signed(card, axis, kFeedbackLatchReadCode, value);
}

KTR4_API int32_t KTR4_CALL KTR4_config_comparator_out(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u8 source_slot,
                                                      ktr4_u8 condition_slot, ktr4_u8 action_slot)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    const uint8_t source = low_byte(source_slot), condition = low_byte(condition_slot), action = low_byte(action_slot);
    if (source >= 4 || condition > 5)
        return KTR4_ERR_RANGE;
    if (action > 2)
        return KTR4_ERR_RANGE;
    const uint32_t field = source + condition * 8u + action * 64u;
    return modify_register(card, axis, kLatchWordCode, [&](uint32_t word) { return (word & ~0xFFu) | field; });
}

KTR4_API int32_t KTR4_CALL KTR4_readback_comparator_out(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint8_t* source,
                                                        uint8_t* condition, uint8_t* action)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    uint32_t word = 0;
    if (int32_t rc = read_register(card, axis, read_code(kLatchWordCode), &word))
        return rc;
    *source = static_cast<uint8_t>(word & 0x7u);
    *condition = static_cast<uint8_t>((word >> 3) & 0x7u);
    *action = static_cast<uint8_t>((word >> 6) & 0x3u);
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_set_comparator_data(ktr4_u8 card_slot, ktr4_u8 axis_slot, int32_t data)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    return write_register(card, axis, kComparatorDataCode, static_cast<uint32_t>(data));
}

KTR4_API int32_t KTR4_CALL KTR4_readback_comparator_data(ktr4_u8 card_slot, ktr4_u8 axis_slot, int32_t* data)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    return read_signed(card, axis, read_code(kComparatorDataCode), data);
}

KTR4_API int32_t KTR4_CALL KTR4_read_compare_flag(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint8_t* flag)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    return read_main_status_bit(card, axis, 12, flag);
}

KTR4_API int32_t KTR4_CALL KTR4_set_event_factor(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint32_t factor)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    return write_register(card, axis, kEventFactorCode, factor & 0x00055BF3u);
}

KTR4_API int32_t KTR4_CALL KTR4_read_event_flag(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint32_t* flags)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    return read_register(card, axis, kEventFlagsReadCode, flags);
}

KTR4_API int32_t KTR4_CALL KTR4_read_error_flag(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint32_t* flags)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    return read_register(card, axis, kErrorFlagsReadCode, flags);
}

KTR4_API int32_t KTR4_CALL KTR4_config_softlimit(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u8 source_slot,
                                                 ktr4_u8 action_slot)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    const uint32_t source = low_byte(source_slot), action = low_byte(action_slot);
    if (source >= 2 || action >= 3)
        return KTR4_ERR_RANGE;
    // Both limits' bytes take the same settings.
    return modify_register(card, axis, kSoftLimitConfigCode, [&](uint32_t word) {
        return (word & ~0x7F7Fu) + source + (source << 8) + (action << 5) + (action << 13) + kSoftLimitEnabledBits;
    });
}

KTR4_API int32_t KTR4_CALL KTR4_readback_config_softlimit(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint8_t* source,
                                                          uint8_t* action)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    uint32_t word = 0;
    if (int32_t rc = read_register(card, axis, read_code(kSoftLimitConfigCode), &word))
        return rc;
    *source = static_cast<uint8_t>(word & 0x3u);
    *action = static_cast<uint8_t>((word >> 5) & 0x3u);
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_set_softlimit_data(ktr4_u8 card_slot, ktr4_u8 axis_slot, int32_t limit_plus,
                                                   int32_t limit_minus)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    write_register(card, axis, kSoftLimitPlusCode, static_cast<uint32_t>(limit_plus));
    return write_register(card, axis, kSoftLimitMinusCode, static_cast<uint32_t>(limit_minus));
}

KTR4_API int32_t KTR4_CALL KTR4_readback_softlimit_data(ktr4_u8 card_slot, ktr4_u8 axis_slot, int32_t* limit_plus,
                                                        int32_t* limit_minus)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    int32_t plus = 0, minus = 0;
    read_signed(card, axis, read_code(kSoftLimitPlusCode), &plus);
    if (int32_t rc = read_signed(card, axis, read_code(kSoftLimitMinusCode), &minus))
        return rc;
    *limit_plus = plus;
    *limit_minus = minus;
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_enable_softlimit(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u8 enable_slot)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    const bool enable = low_byte(enable_slot) != 0;
    return modify_register(card, axis, kSoftLimitConfigCode, [&](uint32_t word) {
        // Only the enable bits: the two settings of KTR4_config_softlimit stay as they are.
        word &= ~kSoftLimitEnableField;
        return enable ? (word | kSoftLimitEnabledBits) : word;
    });
}

KTR4_API int32_t KTR4_CALL KTR4_readback_enable_softlimit(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint8_t* enabled)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    uint32_t word = 0;
    if (int32_t rc = read_register(card, axis, read_code(kSoftLimitConfigCode), &word))
        return rc;
    *enabled = (word & 0x1Cu) == 0x18u ? 1 : 0;
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_read_softlimit_flag(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint8_t* flag_plus,
                                                    uint8_t* flag_minus)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    uint16_t word = 0;
    if (int32_t rc = read_main_status(card, axis, &word))
        return rc;
    *flag_plus = bit_of(word, 8);
    *flag_minus = bit_of(word, 9);
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_read_motion_status(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u8 kind_slot,
                                                   uint8_t* status)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    switch (low_byte(kind_slot)) {
    case 0:
        return read_motion_flag(card, axis, MotionFlag::kStopped, status);
    case 1:
        return read_motion_flag(card, axis, MotionFlag::kBufferFull, status);
    default:
        return KTR4_ERR_RANGE;
    }
}

KTR4_API int32_t KTR4_CALL KTR4_read_point_status(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u8 point_slot,
                                                  uint8_t* state)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    const uint8_t point = low_byte(point_slot);
    if (point > 24)
        return KTR4_ERR_RANGE;
    uint16_t sub = 0;
    uint32_t pins = 0;
    read_sub_status(card, axis, &sub);
    read_register(card, axis, kPinStatusReadCode, &pins);

    // Points 17-24 are the switch-like inputs on the sub-status of axis 1 or 2.
    if (point >= 17) {
        uint16_t other = 0;
        if (int32_t rc = read_sub_status(card, point <= 20 ? 1 : 2, &other))
            return rc;
        *state = bit_of(other, 3u + (point - 17u) % 4u);
        return KTR4_OK;
    }
    if (int32_t rc = last_result())
        return rc;

    struct Source {
        bool from_pins;  // pin input status word, else the sub-status word
        uint8_t bit;
        bool inverted;
    };
    static constexpr Source kPoints[17] = {
        {true, 15, false},  {true, 8, false},   {true, 16, false}, {false, 11, false}, {false, 2, true},
        {false, 12, false}, {false, 13, false}, {true, 14, false}, {false, 14, false}, {true, 7, false},
        {true, 10, false},  {true, 9, false},   {false, 1, true},  {false, 0, true},   {false, 7, true},
        {true, 5, false},   {true, 6, false},
    };
    const Source& source = kPoints[point];
    const uint8_t value = bit_of(source.from_pins ? pins : sub, source.bit);
    *state = source.inverted ? static_cast<uint8_t>(value ^ 1u) : value;
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_write_output_point(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u8 point_slot,
                                                   ktr4_u8 on_slot)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    return write_output_point(card, axis, low_byte(point_slot), low_byte(on_slot) != 0);
}

}  // extern "C"
