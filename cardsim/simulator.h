// The simulated driver's state: the cards present, armed failures and the call trace.
#pragma once

#include <chrono>
#include <memory>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "ktr4sim.h"
#include "machine/machine_file.h"
#include "motion/recorder.h"
#include "sim_card.h"

namespace ktr4sim {

class Simulator {
public:
    static Simulator& instance();

    std::mutex& mutex() { return mutex_; }

    // All of the following expect mutex() to be held.
    void reset();
    void set_cards(const std::vector<uint8_t>& switches);
    const std::vector<SimCard>& cards() const { return cards_; }
    SimCard* card_by_handle(uint32_t handle);
    SimCard* card_by_slot(uint32_t slot);

    // The machine file's machine replaces every axis's machine, by card number; a refused file
    // changes nothing and says why in *message. Unloading leaves every axis without signals.
    bool load_machine(const std::string& path, std::string* message);
    void unload_machine();

    // An armed failure for this call of `operation`, if any; counts the call.
    std::optional<int32_t> take_failure(uint32_t operation);
    void fail(uint32_t operation, int32_t code, uint32_t skip, int32_t count);
    void clear_failures() { failures_.clear(); }

    // The cards' clock, in ticks of the reference clock: wall-clock time since the last reset,
    // or a virtual clock that only advance() moves.
    motion::Tick now() const;
    void use_virtual_clock(bool on);
    bool virtual_clock() const { return virtual_clock_; }
    void advance(motion::Tick ticks);
    // Brings every card's motion up to now(), through the record of the run when one is made
    // (KTR4SIM_RECORD); every driver and control call starts with it.
    void sync();
    void set_motion(bool on);

    void record(const ktr4sim_call& call);
    void trace_enable(bool on) { trace_on_ = on; }
    void trace_clear() { trace_.clear(); }
    const std::vector<ktr4sim_call>& trace() const { return trace_; }
    static constexpr uint32_t kTraceCapacity = 1u << 20;

private:
    Simulator();
    // Finishes the record of the run, if any, where the cards are as the process ends.
    ~Simulator();

    struct Failure {
        uint32_t operation;
        int32_t code;
        uint32_t skip;
        int32_t count;  // < 0: for ever
    };

    std::mutex mutex_;
    std::vector<SimCard> cards_;
    std::vector<Failure> failures_;
    std::vector<ktr4sim_call> trace_;
    bool trace_on_ = true;
    bool virtual_clock_ = false;
    bool motion_on_ = true;
    motion::Tick virtual_now_ = 0;
    std::chrono::steady_clock::time_point epoch_ = std::chrono::steady_clock::now();
    std::unique_ptr<RunRecorder> recorder_;
    MachineDescription machine_;

    void apply_machine();
};

// Switch settings from KTR4SIM_CARDS (default: one card with switch 0).
std::vector<uint8_t> cards_from_environment();

}  // namespace ktr4sim
