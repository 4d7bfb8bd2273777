// Interrupt enable/disable, per-axis filters, the callback link and the direct status read.
#include <atomic>
#include <cstdint>

#include "frame/card_table.h"
#include "frame/driver_binding.h"
#include "frame/export_call.h"
#include "frame/register_access.h"
#include "interrupt_control.h"
#include "interrupt_status.h"
#include "ktr4.h"
#include "ktr4io.h"
#include "named_event.h"
#include "service_thread.h"

using namespace ktr4;

namespace {

ktr4io_interrupt_record interrupt_record(KTR4_EVENT* slot, bool enable)
{
    ktr4io_interrupt_record record {};
#if defined(_WIN32) && !defined(_WIN64)
    record.event_slot = slot == nullptr ? 0u : static_cast<uint32_t>(reinterpret_cast<uintptr_t>(slot));
#else
    record.event_slot = slot;
#endif
    record.zero = 0;
    record.enable = enable ? 1 : 0;
    return record;
}

}  // namespace

namespace ktr4 {

int32_t disable_interrupts(uint8_t card)
{
    CardState& state = card_state(card);
    // Everything is switched off even when a driver call fails; the first failure is returned.
    state.interrupt_off = 1;
    recorded(driver().reset_interrupt(state.handle, card));
    if (state.service.running == 1) {
        ktr4io_interrupt_record record = interrupt_record(nullptr, false);
        recorded(driver().set_interrupt(state.handle, &record));
    }
    state.service.running = 0;
    notify_service_threads();
    end_card_service_threads(card);  // a thread waiting for the card's event ends now
    return last_result();
}

}  // namespace ktr4

extern "C" {

KTR4_API int32_t KTR4_CALL KTR4_enable_IRQ(ktr4_u8 card_slot, KTR4_EVENT* event)
{
    KTR4_CARD_EXPORT(card_slot);
    CardState& state = card_state(card);
    char name[6];
    card_event_name(card, name);
    const KTR4_EVENT previous = state.event;
    const KTR4_EVENT fresh = open_or_create_event(name);
    // The driver may read the slot from another thread at any time (see ktr4io.h).
    std::atomic_ref<KTR4_EVENT>(state.event).store(fresh, std::memory_order_release);

    // A linked service keeps serving: the driver already signals through the event slot, which
    // now holds the fresh event, and the thread moves to it below. (Stopping it here silenced
    // the callback until the application linked it again, and nothing told it so.)
    if (state.service.running == 0) {
        ktr4io_interrupt_record record = interrupt_record(&state.event, true);
        if (int32_t rc = recorded(driver().set_interrupt(state.handle, &record))) {
            // Not enabled: the card keeps its previous event and the caller gets none.
            std::atomic_ref<KTR4_EVENT>(state.event).store(previous, std::memory_order_release);
            if (fresh != previous)
                release_event(fresh);
            return rc;
        }
    }
    *event = fresh;
    ++state.event_generation;
    if (previous != fresh) {
        // Threads waiting on the old event move to the new one; the old one is the library's to
        // close (card 0's unnamed event), and its waiters hold their own references.
        wake_service_threads(card);
        release_event(previous);
    }
    state.interrupt_off = 0;
    notify_service_threads();
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_disable_IRQ(ktr4_u8 card_slot)
{
    KTR4_CARD_EXPORT(card_slot);
    return disable_interrupts(card);
}

KTR4_API int32_t KTR4_CALL KTR4_set_INT_mask(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u8 mask_slot)
{
    ExportCall call;
    const uint8_t card = low_byte(card_slot), axis = low_byte(axis_slot), mask = low_byte(mask_slot);
    if (int32_t rc = check_card_then_axis(card, axis))
        return rc;
    if (mask > 1)
        return KTR4_ERR_RANGE;
    axis_state(card, axis).interrupts.mask = mask;
    if (mask == 0)
        return write_register(card, axis, kEventFactorCode, 0);
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_set_INT_source(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint32_t source, uint32_t factor)
{
    ExportCall call;
    const uint8_t card = low_byte(card_slot), axis = low_byte(axis_slot);
    if (int32_t rc = check_card_then_axis(card, axis))
        return rc;
    axis_state(card, axis).interrupts.source = source & 0x0003F7F3u;
    return write_register(card, axis, kEventFactorCode, factor & 0x00055BF3u);
}

KTR4_API int32_t KTR4_CALL KTR4_link_IRQ_process(ktr4_u8 card_slot, KTR4_IRQ_CALLBACK callback)
{
    KTR4_CARD_EXPORT(card_slot);
    CardState& state = card_state(card);
    if (state.service.running == 0) {
        if (int32_t rc = start_service_thread(card))
            return rc;  // nothing changed
    }
    state.interrupt_off = 0;
    state.service.card = card;
    state.service.callback = callback;
    state.service.running = 1;
    notify_service_threads();
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_read_INT_status(ktr4_u8 card_slot, ktr4_u8 axis_slot, uint8_t* field,
                                                uint32_t* event_word, uint32_t* last_word)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    InterruptStatus status;
    if (int32_t rc = recorded(driver().read_interrupt_status(card_state(card).handle, status.bytes)))
        return rc;
    *field = status.field(axis);
    *event_word = status.event_word(axis);
    *last_word = status.last_word(axis);
    return KTR4_OK;
}

}  // extern "C"
