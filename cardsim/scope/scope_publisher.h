// The live-scope publisher: a thread that, 100 times a second, brings the wall-clock model up to
// the present and writes every card's state to the process's shared-memory segment (layout and
// protocol in ktr4sim_scope.h). It exists only when KTR4SIM_SCOPE is set as the simulator loads.
#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "ktr4sim.h"
#include "ktr4sim_scope.h"

namespace ktr4sim {

class Simulator;

class ScopePublisher {
public:
    // Creates the segment and starts publishing; check ok(). An object already under the
    // segment's name is never taken over: the publisher then stays off and says so on stderr.
    explicit ScopePublisher(Simulator& simulator);
    // Stops the thread and removes the segment, when the object under its name is still the one
    // it created.
    ~ScopePublisher();
    ScopePublisher(const ScopePublisher&) = delete;
    ScopePublisher& operator=(const ScopePublisher&) = delete;

    bool ok() const { return fd_ >= 0; }

    // The state of every card, taken under the simulator's lock (wall clock: brought up to now).
    static void snapshot(Simulator& simulator, ktr4sim_scope_state& state);

private:
    void run();
    void publish_once();
    void keep_whole();
    bool still_ours() const;

    Simulator& simulator_;
    std::string name_;
    // The segment is written through its descriptor, never mapped: a mapping faults (SIGBUS) when
    // someone truncates the object, and that must not stop a machine program. Its contents are
    // kept here, in memory of our own.
    int fd_ = -1;
    std::unique_ptr<ktr4sim_scope_segment> image_;
    bool resize_reported_ = false;
    bool header_reported_ = false;
    dev_t device_ = 0;  // of the object created, to know it again at exit
    ino_t inode_ = 0;
    uint64_t published_ = 0;
    std::mutex stop_mutex_;  // the publisher's own; readers in other processes never see it
    std::condition_variable stop_signal_;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace ktr4sim
