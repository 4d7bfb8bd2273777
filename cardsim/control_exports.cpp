// The ktr4sim_* control interface for tests and tools.
#include <mutex>
#include <optional>
#include <vector>

#include "ktr4sim.h"
#include "simulator.h"

using ktr4sim::SimCard;
using ktr4sim::Simulator;

#define KTR4SIM_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

template <typename Body> auto locked(Body body)
{
    Simulator& sim = Simulator::instance();
    std::lock_guard<std::mutex> lock(sim.mutex());
    return body(sim);
}

template <typename Body> int32_t with_slot(uint32_t slot, Body body)
{
    return locked([&](Simulator& sim) -> int32_t {
        sim.sync();
        SimCard* card = sim.card_by_slot(slot);
        return card == nullptr ? KTR4SIM_ERR_HANDLE : body(*card);
    });
}

}  // namespace

KTR4SIM_EXPORT void ktr4sim_reset(void)
{
    locked([](Simulator& sim) { sim.reset(); });
}

KTR4SIM_EXPORT void ktr4sim_set_cards(const uint8_t* switches, uint32_t count)
{
    std::vector<uint8_t> list(switches, switches + (count > 16 ? 16 : count));
    locked([&](Simulator& sim) { sim.set_cards(list); });
}

KTR4SIM_EXPORT uint32_t ktr4sim_handle(uint32_t slot)
{
    return locked([&](Simulator& sim) -> uint32_t {
        SimCard* card = sim.card_by_slot(slot);
        return card == nullptr ? 0xFFFFFFFFu : card->handle();
    });
}

KTR4SIM_EXPORT int32_t ktr4sim_is_open(uint32_t slot)
{
    return with_slot(slot, [](SimCard& card) -> int32_t { return card.is_open() ? 1 : 0; });
}

KTR4SIM_EXPORT void ktr4sim_set_info_word(uint32_t slot, uint16_t word)
{
    with_slot(slot, [&](SimCard& card) -> int32_t {
        card.set_info_word(word);
        return 0;
    });
}

KTR4SIM_EXPORT int32_t ktr4sim_set_register(uint32_t slot, uint32_t axis, uint32_t read_code, uint32_t value)
{
    return with_slot(slot, [&](SimCard& card) { return card.poke(axis, read_code, value); });
}

KTR4SIM_EXPORT int32_t ktr4sim_get_register(uint32_t slot, uint32_t axis, uint32_t read_code, uint32_t* value)
{
    return with_slot(slot, [&](SimCard& card) { return card.peek(axis, read_code, value); });
}

KTR4SIM_EXPORT int32_t ktr4sim_set_status(uint32_t slot, uint32_t axis, uint32_t port, uint16_t word)
{
    return with_slot(slot, [&](SimCard& card) { return card.set_status(axis, port, word); });
}

KTR4SIM_EXPORT int32_t ktr4sim_get_status(uint32_t slot, uint32_t axis, uint32_t port, uint16_t* word)
{
    return with_slot(slot, [&](SimCard& card) { return card.get_status(axis, port, word); });
}

KTR4SIM_EXPORT void ktr4sim_fail(uint32_t operation, int32_t code, uint32_t skip, int32_t count)
{
    locked([&](Simulator& sim) { sim.fail(operation, code, skip, count); });
}

KTR4SIM_EXPORT void ktr4sim_clear_failures(void)
{
    locked([](Simulator& sim) { sim.clear_failures(); });
}

KTR4SIM_EXPORT void ktr4sim_trace_enable(int32_t on)
{
    locked([&](Simulator& sim) { sim.trace_enable(on != 0); });
}

KTR4SIM_EXPORT void ktr4sim_trace_clear(void)
{
    locked([](Simulator& sim) { sim.trace_clear(); });
}

KTR4SIM_EXPORT uint32_t ktr4sim_trace_size(void)
{
    return locked([](Simulator& sim) { return static_cast<uint32_t>(sim.trace().size()); });
}

KTR4SIM_EXPORT uint32_t ktr4sim_trace_capacity(void)
{
    return Simulator::kTraceCapacity;
}

KTR4SIM_EXPORT int32_t ktr4sim_trace_get(uint32_t index, ktr4sim_call* call)
{
    return locked([&](Simulator& sim) -> int32_t {
        if (index >= sim.trace().size())
            return KTR4SIM_ERR_CODE;
        *call = sim.trace()[index];
        return 0;
    });
}

KTR4SIM_EXPORT int32_t ktr4sim_raise_interrupt(uint32_t slot, uint32_t axis, uint16_t cause, uint32_t event_word)
{
    if (axis > 3)
        return KTR4SIM_ERR_AXIS;
    return with_slot(slot, [&](SimCard& card) -> int32_t {
        return card.raise_interrupt(axis, cause, event_word) ? 0 : KTR4SIM_ERR_DISABLED;
    });
}

KTR4SIM_EXPORT int32_t ktr4sim_interrupt_enabled(uint32_t slot)
{
    return with_slot(slot, [](SimCard& card) -> int32_t { return card.interrupt_enabled() ? 1 : 0; });
}

KTR4SIM_EXPORT void ktr4sim_use_virtual_clock(int32_t on)
{
    locked([&](Simulator& sim) { sim.use_virtual_clock(on != 0); });
}

KTR4SIM_EXPORT void ktr4sim_advance(uint64_t ticks)
{
    // Beyond 2^62 ticks (about 7 400 years) there is nothing left to simulate.
    const auto step = static_cast<int64_t>(ticks > (UINT64_C(1) << 62) ? (UINT64_C(1) << 62) : ticks);
    locked([&](Simulator& sim) { sim.advance(step); });
}

KTR4SIM_EXPORT uint64_t ktr4sim_now(void)
{
    return locked([](Simulator& sim) { return static_cast<uint64_t>(sim.now()); });
}

KTR4SIM_EXPORT void ktr4sim_set_motion(int32_t on)
{
    locked([&](Simulator& sim) { sim.set_motion(on != 0); });
}

KTR4SIM_EXPORT int32_t ktr4sim_set_home(uint32_t slot, uint32_t axis, int32_t present, int32_t position)
{
    if (axis > 3)
        return KTR4SIM_ERR_AXIS;
    return with_slot(slot, [&](SimCard& card) -> int32_t {
        card.set_home(axis, present != 0 ? std::optional<int32_t>(position) : std::nullopt);
        return 0;
    });
}

KTR4SIM_EXPORT int32_t ktr4sim_is_moving(uint32_t slot, uint32_t axis)
{
    if (axis > 3)
        return KTR4SIM_ERR_AXIS;
    return with_slot(slot, [&](SimCard& card) -> int32_t { return card.moving(axis) ? 1 : 0; });
}

KTR4SIM_EXPORT int64_t ktr4sim_stop_tick(uint32_t slot, uint32_t axis)
{
    if (axis > 3)
        return -1;
    return locked([&](Simulator& sim) -> int64_t {
        sim.sync();
        SimCard* card = sim.card_by_slot(slot);
        return card == nullptr ? -1 : card->last_end(axis);
    });
}

KTR4SIM_EXPORT int32_t ktr4sim_pulser_input(uint32_t slot, uint32_t axis, int32_t pulses)
{
    if (axis > 3)
        return KTR4SIM_ERR_AXIS;
    return with_slot(slot, [&](SimCard& card) -> int32_t {
        card.pulser_input(axis, pulses);
        return 0;
    });
}
