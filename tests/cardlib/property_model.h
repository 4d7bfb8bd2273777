// The parts of the randomised motion tests' independent model that every move shares: the
// speed range, speed and ramping-down point formulas evaluated with 64-bit integers where a
// product must not wrap, and the register ranges.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <vector>

#include "frame/card_table.h"
#include "sim_fixture.h"

#if defined(__SANITIZE_ADDRESS__)
#define KTR4_UNDER_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KTR4_UNDER_SANITIZER 1
#endif
#endif

namespace ktr4test::model {

constexpr int64_t kTwo32 = int64_t{1} << 32;

inline int64_t abs64(int32_t v) { return v < 0 ? -static_cast<int64_t>(v) : v; }
inline int64_t clamp64(int64_t v, int64_t lo, int64_t hi) { return v < lo ? lo : (v > hi ? hi : v); }
// Times a move accepts: finite and not negative.
inline bool model_time_ok(double t) { return std::isfinite(t) && t >= 0.0; }
// What a move to a position refuses with 302 before it reads or writes anything.
inline bool model_position_arguments_ok(int32_t start, int32_t max, double tacc, double tdec) {
  return abs64(start) <= 6553500 && abs64(max) <= 6553500 && max != 0 && model_time_ok(tacc) && model_time_ok(tdec);
}
inline int32_t wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }

inline uint64_t env_or(const char* name, uint64_t fallback) {
  const char* text = std::getenv(name);
  return text && *text ? std::strtoull(text, nullptr, 0) : fallback;
}

// trunc toward zero to i32; no 32-bit value → 0x80000000.
inline int32_t to_i32(double x) {
  const double t = std::trunc(x);
  if (std::isnan(t) || t > 2147483647.0 || t < -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(t);
}

inline uint32_t model_mg(int32_t speed) {
  const int64_t a = abs64(speed);
  if (a <= 1) return 4095;
  return static_cast<uint32_t>(clamp64(19660500 / a - 1, 2, 4095));
}

inline uint32_t model_speed(int64_t magnitude, uint32_t mg) {
  return static_cast<uint32_t>(clamp64((mg + 1) * magnitude / 300, 1, 65535));
}

inline uint32_t model_dp(double value) {
  const auto u = static_cast<uint32_t>(to_i32(value));
  if (u == 0) return 1;
  return u > 0xFFFFFF ? 0xFFFFFFu : u;
}

// S-curve range register of a section speed.
inline uint32_t model_range(int32_t section, uint32_t mg) {
  if (section == 0) return 0;
  return static_cast<uint32_t>(clamp64((mg + 1) * int64_t{static_cast<uint32_t>(section)} / 300, 1, 32767));
}

// trunc(time × 19 660 800.0 / divisor) − 1, divisor already wrapped to 32 bits.
inline uint32_t model_rate_over(double time, int64_t divisor) {
  divisor %= kTwo32;
  int64_t r = divisor == 0 ? int64_t{INT32_MIN} : to_i32(time * 19660800.0 / static_cast<double>(divisor));
  r -= 1;
  if (r < INT32_MIN) r += kTwo32;  // the subtraction wraps in 32 bits
  return static_cast<uint32_t>(clamp64(r, 1, 65535));
}
inline uint32_t model_t_rate(double time, uint32_t from, uint32_t to) {
  if (from == to) return 65535;
  return model_rate_over(time, 4 * ((int64_t{to} - from + kTwo32) % kTwo32));
}
inline uint32_t model_s_rate(double time, uint32_t from, uint32_t to, uint32_t s) {
  if (s != 0) {
    const int64_t d = (int64_t{to} - from + 2 * int64_t{s} + kTwo32) % kTwo32;
    if (d == 0) return 65535;
    return model_rate_over(time, 4 * d);
  }
  if (from == to) return 65535;
  return model_rate_over(time, 8 * ((int64_t{to} - from + kTwo32) % kTwo32));
}

// A position move's rates: a zero time gives the fastest rate, 1.
inline uint32_t model_t_rate_of_time(double time, uint32_t from, uint32_t to) {
  return time == 0.0 ? 1 : model_t_rate(time, from, to);
}
inline uint32_t model_s_rate_of_time(double time, uint32_t from, uint32_t to, uint32_t s) {
  return time == 0.0 ? 1 : model_s_rate(time, from, to, s);
}

// The register ranges as the register table states them (FH of a shortened profile
// included: it never exceeds the requested speed).
inline bool in_range(uint32_t code, uint32_t value) {
  switch (code & ~0x10u) {
    case 0x81: case 0x82: case 0x83: case 0x84: return value >= 1 && value <= 65535;
    case 0x85: return value >= 2 && value <= 4095;
    case 0x86: return value <= 0xFFFFFF;
    case 0x89: case 0x8A: return value <= 32767;
    case 0x8B: return value >= 1 && value <= 65535;  // 0x9B
    default: return true;
  }
}

// What the card saw of one export call.
struct CardOutcome {
  int32_t result = 0;
  std::vector<ktr4test::RegisterWrite> writes;
  std::vector<uint32_t> commands;
};

inline std::ostream& operator<<(std::ostream& s, const CardOutcome& o) {
  s << "result " << o.result << ", writes";
  for (const auto& w : o.writes) s << ' ' << w;
  s << ", commands";
  for (uint32_t c : o.commands) s << " 0x" << std::hex << c << std::dec;
  return s;
}

inline std::ostream& operator<<(std::ostream& s, const ktr4::AxisState& a) {
  return s << "end " << a.end.commanded_end << ", lost " << a.end.lost_pulses << ", pending "
           << int(a.end.correction_pending) << ", enable " << int(a.end.correction_enable) << ", armed "
           << int(a.end.bookkeeping_armed) << ", mode 0x" << std::hex << a.profile.operation_mode << std::dec;
}

// The fields a move may change.
inline bool same_state(const ktr4::AxisState& a, const ktr4::AxisState& b) {
  return a.end.commanded_end == b.end.commanded_end && a.end.lost_pulses == b.end.lost_pulses &&
         a.end.correction_pending == b.end.correction_pending &&
         a.end.correction_enable == b.end.correction_enable && a.end.bookkeeping_armed == b.end.bookkeeping_armed &&
         a.profile.operation_mode == b.profile.operation_mode &&
         a.profile.fixed_magnification == b.profile.fixed_magnification &&
         a.profile.speed_range_fixed == b.profile.speed_range_fixed;
}

// A position move's magnification: a fixed speed range counts only on a continuous axis.
inline uint32_t model_move_mg(const ktr4::AxisState& st, int32_t max) {
  return st.profile.continuous && st.profile.speed_range_fixed ? st.profile.fixed_magnification : model_mg(max);
}

// Before a position move: a stop since the last move is booked where the axis stands.
inline void model_note_stop(ktr4::AxisState& st, uint16_t status, int32_t position) {
  if (st.end.bookkeeping_armed == 1 && (status & 0x0008)) {
    st.end.lost_pulses = wrap(int64_t{st.end.commanded_end} - position);
    st.end.commanded_end = position;
    st.end.correction_pending = 1;
  }
  st.end.bookkeeping_armed = 1;
}

// A relative (mode low byte 0) or absolute move booked; returns its distance.
inline int32_t model_book_move(ktr4::AxisState& st, int32_t dist, uint32_t mode) {
  if ((mode & 0xFF) == 0) {
    int32_t distance = dist;
    if (st.end.correction_pending == 1 && st.end.correction_enable == 1) {
      distance = wrap(int64_t{dist} + st.end.lost_pulses);
      st.end.correction_pending = st.end.correction_enable = 0;
    }
    st.end.commanded_end = wrap(int64_t{st.end.commanded_end} + distance);
    return distance;
  }
  st.end.correction_pending = 0;
  const int32_t distance = wrap(int64_t{dist} - st.end.commanded_end);
  st.end.commanded_end = dist;
  return distance;
}

}  // namespace ktr4test::model
