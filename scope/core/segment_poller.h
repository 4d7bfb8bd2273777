// Reads a scope segment on its own thread, every 5 ms, and queues each new publication (from the
// segment's ring, so a late wake-up loses nothing), so a busy or slow window misses none of
// them: the window takes the queue when it gets round to it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ktr4sim_scope.h"

namespace ktr4scope {

class SegmentPoller {
public:
    // At most this many publications wait (40 s at 100 Hz); older ones are dropped beyond it.
    static constexpr size_t kMaxQueued = 4000;

    SegmentPoller() = default;
    ~SegmentPoller() { stop(); }
    SegmentPoller(const SegmentPoller&) = delete;
    SegmentPoller& operator=(const SegmentPoller&) = delete;

    // Starts reading the segment of process `pid`; false when it cannot be opened.
    bool start(long pid);
    void stop();
    // The publications read since the last call, oldest first.
    std::vector<ktr4sim_scope_state> take();

private:
    std::mutex mutex_;
    std::condition_variable stop_signal_;
    bool stop_ = false;
    std::vector<ktr4sim_scope_state> queue_;
    std::thread thread_;
};

}  // namespace ktr4scope
