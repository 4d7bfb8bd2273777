// The sequence lock of the live-scope segment (layout in ktr4sim.h), shared by the publisher in
// the simulated driver and by readers such as ktr4-scope. Header only: readers do not link the
// simulator.
//
// The state is copied as 64-bit atomics, stored with release and loaded with acquire instead of
// the classic seqlock's fences (which ThreadSanitizer cannot follow; on x86 both are plain moves):
// a reader that sees any word of a newer write then also sees the odd sequence number that came
// before it. A reader never blocks the publisher and neither side makes a data race of the copy.
#pragma once

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
static_assert(sizeof(ktr4sim_scope_segment) == 2232);
static_assert(offsetof(ktr4sim_scope_segment, sequence) == 20);
static_assert(offsetof(ktr4sim_scope_segment, state) == 24);
static_assert(sizeof(ktr4sim_scope_state) % sizeof(uint64_t) == 0);
static_assert(std::atomic_ref<uint64_t>::is_always_lock_free);
static_assert(std::atomic_ref<uint32_t>::is_always_lock_free);

inline constexpr size_t kStateWords = sizeof(ktr4sim_scope_state) / sizeof(uint64_t);

// "/ktr4sim-scope-<pid>".
inline std::string segment_name(long pid) { return KTR4SIM_SCOPE_PREFIX + std::to_string(pid); }

inline uint64_t* state_words(ktr4sim_scope_segment& segment) {
  return reinterpret_cast<uint64_t*>(&segment.state);
}

// Fills in the header and makes it valid (magic last). `segment` is fresh, all zero.
inline void init_segment(ktr4sim_scope_segment& segment, int32_t pid) {
  segment.version = KTR4SIM_SCOPE_VERSION;
  segment.size = sizeof(ktr4sim_scope_segment);
  segment.pid = pid;
  segment.rate_hz = KTR4SIM_SCOPE_RATE_HZ;
  std::atomic_ref<uint32_t>(segment.magic).store(KTR4SIM_SCOPE_MAGIC, std::memory_order_release);
}

inline bool header_valid(ktr4sim_scope_segment& segment) {
  return std::atomic_ref<uint32_t>(segment.magic).load(std::memory_order_acquire) == KTR4SIM_SCOPE_MAGIC &&
         segment.version == KTR4SIM_SCOPE_VERSION && segment.size == sizeof(ktr4sim_scope_segment);
}

// The one writer: never waits.
inline void publish(ktr4sim_scope_segment& segment, const ktr4sim_scope_state& state) {
  std::atomic_ref<uint32_t> sequence(segment.sequence);
  const uint32_t s = sequence.load(std::memory_order_relaxed);
  sequence.store(s + 1, std::memory_order_relaxed);
  uint64_t* out = state_words(segment);
  for (size_t i = 0; i < kStateWords; ++i) {
    uint64_t word;
    std::memcpy(&word, reinterpret_cast<const unsigned char*>(&state) + i * sizeof word, sizeof word);
    std::atomic_ref<uint64_t>(out[i]).store(word, std::memory_order_release);
  }
  sequence.store(s + 2, std::memory_order_release);
}

// One attempt at a whole copy: false when the publisher was writing.
inline bool try_read(ktr4sim_scope_segment& segment, ktr4sim_scope_state& state) {
  std::atomic_ref<uint32_t> sequence(segment.sequence);
  const uint32_t before = sequence.load(std::memory_order_acquire);
  if (before & 1u) return false;
  uint64_t* in = state_words(segment);
  for (size_t i = 0; i < kStateWords; ++i) {
    const uint64_t word = std::atomic_ref<uint64_t>(in[i]).load(std::memory_order_acquire);
    std::memcpy(reinterpret_cast<unsigned char*>(&state) + i * sizeof word, &word, sizeof word);
  }
  return sequence.load(std::memory_order_relaxed) == before;
}

// A whole copy, trying up to `attempts` times (the publisher holds the lock for microseconds).
inline bool read(ktr4sim_scope_segment& segment, ktr4sim_scope_state& state, int attempts = 1000) {
  for (int i = 0; i < attempts; ++i)
    if (try_read(segment, state)) return true;
  return false;
}

}  // namespace ktr4sim::scope
