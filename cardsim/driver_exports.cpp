// The driver operations of ktr4io.h, served by the simulated cards.
#include <cstring>
#include <mutex>

#include "ktr4io.h"
#include "simulator.h"

using ktr4sim::SimCard;
using ktr4sim::Simulator;

#define KTR4SIM_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// Runs one operation under the simulator's lock: an armed failure wins, otherwise `body`
// does the work; either way the call goes into the trace. `written` is the value an operation
// hands the card (a register or port write): it is recorded even when the call fails.
template <typename Body>
int32_t serve(uint32_t operation, uint32_t handle, uint32_t a, uint32_t b, Body body, uint32_t written = 0)
{
    Simulator& sim = Simulator::instance();
    std::lock_guard<std::mutex> lock(sim.mutex());
    sim.sync();
    ktr4sim_call call {operation, handle, a, b, written, 0};
    if (auto failure = sim.take_failure(operation)) {
        call.result = *failure;
    } else {
        call.result = body(sim, call.value);
    }
    sim.record(call);
    return call.result;
}

template <typename Body>
int32_t serve_card(uint32_t operation, uint32_t handle, uint32_t a, uint32_t b, Body body, uint32_t written = 0)
{
    return serve(
        operation, handle, a, b,
        [&](Simulator& sim, uint32_t& value) -> int32_t {
            SimCard* card = sim.card_by_handle(handle);
            if (card == nullptr)
                return KTR4SIM_ERR_HANDLE;
            return body(*card, value);
        },
        written);
}

}  // namespace

KTR4SIM_EXPORT int32_t ktr4io_find_cards(uint16_t device_type, uint32_t handles[16], uint8_t* count)
{
    return serve(1, 0, device_type, 0, [&](Simulator& sim, uint32_t& value) -> int32_t {
        uint8_t found = 0;
        // Another model's code finds nothing, as a real driver would.
        if (device_type == KTR4IO_DEVICE_TYPE) {
            for (const SimCard& card : sim.cards())
                handles[found++] = card.handle();
        }
        *count = found;
        value = found;
        return 0;
    });
}

KTR4SIM_EXPORT int32_t ktr4io_card_info(uint32_t handle, void* record)
{
    return serve_card(2, handle, 0, 0, [&](SimCard& card, uint32_t& value) -> int32_t {
        unsigned char bytes[KTR4IO_INFO_RECORD_SIZE] = {};
        bytes[0] = KTR4IO_DEVICE_TYPE & 0xFF;
        bytes[1] = KTR4IO_DEVICE_TYPE >> 8;
        bytes[4] = static_cast<unsigned char>(card.info_word() & 0xFF);
        bytes[5] = static_cast<unsigned char>(card.info_word() >> 8);
        std::memcpy(record, bytes, sizeof bytes);
        value = card.info_word();
        return 0;
    });
}

KTR4SIM_EXPORT int32_t ktr4io_open_card(uint32_t handle, void* open_record)
{
    auto* bytes = static_cast<unsigned char*>(open_record);
    return serve_card(3, handle, bytes[0], 0, [&](SimCard& card, uint32_t& value) -> int32_t {
        card.set_open(bytes[0] != 0);
        const uint32_t driver_word = card.handle();
        std::memcpy(bytes + 4, &driver_word, 4);
        value = bytes[0];
        return 0;
    });
}

KTR4SIM_EXPORT int32_t ktr4io_set_interrupt(uint32_t handle, void* interrupt_record)
{
    const auto* record = static_cast<const ktr4io_interrupt_record*>(interrupt_record);
    return serve_card(4, handle, record->enable, 0, [&](SimCard& card, uint32_t&) -> int32_t {
        card.set_interrupt(record->event_slot, record->enable != 0);
        return 0;
    });
}

KTR4SIM_EXPORT int32_t ktr4io_read_interrupt_status(uint32_t handle, void* status_block)
{
    return serve_card(5, handle, 0, 0, [&](SimCard& card, uint32_t&) -> int32_t {
        card.read_interrupt_status(static_cast<unsigned char*>(status_block));
        return 0;
    });
}

KTR4SIM_EXPORT int32_t ktr4io_reset_interrupt(uint32_t handle, uint32_t card_number)
{
    return serve_card(6, handle, card_number, 0, [&](SimCard& card, uint32_t&) -> int32_t {
        card.reset_interrupt();
        return 0;
    });
}

KTR4SIM_EXPORT int32_t ktr4io_read_port16(uint32_t handle, uint16_t offset, uint16_t* word)
{
    return serve_card(12, handle, offset, 0, [&](SimCard& card, uint32_t& value) -> int32_t {
        uint16_t read = 0;
        const int32_t rc = card.read_port(offset, &read);
        if (rc == 0)
            *word = read;
        value = read;
        return rc;
    });
}

KTR4SIM_EXPORT int32_t ktr4io_write_port16(uint32_t handle, uint16_t offset, uint16_t word)
{
    return serve_card(
        22, handle, offset, 0, [&](SimCard& card, uint32_t&) -> int32_t { return card.write_port(offset, word); },
        word);
}

KTR4SIM_EXPORT int32_t ktr4io_read_register(uint32_t handle, uint16_t axis, uint16_t code, uint32_t* out)
{
    return serve_card(50, handle, axis, code, [&](SimCard& card, uint32_t& value) -> int32_t {
        uint32_t read = 0;
        const int32_t rc = card.read_register(axis, code, &read);
        if (rc == 0)
            *out = read;
        value = read;
        return rc;
    });
}

KTR4SIM_EXPORT int32_t ktr4io_write_register(uint32_t handle, uint16_t axis, uint16_t code, uint32_t in)
{
    return serve_card(
        51, handle, axis, code,
        [&](SimCard& card, uint32_t&) -> int32_t { return card.write_register(axis, code, in); }, in);
}
