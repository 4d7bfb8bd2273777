// Pulse I/O and pin configuration: set/readback pairs over the
// configuration words 1 and 2 (kWord1Code, kWord2Code), plus three enable bits kept in the
// operation-mode shadow that each move writes to the card.
#include "frame/card_table.h"
#include "frame/export_call.h"
#include "frame/register_access.h"
#include "frame/register_map.h"
#include "ktr4.h"
#include "pins.h"

using namespace ktr4;

namespace {

// Operation-mode shadow bits owned by the pin configuration.
constexpr unsigned kShadowSd = 8;
constexpr unsigned kShadowInp = 9;
constexpr unsigned kShadowPcs = 14;

bool flag(uint32_t slot)
{
    return low_byte(slot) != 0;
}

// The readers below return the word alone; a failed read stays on record as the export's
// first failure (last_result), which every readback checks before it hands out a value.

uint32_t read_word(uint8_t card, uint8_t axis, uint8_t write_code)
{
    uint32_t word = 0;
    read_register(card, axis, read_code(write_code), &word);
    return word;
}

uint32_t read_pin_inputs(uint8_t card, uint8_t axis)
{
    uint32_t word = 0;
    read_register(card, axis, kPinStatusReadCode, &word);
    return word;
}

uint16_t read_sub(uint8_t card, uint8_t axis)
{
    uint16_t word = 0;
    read_sub_status(card, axis, &word);
    return word;
}

void set_shadow_bit(uint8_t card, uint8_t axis, unsigned bit, bool on)
{
    uint32_t& shadow = axis_state(card, axis).profile.operation_mode;
    shadow = set_bit(shadow, bit, on);
}

uint8_t shadow_bit(uint8_t card, uint8_t axis, unsigned bit)
{
    return bit_of(axis_state(card, axis).profile.operation_mode, bit);
}

// Configuration word 2, bits 6-13: the TTL line configuration of axes 1 and 2.
constexpr uint32_t kTtlField = 0x3FC0u;
constexpr uint32_t kTtlPatternClear = 0x2A80u;
constexpr uint32_t kTtlPattern = 0x1540u;

uint32_t ttl_lines(uint32_t word, bool routed)
{
    return routed ? ((word & ~kTtlPatternClear) | kTtlPattern) : (word & ~kTtlField);
}

// ERC argument codes 0..3 onto the card's 2-bit field.
constexpr uint32_t kErcFieldOfCode[4] = {0, 1, 0, 2};

}  // namespace

namespace ktr4 {

int32_t configure_ttl_io(uint8_t card, uint8_t mode)
{
    if (mode > 3)
        return KTR4_ERR_RANGE;
    // The lines are switched through axis 3's output commands.
    const OutputCommands line1 = kSharedOutputCommands[0], line2 = kSharedOutputCommands[1];
    write_command(card, 0x08, (mode & 1) ? line1.on : line1.off);
    write_command(card, 0x08, (mode & 2) ? line2.on : line2.off);
    modify_register(card, 1, kWord2Code, [&](uint32_t word) { return ttl_lines(word, mode & 1); });
    return modify_register(card, 2, kWord2Code, [&](uint32_t word) { return ttl_lines(word, mode & 2); });
}

}  // namespace ktr4

extern "C" {

KTR4_API int32_t KTR4_CALL KTR4_set_pulse_outmode(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u8 mode_slot)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    const uint8_t mode = low_byte(mode_slot);
    uint32_t word = 0;
    const int32_t read_rc = read_register(card, axis, read_code(kWord1Code), &word);
    if (mode > 5)
        return KTR4_ERR_RANGE;  // checked after the read, as the card's tools expect
    if (read_rc != KTR4_OK)
        return read_rc;
    const uint32_t code = mode == 5 ? 7u : mode;
    return write_register(card, axis, kWord1Code, (word & ~0x7u) | code);
}

KTR4_API int32_t KTR4_CALL KTR4_readback_pulse_outmode(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint8_t* mode)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    const uint32_t code = read_word(card, axis, kWord1Code) & 0x7u;
    if (int32_t rc = last_result())
        return rc;
    *mode = static_cast<uint8_t>(code > 5 ? 5 : code);
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_set_pulse_inmode(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u8 mode_slot,
                                                 ktr4_u8 direction_slot)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    const uint32_t mode = low_byte(mode_slot), direction = low_byte(direction_slot);
    if (mode > 3 || direction > 1)
        return KTR4_ERR_RANGE;
    return modify_register(card, axis, kWord2Code,
                           [&](uint32_t word) { return (word & ~0x700000u) | (mode << 20) | (direction << 22); });
}

KTR4_API int32_t KTR4_CALL KTR4_readback_pulse_inmode(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint8_t* mode,
                                                      uint8_t* direction)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    const uint32_t word = read_word(card, axis, kWord2Code);
    if (int32_t rc = last_result())
        return rc;
    *mode = static_cast<uint8_t>((word >> 20) & 0x3u);
    *direction = bit_of(word, 22);
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_config_SD_PIN(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u8 enable, ktr4_u8 logic,
                                              ktr4_u8 stop, ktr4_u8 latch)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    set_shadow_bit(card, axis, kShadowSd, flag(enable));
    return modify_register(card, axis, kWord1Code, [&](uint32_t word) {
        return set_bit(set_bit(set_bit(word, 6, flag(logic)), 5, flag(stop)), 4, flag(latch));
    });
}

KTR4_API int32_t KTR4_CALL KTR4_readback_SD_PIN(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint8_t* enable, uint8_t* logic,
                                                uint8_t* stop, uint8_t* latch, uint8_t* state)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    const uint32_t word = read_word(card, axis, kWord1Code);
    const uint32_t pins = read_pin_inputs(card, axis);
    if (int32_t rc = last_result())
        return rc;
    *enable = shadow_bit(card, axis, kShadowSd);
    *logic = bit_of(word, 6);
    *stop = bit_of(word, 5);
    *latch = bit_of(word, 4);
    *state = bit_of(pins, 15);
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_config_PCS_PIN(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u8 enable, ktr4_u8 logic)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    set_shadow_bit(card, axis, kShadowPcs, flag(enable));
    return modify_register(card, axis, kWord1Code, [&](uint32_t word) { return set_bit(word, 24, flag(logic)); });
}

KTR4_API int32_t KTR4_CALL KTR4_readback_PCS_PIN(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint8_t* enable, uint8_t* logic,
                                                 uint8_t* state)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    const uint32_t word = read_word(card, axis, kWord1Code);
    const uint32_t pins = read_pin_inputs(card, axis);
    if (int32_t rc = last_result())
        return rc;
    *enable = shadow_bit(card, axis, kShadowPcs);
    *logic = bit_of(word, 24);
    *state = bit_of(pins, 8);
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_config_INP_PIN(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u8 enable, ktr4_u8 logic)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    set_shadow_bit(card, axis, kShadowInp, flag(enable));
    return modify_register(card, axis, kWord1Code, [&](uint32_t word) { return set_bit(word, 22, flag(logic)); });
}

KTR4_API int32_t KTR4_CALL KTR4_readback_INP_PIN(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint8_t* enable, uint8_t* logic,
                                                 uint8_t* state)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    const uint32_t word = read_word(card, axis, kWord1Code);
    const uint32_t pins = read_pin_inputs(card, axis);
    if (int32_t rc = last_result())
        return rc;
    *enable = shadow_bit(card, axis, kShadowInp);
    *logic = bit_of(word, 22);
    *state = bit_of(pins, 16);
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_config_ERC_PIN(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u8 at_home_end,
                                               ktr4_u8 active_high, ktr4_u8 width_slot, ktr4_u8 off_time_slot)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    const uint32_t width = low_byte(width_slot), off_time = low_byte(off_time_slot);
    if (width > 7 || off_time > 3)
        return KTR4_ERR_RANGE;
    const bool a = flag(at_home_end);
    const uint32_t field_width = a ? width : 7u;
    return modify_register(card, axis, kWord1Code, [&](uint32_t word) {
        word = set_bit(set_bit(word, 11, a), 15, flag(active_high));
        word = (word & ~0x7000u) | (field_width << 12);
        return (word & ~0x30000u) | (kErcFieldOfCode[off_time] << 16);
    });
}

KTR4_API int32_t KTR4_CALL KTR4_readback_ERC_PIN(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint8_t* at_home_end,
                                                 uint8_t* active_high, uint8_t* width, uint8_t* off_time,
                                                 uint8_t* state)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    const uint32_t word = read_word(card, axis, kWord1Code);
    const uint32_t pins = read_pin_inputs(card, axis);
    if (int32_t rc = last_result())
        return rc;
    *at_home_end = bit_of(word, 11);
    *active_high = bit_of(word, 15);
    *width = static_cast<uint8_t>((word >> 12) & 0x7u);
    *off_time = static_cast<uint8_t>((word >> 16) & 0x3u);
    *state = bit_of(pins, 9);
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_config_ALM_PIN(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u8 stop, ktr4_u8 logic)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    return modify_register(card, axis, kWord1Code,
                           [&](uint32_t word) { return set_bit(set_bit(word, 9, flag(stop)), 8, flag(logic)); });
}

KTR4_API int32_t KTR4_CALL KTR4_readback_ALM_PIN(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint8_t* stop, uint8_t* logic,
                                                 uint8_t* state)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    const uint32_t word = read_word(card, axis, kWord1Code);
    const uint16_t sub = read_sub(card, axis);
    if (int32_t rc = last_result())
        return rc;
    *stop = bit_of(word, 9);
    *logic = bit_of(word, 8);
    *state = bit_of(sub, 11);
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_config_LTC_PIN(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u8 counter, ktr4_u8 logic)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    modify_register(card, axis, kLatchWordCode, [&](uint32_t word) { return set_bit(word, 15, !flag(counter)); });
    return modify_register(card, axis, kWord1Code, [&](uint32_t word) { return set_bit(word, 23, flag(logic)); });
}

KTR4_API int32_t KTR4_CALL KTR4_readback_LTC_PIN(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint8_t* counter, uint8_t* logic,
                                                 uint8_t* state)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    const uint32_t latch = read_word(card, axis, kLatchWordCode);
    const uint32_t word = read_word(card, axis, kWord1Code);
    const uint32_t pins = read_pin_inputs(card, axis);
    if (int32_t rc = last_result())
        return rc;
    *counter = static_cast<uint8_t>(bit_of(latch, 15) ^ 1u);
    *logic = bit_of(word, 23);
    *state = bit_of(pins, 14);
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_config_CMP_OUT(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u8 mode_slot)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    const uint32_t mode = low_byte(mode_slot);
    if (mode > 2)
        return KTR4_ERR_RANGE;
    return modify_register(card, axis, kWord2Code,
                           [&](uint32_t word) { return (word & ~0xC000u) | ((mode + 1) << 14); });
}

KTR4_API int32_t KTR4_CALL KTR4_readback_CMP_OUT(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint8_t* mode, uint8_t* state)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    // A field of 0 reads back as 255: the mode is stored plus one.
    const uint32_t word = read_word(card, axis, kWord2Code);
    const uint16_t sub = read_sub(card, axis);
    if (int32_t rc = last_result())
        return rc;
    *mode = static_cast<uint8_t>(((word >> 14) & 0x3u) - 1u);
    *state = static_cast<uint8_t>(bit_of(sub, 7) ^ 1u);
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_config_EL_MODE(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u8 mode)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    return modify_register(card, axis, kWord1Code, [&](uint32_t word) { return set_bit(word, 3, flag(mode)); });
}

KTR4_API int32_t KTR4_CALL KTR4_readback_EL_MODE(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint8_t* mode)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    const uint32_t word = read_word(card, axis, kWord1Code);
    if (int32_t rc = last_result())
        return rc;
    *mode = bit_of(word, 3);
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_set_HOME_pin_logic(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u8 logic)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    return modify_register(card, axis, kWord1Code, [&](uint32_t word) { return set_bit(word, 7, flag(logic)); });
}

KTR4_API int32_t KTR4_CALL KTR4_readback_HOME_pin_logic(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint8_t* logic)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    const uint32_t word = read_word(card, axis, kWord1Code);
    if (int32_t rc = last_result())
        return rc;
    *logic = bit_of(word, 7);
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_set_EZ_pin_logic(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u8 logic)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    return modify_register(card, axis, kWord2Code, [&](uint32_t word) { return set_bit(word, 23, flag(logic)); });
}

KTR4_API int32_t KTR4_CALL KTR4_readback_EZ_pin_logic(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint8_t* logic)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    const uint32_t word = read_word(card, axis, kWord2Code);
    if (int32_t rc = last_result())
        return rc;
    *logic = bit_of(word, 23);
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_config_TTL_IO_MODE(ktr4_u8 card_slot, ktr4_u8 mode_slot)
{
    KTR4_CARD_EXPORT(card_slot);
    return configure_ttl_io(card, low_byte(mode_slot));
}

KTR4_API int32_t KTR4_CALL KTR4_readback_TTL_IO_MODE(ktr4_u8 card_slot, uint8_t* mode)
{
    KTR4_CARD_EXPORT(card_slot);
    const uint32_t axis1 = read_word(card, 1, kWord2Code);
    const uint32_t axis2 = read_word(card, 2, kWord2Code);
    if (int32_t rc = last_result())
        return rc;
    *mode = static_cast<uint8_t>(((axis1 & kTtlField) ? 1 : 0) + ((axis2 & kTtlField) ? 2 : 0));
    return KTR4_OK;
}

}  // extern "C"
