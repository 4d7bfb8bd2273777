// The last seconds of one publisher's states, in a ring of fixed size: memory does not grow
// however long the scope runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ktr4sim.h"
#include "ktr4sim_scope.h"

namespace ktr4scope {

class SampleHistory {
public:
    // 11 s at 100 Hz: the 10 s on screen and a little more.
    static constexpr size_t kDefaultCapacity = 1100;

    explicit SampleHistory(size_t capacity = kDefaultCapacity);

    // Takes a state just read. One already taken (same publication) is ignored; one at the same
    // clock tick replaces the newest (a virtual clock standing still); a clock that went back
    // (the program reset the simulator) starts the history over. True when the history changed.
    bool add(const ktr4sim_scope_state& state);
    void clear();

    size_t size() const { return size_; }
    size_t capacity() const { return ring_.size(); }
    bool empty() const { return size_ == 0; }
    // 0 is the oldest kept.
    const ktr4sim_scope_state& at(size_t index) const { return ring_[(first_ + index) % ring_.size()]; }
    const ktr4sim_scope_state& newest() const { return at(size_ - 1); }
    // Index of the oldest sample no more than `seconds` older than the newest (0 when empty).
    size_t first_within(double seconds) const;

    // Publications that were never read, from gaps in the publication numbers.
    uint64_t missed() const { return missed_; }
    // Times the history started over.
    uint64_t restarts() const { return restarts_; }

    static double seconds(const ktr4sim_scope_state& state)
    {
        return static_cast<double>(state.tick) / KTR4SIM_TICKS_PER_SECOND;
    }

private:
    std::vector<ktr4sim_scope_state> ring_;
    size_t first_ = 0;
    size_t size_ = 0;
    uint64_t missed_ = 0;
    uint64_t restarts_ = 0;
};

}  // namespace ktr4scope
