// The ktr4sim_* control interface for tests and tools.
#include <cstdio>
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

// The machine around the axes.

namespace {

template <typename Body> int32_t with_axis(uint32_t slot, uint32_t axis, Body body)
{
    if (axis > 3)
        return KTR4SIM_ERR_AXIS;
    return with_slot(slot, [&](SimCard& card) -> int32_t { return body(card, card.machine(axis)); });
}

// Which sides of a pair of switches: KTR4SIM_MINUS, KTR4SIM_PLUS or both; a side not named goes.
int32_t set_sides(uint32_t which, int32_t minus, int32_t plus, std::optional<int64_t>& minus_at,
                  std::optional<int64_t>& plus_at)
{
    if (which > KTR4SIM_BOTH || (which == KTR4SIM_BOTH && minus >= plus))
        return KTR4SIM_ERR_VALUE;
    minus_at = (which & KTR4SIM_MINUS) ? std::optional<int64_t>(minus) : std::nullopt;
    plus_at = (which & KTR4SIM_PLUS) ? std::optional<int64_t>(plus) : std::nullopt;
    return 0;
}

}  // namespace

KTR4SIM_EXPORT int32_t ktr4sim_set_home_sensor(uint32_t slot, uint32_t axis, int32_t present, int32_t position,
                                               uint32_t width)
{
    return with_axis(slot, axis, [&](SimCard&, ktr4sim::motion::AxisMachine& m) -> int32_t {
        if (present == 0) {
            m.home.reset();
            return 0;
        }
        if (width == 0 || width > INT32_MAX)
            return KTR4SIM_ERR_VALUE;
        m.home = ktr4sim::motion::Zone {position, width};
        return 0;
    });
}

KTR4SIM_EXPORT int32_t ktr4sim_set_index(uint32_t slot, uint32_t axis, int32_t present, int32_t first, uint32_t pitch)
{
    return with_axis(slot, axis, [&](SimCard&, ktr4sim::motion::AxisMachine& m) -> int32_t {
        if (present == 0) {
            m.index.reset();
            return 0;
        }
        if (pitch == 0 || pitch > INT32_MAX)
            return KTR4SIM_ERR_VALUE;
        m.index = ktr4sim::motion::IndexMark {first, pitch};
        return 0;
    });
}

KTR4SIM_EXPORT int32_t ktr4sim_set_limits(uint32_t slot, uint32_t axis, uint32_t which, int32_t minus, int32_t plus)
{
    return with_axis(slot, axis, [&](SimCard&, ktr4sim::motion::AxisMachine& m) {
        return set_sides(which, minus, plus, m.el_minus, m.el_plus);
    });
}

KTR4SIM_EXPORT int32_t ktr4sim_set_slowdown(uint32_t slot, uint32_t axis, uint32_t which, int32_t minus, int32_t plus)
{
    return with_axis(slot, axis, [&](SimCard&, ktr4sim::motion::AxisMachine& m) {
        return set_sides(which, minus, plus, m.sd_minus, m.sd_plus);
    });
}

KTR4SIM_EXPORT int32_t ktr4sim_raise_alarm(uint32_t slot, uint32_t axis)
{
    return with_axis(slot, axis, [&](SimCard& card, ktr4sim::motion::AxisMachine& m) -> int32_t {
        m.alarm = true;
        card.alarm_changed(axis);
        return 0;
    });
}

KTR4SIM_EXPORT int32_t ktr4sim_clear_alarm(uint32_t slot, uint32_t axis)
{
    return with_axis(slot, axis, [&](SimCard& card, ktr4sim::motion::AxisMachine& m) -> int32_t {
        m.alarm = false;
        card.alarm_changed(axis);  // with inverted ALM logic, clearing is what stops the axis
        return 0;
    });
}

KTR4SIM_EXPORT int32_t ktr4sim_set_inp_settle(uint32_t slot, uint32_t axis, int32_t present, uint32_t settle_us)
{
    return with_axis(slot, axis, [&](SimCard&, ktr4sim::motion::AxisMachine& m) -> int32_t {
        if (present == 0) {
            m.inp_settle.reset();
            return 0;
        }
        if (settle_us > 60'000'000u)
            return KTR4SIM_ERR_VALUE;
        m.inp_settle = static_cast<ktr4sim::motion::Tick>(settle_us) * ktr4sim::motion::kReferenceHz / 1'000'000;
        return 0;
    });
}

KTR4SIM_EXPORT int32_t ktr4sim_set_latch_at(uint32_t slot, uint32_t axis, int32_t present, int32_t position)
{
    return with_axis(slot, axis, [&](SimCard&, ktr4sim::motion::AxisMachine& m) -> int32_t {
        m.latch_at = present != 0 ? std::optional<int64_t>(position) : std::nullopt;
        return 0;
    });
}

KTR4SIM_EXPORT int32_t ktr4sim_latch_now(uint32_t slot, uint32_t axis)
{
    return with_axis(slot, axis, [&](SimCard& card, ktr4sim::motion::AxisMachine&) -> int32_t {
        card.latch_now(axis);
        return 0;
    });
}

KTR4SIM_EXPORT int32_t ktr4sim_set_feedback(uint32_t slot, uint32_t axis, double ratio)
{
    return with_axis(slot, axis, [&](SimCard&, ktr4sim::motion::AxisMachine& m) -> int32_t {
        if (!(ratio > 0 && ratio <= 1000))
            return KTR4SIM_ERR_VALUE;
        m.feedback_ratio = ratio;
        return 0;
    });
}

KTR4SIM_EXPORT int32_t ktr4sim_load_machine(const char* path, char* message, uint32_t size)
{
    std::string why;
    const bool loaded = path != nullptr && locked([&](Simulator& sim) {
                            sim.sync();
                            return sim.load_machine(path, &why);
                        });
    if (path == nullptr)
        why = "no file named";
    if (message != nullptr && size > 0)
        std::snprintf(message, size, "%s", loaded ? "" : why.c_str());
    return loaded ? 0 : KTR4SIM_ERR_MACHINE;
}

KTR4SIM_EXPORT void ktr4sim_unload_machine(void)
{
    locked([](Simulator& sim) {
        sim.sync();
        sim.unload_machine();
    });
}
