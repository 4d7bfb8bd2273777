#include "register_access.h"

#include "card_table.h"
#include "driver_binding.h"
#include "end_position.h"
#include "export_call.h"
#include "ktr4.h"

namespace ktr4 {
namespace {

int32_t read_status_port(uint8_t card, uint8_t axis, uint16_t offset, uint16_t* word)
{
    if (int32_t rc = check_card_axis(card, axis))
        return rc;
    uint16_t value = 0;
    const int32_t rc = driver().read_port16(card_state(card).handle, offset, &value);
    if (rc == KTR4_OK)
        *word = value;
    return recorded(rc);
}

}  // namespace

int32_t write_command(uint8_t card, uint8_t axis_bits, uint8_t code)
{
    if (int32_t rc = check_card(card))
        return rc;
    const auto word = static_cast<uint16_t>((axis_bits << 8) | code);
    return recorded(driver().write_port16(card_state(card).handle, 0, word));
}

int32_t read_register(uint8_t card, uint8_t axis, uint8_t read_code, uint32_t* value, int32_t* own)
{
    if (int32_t rc = check_card_axis(card, axis)) {
        if (own != nullptr)
            *own = rc;
        return rc;
    }
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
    if (int32_t rc = check_card_axis(card, axis))
        return rc;
    return recorded(driver().write_register(card_state(card).handle, axis, write_code, value));
}

int32_t read_main_status(uint8_t card, uint8_t axis, uint16_t* word)
{
    return read_status_port(card, axis, static_cast<uint16_t>(axis * 8), word);
}

int32_t read_sub_status(uint8_t card, uint8_t axis, uint16_t* word)
{
    return read_status_port(card, axis, static_cast<uint16_t>(axis * 8 + 2), word);
}

int32_t note_axis_stop(uint8_t card, uint8_t axis)
{
    if (int32_t rc = check_card_axis(card, axis))
        return rc;
    AxisState& state = axis_state(card, axis);
    if (state.end.bookkeeping_armed == 1) {
        uint8_t stopped = 0;
        KTR4_read_motion_status(card, axis, 0, &stopped);
        if (stopped) {
            int32_t position = 0;
            // A failed read leaves no position to book: keep the old bookkeeping rather than
            // record an undefined stop point.
            if (KTR4_read_current_position(card, axis, &position) != KTR4_OK) {
                state.end.bookkeeping_armed = 1;
                return last_result();
            }
            book_stop(state.end, position);
        }
    }
    state.end.bookkeeping_armed = 1;
    return last_result();
}

}  // namespace ktr4
