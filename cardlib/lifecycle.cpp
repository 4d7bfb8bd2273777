// The library's lifecycle: discovery and release of cards (KTR4_initial, KTR4_close) and a
// card's start-up state (KTR4_init_card). Above the frame: it starts and ends the follower
// timer and the interrupt service, and sets a card up through the operations of other units.
#include "auxmotion.h"
#include "frame/card_table.h"
#include "frame/driver_binding.h"
#include "frame/export_call.h"
#include "frame/priority.h"
#include "frame/register_access.h"
#include "frame/register_map.h"
#include "interrupts/interrupt_control.h"
#include "interrupts/named_event.h"
#include "interrupts/service_thread.h"
#include "ktr4.h"
#include "ktr4io.h"
#include "pins.h"
#include "pulser_follower.h"
#include "status.h"

using namespace ktr4;

namespace {

// Card number switch: bits 3-6 of the axis-0 sub-status word, inverted.
uint8_t card_number_from_switch_word(uint16_t word)
{
    return static_cast<uint8_t>((static_cast<uint16_t>(~word) >> 3) & 0x0Fu);
}

int32_t find_and_register_cards()
{
    CardTable& table = card_table();
    for (CardState& card : table.cards) {
        card.handle = kNoCard;
        card.open.open_flag = 0;
    }

    if (int32_t rc = bind_driver())
        return rc;
    const DriverOps& ops = driver();

    uint32_t handles[kCardCount] = {};
    uint8_t count = 0;
    if (int32_t rc = recorded(ops.find_cards(KTR4IO_DEVICE_TYPE, handles, &count)))
        return rc;
    // A driver reporting more than it can hand over is held to the table's size.
    if (count > kCardCount)
        count = kCardCount;

    for (uint8_t i = 0; i < count; ++i) {
        uint16_t switch_word = 0;
        if (int32_t rc = recorded(ops.read_port16(handles[i], 2, &switch_word)))
            return rc;
        const uint8_t number = card_number_from_switch_word(switch_word);
        CardState& card = table.cards[number];
        if (card.handle != kNoCard)
            return KTR4_ERR_DUPLICATE_CARD;
        card.open.open_flag = 1;
        const int32_t opened = ops.open_card(handles[i], &card.open);
        recorded(opened);
        if (opened != KTR4_OK) {
            // A card the driver did not open is not registered; the others still are.
            card.open.open_flag = 0;
            continue;
        }
        card.handle = handles[i];
    }

    reset_axis_tables();
    for (CardState& card : table.cards)
        card.interrupt_off = 1;
    raise_process_priority();
    if (!start_follower_timer())
        return KTR4_ERR_THREAD;
    return last_result();
}

int32_t release_cards()
{
    CardTable& table = card_table();
    // Every card is released even when an earlier one failed; the first failure is returned.
    for (uint8_t number = 0; number < kCardCount; ++number) {
        CardState& card = table.cards[number];
        // A failed discovery may leave a card that was never found with its service on.
        if (card.interrupt_off == 0)
            recorded(card_initialised(number) ? disable_interrupts(number) : KTR4_ERR_NOT_INITIALISED);
        if (card.open.open_flag) {
            card.open.open_flag = 0;
            recorded(driver().open_card(card.handle, &card.open));
        }
        // A closed library reaches no card: every card answers as never found until the next
        // KTR4_initial.
        card.handle = kNoCard;
    }
    return last_result();
}

// The state KTR4_init_card gives every axis: outputs off, the configuration words and the
// environment at their start values, the axes stopped, counters zero, TTL lines unrouted.
int32_t set_up_card(uint8_t card)
{
    for (uint8_t point = 0; point < 4; ++point)
        for (uint8_t axis = 0; axis < kAxesPerCard; ++axis)
            write_output_point(card, axis, point, false);
    for (uint8_t axis = 0; axis < kAxesPerCard; ++axis)
        write_register(card, axis, kCorrectionSpeedCode, 0x00000100u);
    for (uint8_t axis = 0; axis < kAxesPerCard; ++axis)
        write_register(card, axis, kWord1Code, 0xB0077007u);
    for (uint8_t axis = 0; axis < kAxesPerCard; ++axis)
        write_register(card, axis, kWord2Code, axis == 3 ? 0x02204145u : 0x02204005u);
    for (uint8_t axis = 0; axis < kAxesPerCard; ++axis)
        write_register(card, axis, kWord3Code, 0x01F02000u);
    for (uint8_t axis = 0; axis < kAxesPerCard; ++axis)
        write_register(card, axis, kEnvironmentCode, 0);
    for (uint8_t axis = 0; axis < kAxesPerCard; ++axis)
        immediate_stop(card, axis);
    for (uint8_t code : {kCommandPositionCode, kFeedbackPositionCode, kInitCounterCode, kPulserCounterCode})
        for (uint8_t axis = 0; axis < kAxesPerCard; ++axis)
            write_register(card, axis, code, 0);
    return recorded(configure_ttl_io(card, 0));
}

}  // namespace

extern "C" {

KTR4_API int32_t KTR4_CALL KTR4_initial(void)
{
    // A running follower timer keeps running: a failed discovery leaves the cards it had
    // already registered in use, and a successful one starts the timer only if none runs.
    ExportCall call;
    return find_and_register_cards();
}

KTR4_API int32_t KTR4_CALL KTR4_init_card(ktr4_u8 card_slot)
{
    KTR4_CARD_EXPORT(card_slot);
    return set_up_card(card);
}

KTR4_API int32_t KTR4_CALL KTR4_close(void)
{
    int32_t rc = KTR4_OK;
    {
        ExportCall call;
        rc = release_cards();
    }
    // These join threads that take the library lock, so they run without it.
    stop_follower_timer();
    end_service_threads();  // joined before close returns, unless close is called from a callback
    release_card_events();  // and every descriptor the library opened is closed
    return rc;
}

}  // extern "C"
