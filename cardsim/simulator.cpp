#include "simulator.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

namespace ktr4sim {

namespace {
constexpr uint32_t kHandleBase = 0x4B340000u;  // handles that are not small integers
}

std::vector<uint8_t> cards_from_environment()
{
    const char* text = std::getenv("KTR4SIM_CARDS");
    if (text == nullptr)
        return {0};
    std::vector<uint8_t> switches;
    std::stringstream list(text);
    std::string item;
    while (std::getline(list, item, ',')) {
        if (item.empty() || item == "none")
            continue;
        const long value = std::strtol(item.c_str(), nullptr, 0);
        if (value < 0 || value > 15)
            continue;  // a switch has four bits
        if (switches.size() < 16)
            switches.push_back(static_cast<uint8_t>(value));
    }
    return switches;
}

Simulator& Simulator::instance()
{
    static Simulator simulator;
    return simulator;
}

Simulator::Simulator()
{
    reset();
    recorder_ = RunRecorder::from_environment(now());
}

Simulator::~Simulator()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!recorder_)
        return;
    sync();
    recorder_.reset();
}

void Simulator::reset()
{
    virtual_clock_ = false;
    virtual_now_ = 0;
    motion_on_ = true;
    epoch_ = std::chrono::steady_clock::now();
    machine_ = {};
    if (const char* path = std::getenv("KTR4SIM_MACHINE"); path != nullptr && *path != '\0') {
        std::string message;
        // A refused file leaves the cards without a machine rather than with part of one.
        if (auto machine = read_machine_file(path, &message))
            machine_ = std::move(*machine);
        else
            std::fprintf(stderr, "ktr4sim: machine file refused, the cards start without one: %s\n", message.c_str());
    }
    set_cards(cards_from_environment());
    failures_.clear();
    trace_.clear();
    trace_on_ = true;
    if (recorder_)
        recorder_->restart(now());
}

void Simulator::set_cards(const std::vector<uint8_t>& switches)
{
    cards_.clear();
    for (size_t slot = 0; slot < switches.size() && slot < 16; ++slot)
        cards_.emplace_back(switches[slot], kHandleBase + static_cast<uint32_t>(slot));
    const motion::Tick start = now();
    for (SimCard& card : cards_) {
        card.restart_motion(start);
        card.set_motion_enabled(motion_on_);
    }
    apply_machine();
}

void Simulator::apply_machine()
{
    for (SimCard& card : cards_) {
        const auto found = machine_.cards.find(card.switch_setting());
        for (uint32_t axis = 0; axis < 4; ++axis)
            card.machine(axis) = found == machine_.cards.end() ? motion::AxisMachine {} : found->second[axis];
    }
}

bool Simulator::load_machine(const std::string& path, std::string* message)
{
    auto machine = read_machine_file(path, message);
    if (!machine)
        return false;
    machine_ = std::move(*machine);
    apply_machine();
    return true;
}

void Simulator::unload_machine()
{
    machine_ = {};
    apply_machine();
}

motion::Tick Simulator::now() const
{
    if (virtual_clock_)
        return virtual_now_;
    const auto ns =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - epoch_).count();
    // 19 660 800 / 10^9 = 1536 / 78125, in 128 bits so that no uptime overflows.
    return static_cast<motion::Tick>(static_cast<__int128>(ns) * 1536 / 78125);
}

void Simulator::use_virtual_clock(bool on)
{
    if (on == virtual_clock_)
        return;
    const motion::Tick here = now();
    if (on) {
        virtual_now_ = here;
    } else {
        // Wall-clock time picks up where the virtual clock stands.
        const auto ns = static_cast<int64_t>(static_cast<__int128>(here) * 78125 / 1536);
        epoch_ = std::chrono::steady_clock::now() - std::chrono::nanoseconds(ns);
    }
    virtual_clock_ = on;
}

void Simulator::advance(motion::Tick ticks)
{
    // The virtual clock stops at 2^61 ticks (some 3 700 years) instead of overflowing.
    constexpr motion::Tick kEnd = motion::Tick {1} << 61;
    if (virtual_clock_ && ticks > 0)
        virtual_now_ = ticks > kEnd - virtual_now_ ? kEnd : virtual_now_ + ticks;
    sync();
}

void Simulator::sync()
{
    const motion::Tick t = now();
    if (recorder_)
        recorder_->advance(cards_, t);
    for (SimCard& card : cards_)
        card.advance_to(t);
}

void Simulator::set_motion(bool on)
{
    motion_on_ = on;
    for (SimCard& card : cards_)
        card.set_motion_enabled(on);
}

SimCard* Simulator::card_by_handle(uint32_t handle)
{
    for (SimCard& card : cards_)
        if (card.handle() == handle)
            return &card;
    return nullptr;
}

SimCard* Simulator::card_by_slot(uint32_t slot)
{
    return slot < cards_.size() ? &cards_[slot] : nullptr;
}

std::optional<int32_t> Simulator::take_failure(uint32_t operation)
{
    for (auto it = failures_.begin(); it != failures_.end(); ++it) {
        if (it->operation != operation)
            continue;
        if (it->skip > 0) {
            --it->skip;
            return std::nullopt;
        }
        const int32_t code = it->code;
        if (it->count > 0 && --it->count == 0)
            failures_.erase(it);
        return code;
    }
    return std::nullopt;
}

void Simulator::fail(uint32_t operation, int32_t code, uint32_t skip, int32_t count)
{
    if (count == 0)
        return;
    failures_.push_back({operation, code, skip, count});
}

void Simulator::record(const ktr4sim_call& call)
{
    if (trace_on_ && trace_.size() < kTraceCapacity)
        trace_.push_back(call);
}

}  // namespace ktr4sim
