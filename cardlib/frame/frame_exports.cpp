// Discovery and release of cards: KTR4_initial, KTR4_init_card, KTR4_close, KTR4_info.
#include <cstring>

#include "card_table.h"
#include "driver_binding.h"
#include "interrupts/named_event.h"
#include "interrupts/service_thread.h"
#include "export_call.h"
#include "ktr4.h"
#include "ktr4io.h"
#include "priority.h"
#include "pulser_follower.h"
#include "register_access.h"
#include "register_map.h"

using namespace ktr4;

namespace {

// Card number switch: bits 3-6 of the axis-0 sub-status word, inverted.
uint8_t card_number_from_switch_word(uint16_t word)
{
    return static_cast<uint8_t>((static_cast<uint16_t>(~word) >> 3) & 0x0Fu);
}

int32_t find_and_register_cards()
{
    ExportCall call;
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
    ExportCall call;
    CardTable& table = card_table();
    // Every card is released even when an earlier one failed; the first failure is returned.
    for (uint8_t number = 0; number < kCardCount; ++number) {
        CardState& card = table.cards[number];
        if (card.interrupt_off == 0)
            recorded(KTR4_disable_IRQ(number));
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

}  // namespace

extern "C" {

KTR4_API int32_t KTR4_CALL KTR4_initial(void)
{
    // A running follower timer keeps running: a failed discovery leaves the cards it had
    // already registered in use, and a successful one starts the timer only if none runs.
    return find_and_register_cards();
}

KTR4_API int32_t KTR4_CALL KTR4_init_card(ktr4_u8 card_slot)
{
    KTR4_CARD_EXPORT(card_slot);

    for (uint8_t point = 0; point < 4; ++point)
        for (uint8_t axis = 0; axis < kAxesPerCard; ++axis)
            KTR4_write_output_point(card, axis, point, 0);
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
        KTR4_imd_stop(card, axis);
    for (uint8_t code : {kCommandPositionCode, kFeedbackPositionCode, kInitCounterCode, kPulserCounterCode})
        for (uint8_t axis = 0; axis < kAxesPerCard; ++axis)
            write_register(card, axis, code, 0);
    return recorded(KTR4_config_TTL_IO_MODE(card, 0));
}

KTR4_API int32_t KTR4_CALL KTR4_close(void)
{
    const int32_t rc = release_cards();
    stop_follower_timer();
    end_service_threads();  // joined before close returns, unless close is called from a callback
    release_card_events();  // and every descriptor the library opened is closed
    return rc;
}

KTR4_API int32_t KTR4_CALL KTR4_info(ktr4_u8 card_slot, uint16_t* info)
{
    KTR4_CARD_EXPORT(card_slot);
    unsigned char record[KTR4IO_INFO_RECORD_SIZE] = {};
    if (int32_t rc = recorded(driver().card_info(card_state(card).handle, record)))
        return rc;
    *info = static_cast<uint16_t>(record[4] | (record[5] << 8));
    return KTR4_OK;
}

}  // extern "C"
