#include "register_access.h"

#include "card_table.h"
#include "driver_binding.h"
#include "end_position.h"
#include "export_call.h"
#include "ktr4.h"

namespace ktr4 {
namespace {

int32_t read_status_port(uint8_t card, uint16_t offset, uint16_t* word)
{
    uint16_t value = 0;
    const int32_t rc = driver().read_port16(card_state(card).handle, offset, &value);
    if (rc == KTR4_OK)
        *word = value;
    return recorded(rc);
}

}  // namespace

int32_t write_command(uint8_t card, uint8_t axis_bits, uint8_t code)
{
    const auto word = static_cast<uint16_t>((axis_bits << 8) | code);
    return recorded(driver().write_port16(card_state(card).handle, 0, word));
}

int32_t read_register(uint8_t card, uint8_t axis, uint8_t read_code, uint32_t* value, int32_t* own)
{
    uint32_t read = 0;
    const int32_t rc = driver().read_register(card_state(card).handle, axis, read_code, &read);
    if (own != nullptr)
        *own = rc;
    if (rc == KTR4_OK)
        *value = read;
    return recorded(rc);
}

int32_t write_register(uint8_t card, uint8_t axis, uint8_t write_code, uint32_t value)
{
    return recorded(driver().write_register(card_state(card).handle, axis, write_code, value));
}

int32_t read_main_status(uint8_t card, uint8_t axis, uint16_t* word)
{
    return read_status_port(card, static_cast<uint16_t>(axis * 8), word);
}

int32_t read_sub_status(uint8_t card, uint8_t axis, uint16_t* word)
{
    return read_status_port(card, static_cast<uint16_t>(axis * 8 + 2), word);
}

int32_t read_motion_flag(uint8_t card, uint8_t axis, MotionFlag flag, uint8_t* value)
{
    uint16_t word = 0;
    const int32_t rc = driver().read_port16(card_state(card).handle, static_cast<uint16_t>(axis * 8), &word);
    recorded(rc);
    if (rc == KTR4_OK)
        *value = bit_of(word, static_cast<unsigned>(flag));
    return rc;
}

int32_t read_command_position(uint8_t card, uint8_t axis, int32_t* position)
{
    uint32_t value = 0;
    int32_t own = 0;
    read_register(card, axis, read_code(kCommandPositionCode), &value, &own);
    if (own == KTR4_OK)
        *position = static_cast<int32_t>(value);
    return own;
}

int32_t note_axis_stop(uint8_t card, uint8_t axis)
{
    AxisState& state = axis_state(card, axis);
    int32_t rc = KTR4_OK;
    if (state.end.bookkeeping_armed == 1) {
        uint8_t stopped = 0;
        rc = read_motion_flag(card, axis, MotionFlag::kStopped, &stopped);
        if (stopped) {
            int32_t position = 0;
            // A failed read leaves no position to book: keep the old bookkeeping rather than
            // record an undefined stop point.
            rc = read_command_position(card, axis, &position);
            if (rc == KTR4_OK)
                book_stop(state.end, position);
        }
    }
    state.end.bookkeeping_armed = 1;
    return rc;
}

}  // namespace ktr4
