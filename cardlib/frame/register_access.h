// The register access layer: every other unit reaches the card only through these.
// Each makes exactly one driver call, records its result (see recorded) and returns the
// export's first failure so far. A read stores into *value or *word only when it succeeded.
// Card and axis are the caller's to have checked: the export validates them once, before
// any access.
#pragma once

#include <cstdint>

#include "register_map.h"

namespace ktr4 {

// Port offset 0 takes (axis bit set << 8) + command code; the axis bits are not checked.
int32_t write_command(uint8_t card, uint8_t axis_bits, uint8_t code);
// `own`, when given, receives this read's own result.
int32_t read_register(uint8_t card, uint8_t axis, uint8_t read_code, uint32_t* value, int32_t* own = nullptr);
int32_t write_register(uint8_t card, uint8_t axis, uint8_t write_code, uint32_t value);
int32_t read_main_status(uint8_t card, uint8_t axis, uint16_t* word);
int32_t read_sub_status(uint8_t card, uint8_t axis, uint16_t* word);

// Read-modify-write of one register (read code = write code + 0x40). A failed read skips
// the write: writing back an undefined value would corrupt the card's configuration.
template <typename Edit> int32_t modify_register(uint8_t card, uint8_t axis, uint8_t write_code, Edit edit)
{
    uint32_t word = 0;
    int32_t own = 0;
    const int32_t rc = read_register(card, axis, read_code(write_code), &word, &own);
    if (own != 0)
        return rc;
    return write_register(card, axis, write_code, edit(word));
}

// The main status flags the moves decide on.
enum class MotionFlag : uint8_t {
    kStopped = 3,  // the axis stands
    kBufferFull = 14,  // the continuous (pre-register) buffer is full
};

// These two are recorded like every access, but return their read's own result: the caller
// decides on this read alone, whatever failed before it in the same export.
int32_t read_motion_flag(uint8_t card, uint8_t axis, MotionFlag flag, uint8_t* value);
int32_t read_command_position(uint8_t card, uint8_t axis, int32_t* position);

// Brings the stop bookkeeping of an axis up to date before it is programmed again: once
// armed, a stopped axis's lost pulses and commanded end position are taken from where it
// really stopped. Returns the first failure of its own reads (both recorded).
int32_t note_axis_stop(uint8_t card, uint8_t axis);

}  // namespace ktr4
