// The sequence lock of the live-scope segment (layout in ktr4sim.h), shared by the publisher in
// the simulated driver and by readers such as ktr4-scope. Header only: readers do not link the
// simulator.
//
// The state is copied as 64-bit atomics, stored with release and loaded with acquire instead of
// the classic seqlock's fences (which ThreadSanitizer cannot follow; on x86 both are plain moves):
// a reader that sees any word of a newer write then also sees the odd sequence number that came
// before it. A reader never blocks the publisher and neither side makes a data race of the copy.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "ktr4sim.h"

namespace ktr4sim::scope {

static_assert(sizeof(ktr4sim_scope_axis) == 32);
static_assert(sizeof(ktr4sim_scope_card) == 136);
static_assert(sizeof(ktr4sim_scope_state) == 2208);
static_assert(sizeof(ktr4sim_scope_slot) == 2216);
static_assert(sizeof(ktr4sim_scope_segment) == 32 + 64 * 2216);
static_assert(offsetof(ktr4sim_scope_segment, latest) == 24);
static_assert(offsetof(ktr4sim_scope_segment, ring) == 32);
static_assert(offsetof(ktr4sim_scope_slot, state) == 8);
static_assert(sizeof(ktr4sim_scope_state) % sizeof(uint64_t) == 0);
static_assert(std::atomic_ref<uint64_t>::is_always_lock_free);
static_assert(std::atomic_ref<uint32_t>::is_always_lock_free);

inline constexpr size_t kStateWords = sizeof(ktr4sim_scope_state) / sizeof(uint64_t);

// "/ktr4sim-scope-<pid>".
inline std::string segment_name(long pid) { return KTR4SIM_SCOPE_PREFIX + std::to_string(pid); }

inline ktr4sim_scope_slot& slot_of(ktr4sim_scope_segment& segment, uint64_t publication) {
  return segment.ring[publication % KTR4SIM_SCOPE_SLOTS];
}

// Fills in the header and makes it valid (magic last). `segment` is fresh, all zero.
inline void init_segment(ktr4sim_scope_segment& segment, int32_t pid) {
  segment.version = KTR4SIM_SCOPE_VERSION;
  segment.size = sizeof(ktr4sim_scope_segment);
  segment.pid = pid;
  segment.rate_hz = KTR4SIM_SCOPE_RATE_HZ;
  segment.slot_count = KTR4SIM_SCOPE_SLOTS;
  std::atomic_ref<uint32_t>(segment.magic).store(KTR4SIM_SCOPE_MAGIC, std::memory_order_release);
}

inline bool header_valid(ktr4sim_scope_segment& segment) {
  return std::atomic_ref<uint32_t>(segment.magic).load(std::memory_order_acquire) == KTR4SIM_SCOPE_MAGIC &&
         segment.version == KTR4SIM_SCOPE_VERSION && segment.size == sizeof(ktr4sim_scope_segment) &&
         segment.slot_count == KTR4SIM_SCOPE_SLOTS;
}

inline uint64_t latest(ktr4sim_scope_segment& segment) {
  return std::atomic_ref<uint64_t>(segment.latest).load(std::memory_order_acquire);
}

// The one writer: never waits. `state.sample` is the publication's number, one more than the last.
inline void publish(ktr4sim_scope_segment& segment, const ktr4sim_scope_state& state) {
  ktr4sim_scope_slot& slot = slot_of(segment, state.sample);
  std::atomic_ref<uint32_t> sequence(slot.sequence);
  const uint32_t s = sequence.load(std::memory_order_relaxed);
  sequence.store(s + 1, std::memory_order_relaxed);
  auto* out = reinterpret_cast<uint64_t*>(&slot.state);
  for (size_t i = 0; i < kStateWords; ++i) {
    uint64_t word;
    std::memcpy(&word, reinterpret_cast<const unsigned char*>(&state) + i * sizeof word, sizeof word);
    std::atomic_ref<uint64_t>(out[i]).store(word, std::memory_order_release);
  }
  sequence.store(s + 2, std::memory_order_release);
  std::atomic_ref<uint64_t>(segment.latest).store(state.sample, std::memory_order_release);
}

// One attempt at a whole copy of publication `publication`: false when the publisher was
// writing its slot or has already put a later publication there.
inline bool try_read(ktr4sim_scope_segment& segment, uint64_t publication, ktr4sim_scope_state& state) {
  ktr4sim_scope_slot& slot = slot_of(segment, publication);
  std::atomic_ref<uint32_t> sequence(slot.sequence);
  const uint32_t before = sequence.load(std::memory_order_acquire);
  if (before & 1u) return false;
  auto* in = reinterpret_cast<uint64_t*>(&slot.state);
  for (size_t i = 0; i < kStateWords; ++i) {
    const uint64_t word = std::atomic_ref<uint64_t>(in[i]).load(std::memory_order_acquire);
    std::memcpy(reinterpret_cast<unsigned char*>(&state) + i * sizeof word, &word, sizeof word);
  }
  return sequence.load(std::memory_order_relaxed) == before && state.sample == publication;
}

// The newest whole publication; false when there is none yet (or the publisher keeps lapping
// the reader through every attempt, which does not happen at 100 Hz).
inline bool read(ktr4sim_scope_segment& segment, ktr4sim_scope_state& state, int attempts = 1000) {
  for (int i = 0; i < attempts; ++i) {
    const uint64_t newest = latest(segment);
    if (newest == 0) return false;
    if (try_read(segment, newest, state)) return true;
  }
  return false;
}

// Every whole publication after `after` still in the ring, oldest first, handed to `take`;
// returns the number of the last one handed over (`after` when none).
template <typename Take>
uint64_t read_since(ktr4sim_scope_segment& segment, uint64_t after, ktr4sim_scope_state& state, Take take) {
  const uint64_t newest = latest(segment);
  if (newest < after) after = 0;  // a new publisher under the same name
  const uint64_t oldest_kept = newest >= KTR4SIM_SCOPE_SLOTS ? newest - KTR4SIM_SCOPE_SLOTS + 1 : 1;
  for (uint64_t n = std::max(after + 1, oldest_kept); n <= newest; ++n) {
    for (int attempt = 0; attempt < 100; ++attempt) {
      if (try_read(segment, n, state)) {
        take(state);
        after = n;
        break;
      }
      if (latest(segment) >= n + KTR4SIM_SCOPE_SLOTS - 1) break;  // overwritten: lost
    }
  }
  return std::max(after, newest);
}

}  // namespace ktr4sim::scope
