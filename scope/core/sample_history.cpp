#include "sample_history.h"

#include <algorithm>

namespace ktr4scope {

SampleHistory::SampleHistory(size_t capacity)
    : ring_(std::max<size_t>(capacity, 1))
{
}

void SampleHistory::clear()
{
    first_ = 0;
    size_ = 0;
}

bool SampleHistory::add(const ktr4sim_scope_state& state)
{
    if (size_ > 0) {
        const ktr4sim_scope_state& last = newest();
        if (state.sample == last.sample)
            return false;
        if (state.sample < last.sample || state.tick < last.tick) {
            clear();  // another run of the program, or the simulator was reset
            ++restarts_;
        } else {
            missed_ += state.sample - last.sample - 1;
            if (state.tick == last.tick) {
                ring_[(first_ + size_ - 1) % ring_.size()] = state;
                return true;
            }
        }
    }
    if (size_ < ring_.size()) {
        ring_[(first_ + size_) % ring_.size()] = state;
        ++size_;
    } else {
        ring_[first_] = state;
        first_ = (first_ + 1) % ring_.size();
    }
    return true;
}

size_t SampleHistory::first_within(double seconds_back) const
{
    if (size_ == 0)
        return 0;
    const double from = seconds(newest()) - seconds_back;
    // Ticks only grow within a history: binary search.
    size_t lo = 0, hi = size_ - 1;
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (seconds(at(mid)) < from)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

}  // namespace ktr4scope
