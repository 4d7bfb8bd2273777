// Finding the simulated cards that publish a live scope segment, and reading one of them.
#pragma once

#include <string>
#include <vector>

#include "ktr4sim.h"

namespace ktr4scope {

struct FoundSegment {
  long pid = 0;
  std::string name;  // shm name, "/ktr4sim-scope-<pid>"
};

// Whether a process with this id exists (a process of another user counts).
bool process_alive(long pid);

// The segments in `dir` (where the system keeps POSIX shared memory) whose process is alive,
// by pid. Segments of processes that are gone are removed when `remove_stale` is set.
std::vector<FoundSegment> find_segments(const std::string& dir = "/dev/shm", bool remove_stale = true);

// One publisher's segment, mapped read-only.
class SegmentReader {
 public:
  SegmentReader() = default;
  ~SegmentReader() { close(); }
  SegmentReader(const SegmentReader&) = delete;
  SegmentReader& operator=(const SegmentReader&) = delete;

  // False when there is no such segment or it is not a scope segment of this version.
  bool open(const std::string& name);
  void close();
  bool is_open() const { return segment_ != nullptr; }
  const std::string& name() const { return name_; }
  long pid() const;
  bool publisher_alive() const { return is_open() && process_alive(pid()); }

  // The latest whole state; false when none could be had (closed, or a publisher that keeps
  // writing through every attempt, which does not happen at 100 Hz).
  bool read(ktr4sim_scope_state& state);
  // Appends every publication after number `after` still kept in the segment's ring, oldest
  // first; returns the number to pass next time.
  uint64_t read_since(uint64_t after, std::vector<ktr4sim_scope_state>& out);

 private:
  ktr4sim_scope_segment* segment_ = nullptr;
  std::string name_;
};

}  // namespace ktr4scope
