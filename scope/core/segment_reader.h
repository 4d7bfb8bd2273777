// Finding the simulated cards that publish a live scope segment, and reading one of them.
//
// A segment is only taken from a regular shared-memory object of this user whose header names
// the process it is named after; everything read from it is checked before use and every loop
// over it is bounded, so no content or size of the object (another program of the same user
// can write it, or truncate it while it is read) can crash or hang the reader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ktr4sim_scope.h"

namespace ktr4scope {

struct FoundSegment {
    long pid = 0;
    std::string name;  // shm name, "/ktr4sim-scope-<pid>"
};

// Whether a process with this id exists (a process of another user counts).
bool process_alive(long pid);

// The segments of this user in `dir` (where the system keeps POSIX shared memory) whose process
// is alive, by pid. Those of processes that are gone are removed when `remove_stale` is set.
std::vector<FoundSegment> find_segments(const std::string& dir = "/dev/shm", bool remove_stale = true);

// One publisher's segment, read through its descriptor (never mapped: a mapping faults when
// the object is truncated).
class SegmentReader {
public:
    SegmentReader() = default;
    ~SegmentReader() { close(); }
    SegmentReader(const SegmentReader&) = delete;
    SegmentReader& operator=(const SegmentReader&) = delete;

    // Opens the segment of process `pid`. False when there is none, when it is not a regular
    // object of this user, not a scope segment of this version, or its header names another pid.
    bool open(long pid);
    void close();
    bool is_open() const { return fd_ >= 0; }
    const std::string& name() const { return name_; }
    long pid() const { return pid_; }
    bool publisher_alive() const { return is_open() && process_alive(pid_); }

    // The latest whole state; false when none could be had (closed, nothing valid published, or
    // a publisher that keeps writing through every attempt, which does not happen at 100 Hz).
    bool read(ktr4sim_scope_state& state);
    // Appends every whole, valid publication after number `after` still kept in the segment's
    // ring, oldest first; returns the number to pass next time.
    uint64_t read_since(uint64_t after, std::vector<ktr4sim_scope_state>& out);

private:
    int fd_ = -1;
    long pid_ = 0;
    std::string name_;
};

}  // namespace ktr4scope
