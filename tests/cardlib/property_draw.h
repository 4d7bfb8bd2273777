// The random source of the randomised motion tests: uniform draws from one seeded generator,
// so a failing case is reproduced from its seed. Each test builds its edge-weighted
// arguments on top of these.
#pragma once

#include <cstdint>
#include <random>

namespace ktr4test {

class RandomDraw {
 public:
  explicit RandomDraw(uint64_t seed) : gen_(seed) {}

  uint32_t below(uint32_t n) { return static_cast<uint32_t>(gen_() % n); }
  bool chance(uint32_t percent) { return below(100) < percent; }
  int32_t any_i32() { return static_cast<int32_t>(static_cast<uint32_t>(gen_())); }
  int32_t between(int32_t lo, int32_t hi) {
    return static_cast<int32_t>(lo + static_cast<int64_t>(gen_() % (static_cast<uint64_t>(int64_t{hi} - lo) + 1)));
  }
  std::mt19937_64& gen() { return gen_; }

 protected:
  std::mt19937_64 gen_;
};

}  // namespace ktr4test
