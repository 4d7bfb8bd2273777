// The random source of the randomised motion tests: uniform draws from one seeded generator,
// so a failing case is reproduced from its seed. Each test builds its edge-weighted
// arguments on top of these.
#pragma once

#include <cstdint>
#include <random>

#include "frame/card_table.h"

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

  // An axis's settings and bookkeeping before a move.
  void axis_state(ktr4::AxisState& st, bool continuous) {
    st.profile.continuous = continuous ? 1 : 0;
    st.profile.speed_range_fixed = chance(30) ? 1 : 0;
    st.profile.fixed_magnification = 2 + below(4094);
    st.profile.mode_variant = chance(20) ? 1 : 0;
    st.profile.correction_speed = chance(90) ? below(100000) : static_cast<uint32_t>(gen_());
    st.end.commanded_end = chance(50) ? between(-100000, 100000) : any_i32();
    st.end.lost_pulses = between(-1000, 1000);
    st.end.correction_pending = chance(50) ? 1 : 0;
    st.end.correction_enable = chance(30) ? 1 : 0;
    st.end.bookkeeping_armed = chance(50) ? 1 : 0;
    st.profile.operation_mode = static_cast<uint32_t>(gen_());
  }

 protected:
  std::mt19937_64 gen_;
};

}  // namespace ktr4test
