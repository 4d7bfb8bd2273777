// Randomised property test of the motion exports against the simulated card. For each
// random argument set and axis state: no crash or sanitizer report, every written register
// within its range, and every register value, the start command, the result and the
// bookkeeping equal to a model written here straight from the profile formulas.
//
// KTR4_PROPERTY_CASES sets the number of cases (default 1 000 000; 100 000 under the
// sanitizers), KTR4_PROPERTY_SEED the seed.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "frame/card_table.h"
#include "ktr4.h"
#include "ktr4sim.h"
#include "property_draw.h"
#include "property_model.h"
#include "sim_fixture.h"

namespace {

using ktr4test::RegisterWrite;
using namespace ktr4test::model;

#ifdef KTR4_UNDER_SANITIZER
constexpr uint64_t kDefaultCases = 100'000;
#else
constexpr uint64_t kDefaultCases = 1'000'000;
#endif

// ---------------------------------------------------------------------------------------
// The model: the formulas as they read, evaluated with 64-bit integers where a product must
// not wrap and explicit 32-bit wrapping where it must.


// A shortened speed lies within 1..FH (the requested operating speed).
uint32_t model_shortened(double value, uint32_t fh) {
  return static_cast<uint32_t>(clamp64(to_i32(value), 1, fh));
}

struct ModelRamp {
  uint32_t fh, dp, mode, s_acc, s_dec;
};

// How often the model took each ramping-down case: no deceleration, card finds the point,
// full, triangle, equal sections shortened, both sections kept, larger section given up.
uint64_t g_ramp_cases[7];
ModelRamp counted(int kind, ModelRamp r) {
  ++g_ramp_cases[kind];
  return r;
}

ModelRamp model_ramp_T(uint32_t FL, uint32_t FH, uint32_t UR, uint32_t DR, uint32_t MG, double Tacc, double Tdec,
                       int64_t D, uint32_t mode) {
  const uint32_t b13 = 1u << 13, b26 = 1u << 26;
  if (Tdec == 0.0) return counted(0, {FH, 0, mode | b13 | b26, 0, 0});
  if (Tdec <= 2 * Tacc) return counted(1, {FH, 0, mode & ~(b13 | b26), 0, 0});
  mode |= b13;
  const double fl = FL, fh = FH, dr = DR, K = 32768.0 * (MG + 1.0), SUM = UR + DR + 2.0;
  const double need = (fh * fh - fl * fl) * SUM / K;
  if (static_cast<double>(D) <= need) {
    const uint32_t f = model_shortened(0.9 * std::sqrt(K * static_cast<double>(D) / SUM + fl * fl), FH);
    const double fp = f;
    return counted(3, {f, model_dp((fp * fp - fl * fl) * (dr + 1) / K), mode | b26, 0, 0});
  }
  return counted(2, {FH, model_dp((fh * fh - fl * fl) * (dr + 1) / K), mode & ~b26, 0, 0});
}

ModelRamp model_ramp_S(uint32_t FL, uint32_t FH, uint32_t UR, uint32_t DR, uint32_t MG, uint32_t SA, uint32_t SD,
                       double Tacc, double Tdec, int64_t Dint, uint32_t mode) {
  const uint32_t b13 = 1u << 13, b26 = 1u << 26;
  if (Tdec == 0.0) return counted(0, {FH, 0, mode | b13 | b26, SA, SD});
  if (Tdec <= 2 * Tacc) return counted(1, {FH, 0, mode & ~(b13 | b26), SA, SD});
  mode |= b13;
  const double fl = FL, fh = FH, ur = UR, dr = DR, sa = SA, sd = SD, D = static_cast<double>(Dint);
  const double K = 32768.0 * (MG + 1.0), SUM = ur + dr + 2;
  const auto full = [&]() -> ModelRamp {
    const double dp = SD == 0 ? 2 * (fh * fh - fl * fl) * (dr + 1) / K : (fh - fl + 2 * sd) * (fh + fl) * (dr + 1) / K;
    return counted(2, {FH, model_dp(dp), mode & ~b26, SA, SD});
  };
  const auto triangle = [&]() -> ModelRamp {
    const uint32_t f = model_shortened(0.9 * std::sqrt(K * D / (2 * SUM) + fl * fl), FH);
    const double fp = f;
    return counted(3, {f, model_dp(2 * (fp * fp - fl * fl) * (dr + 1) / K), mode | b26, 0, 0});
  };
  const auto sectioned = [&](int kind, double peak) -> ModelRamp {
    const uint32_t f = model_shortened(peak, FH);
    const double fp = f;
    return counted(kind, {f, model_dp((fp - fl + 2 * sd) * (fl + fp) * (dr + 1) / K), mode | b26, SA, SD});
  };
  if (SA == 0 && SD == 0) return D <= 2 * (fh * fh - fl * fl) * SUM / K ? triangle() : full();
  if (SA == SD) {
    const double S = sa;
    const double need = (fh - fl + 2 * S) * (fh + fl) * SUM / K;
    const double low = 8 * S * (S + fl) * SUM / K;
    if (D <= need && D > low) return sectioned(4, 0.9 * (std::sqrt(K * D / SUM + (S - fl) * (S - fl)) - S));
    if (D <= low) return triangle();
    return full();
  }
  const double B = (ur + 1) * sa + (dr + 1) * sd;
  const double need = ((fh - fl) * SUM + 2 * B) * (fh + fl) / K;
  const bool larger_is_dec = SA < SD;
  const double L = larger_is_dec ? sd : sa, Q = larger_is_dec ? sa : sd;
  const double KL = larger_is_dec ? 2 * (dr + 1) + (ur + 1) : 2 * (ur + 1) + (dr + 1);
  const double P = larger_is_dec ? (ur + 1) * sa : (dr + 1) * sd;
  const double mid = (KL * L + P) * (L + fl) * 4 / K;
  const double low = 8 * Q * (Q + fl) * SUM / K;
  if (D <= need && D > mid)
    return sectioned(5, 0.9 * (std::sqrt(B * B + SUM * (K * D - 2 * fl * B + SUM * fl * fl)) - B) / SUM);
  if (D <= mid && D > low)
    return sectioned(6, 0.9 * (std::sqrt(P * P + KL * (K * D - 2 * fl * P + KL * fl * fl)) - P) / KL);
  if (D <= low) return triangle();
  return full();
}

// What one export call should do.
struct Outcome : CardOutcome {
  ktr4::AxisState after;
};

struct PositionArgs {
  int32_t dist;
  uint32_t mode;
  int32_t start, max;
  double tacc, tdec;
  int32_t sv_acc, sv_dec;
};

Outcome model_position(const ktr4::AxisState& before, uint8_t axis, uint16_t status, int32_t position,
                       const PositionArgs& a, bool s_curve) {
  Outcome out;
  out.after = before;
  ktr4::AxisState& st = out.after;
  const bool continuous = st.profile.continuous != 0;
  const bool stopped = (status & 0x0008) != 0;
  if (!model_position_arguments_ok(a.start, a.max, a.tacc, a.tdec)) return out.result = 302, out;
  if (continuous && (status & 0x4000)) return out.result = 304, out;
  if (!continuous && !stopped) return out.result = 303, out;
  model_note_stop(st, status, position);

  const uint32_t MG = model_move_mg(st, a.max);
  const uint32_t FH = model_speed(abs64(a.max), MG), FL = model_speed(abs64(a.start), MG);
  const uint32_t SA = s_curve ? model_range(a.sv_acc, MG) : 0, SD = s_curve ? model_range(a.sv_dec, MG) : 0;
  const uint32_t UR = s_curve ? model_s_rate_of_time(a.tacc, FL, FH, SA) : model_t_rate_of_time(a.tacc, FL, FH);
  const uint32_t DR = s_curve ? model_s_rate_of_time(a.tdec, FL, FH, SD) : model_t_rate_of_time(a.tdec, FL, FH);
  const uint32_t correction = model_speed(st.profile.correction_speed, MG);

  const int32_t distance = model_book_move(st, a.dist, a.mode);

  uint32_t mode = (st.profile.operation_mode & ~0x7Fu) | (st.profile.mode_variant ? 0x49u : 0x41u);
  mode = s_curve ? (mode | 0x400u) : (mode & ~0x400u);
  const ModelRamp r = s_curve ? model_ramp_S(FL, FH, UR, DR, MG, SA, SD, a.tacc, a.tdec, abs64(distance), mode)
                              : model_ramp_T(FL, FH, UR, DR, MG, a.tacc, a.tdec, abs64(distance), mode);
  st.profile.operation_mode = r.mode;

  const uint32_t off = continuous ? 0x10 : 0;
  const auto w = [&](uint32_t code, uint32_t value) { out.writes.push_back({axis, code - off, value}); };
  w(0x90, static_cast<uint32_t>(distance));
  w(0x91, FL);
  w(0x92, r.fh);
  w(0x93, UR);
  w(0x94, DR);
  w(0x95, MG);
  if (s_curve) {
    w(0x97, r.mode);
    w(0x96, r.dp);
    w(0x99, r.s_acc);
    w(0x9A, r.s_dec);
  } else {
    w(0x96, r.dp);
    w(0x97, r.mode);
  }
  out.writes.push_back({axis, 0x9B, correction});
  out.commands.push_back((1u << (axis + 8)) | 0x53u);
  return out;
}

Outcome model_velocity(const ktr4::AxisState& before, uint8_t axis, int32_t start, int32_t max, double tacc,
                       int32_t sv, bool s_curve) {
  Outcome out;
  out.after = before;
  if (abs64(max) > 6553500 || abs64(start) > 6553500 || !model_time_ok(tacc)) return out.result = 302, out;
  const uint32_t MG = before.profile.speed_range_fixed ? before.profile.fixed_magnification : model_mg(max);
  const uint32_t FH = model_speed(abs64(max), MG), FL = model_speed(abs64(start), MG);
  const uint32_t S = s_curve ? model_range(sv, MG) : 0;
  const bool down = FL > FH;
  const uint32_t lo = down ? FH : FL, hi = down ? FL : FH;
  const uint32_t rate = s_curve ? model_s_rate(tacc, lo, hi, S) : model_t_rate(tacc, lo, hi);
  uint32_t mode = (before.profile.operation_mode & ~0x7Fu) | (max < 0 ? 0x08u : 0u);
  mode = s_curve ? (mode | 0x400u) : (mode & ~0x400u);
  out.after.profile.operation_mode = mode;
  out.writes.push_back({axis, down ? 0x94u : 0x93u, rate});
  if (s_curve) out.writes.push_back({axis, down ? 0x9Au : 0x99u, S});
  out.writes.push_back({axis, 0x97, mode});
  out.writes.push_back({axis, 0x91, FL});
  out.writes.push_back({axis, 0x92, FH});
  out.writes.push_back({axis, 0x95, MG});
  out.commands.push_back((1u << (axis + 8)) | 0x53u);
  return out;
}

Outcome model_velocity_change(const ktr4::AxisState& before, uint8_t axis, int32_t speed, double t, uint32_t f_old,
                              uint32_t s_acc, uint32_t s_dec) {
  Outcome out;
  out.after = before;
  if (abs64(speed) > 6553500 || !model_time_ok(t)) return out.result = 302, out;
  const uint32_t MG = before.profile.speed_range_fixed ? before.profile.fixed_magnification : model_mg(speed);
  const uint32_t F = model_speed(abs64(speed), MG);
  const bool s_curve = (before.profile.operation_mode & 0x400u) != 0;
  uint32_t rate;
  if (F >= f_old) rate = s_curve ? model_s_rate(t, f_old, F, s_acc) : model_t_rate(t, f_old, F);
  else rate = s_curve ? model_s_rate(t, F, f_old, s_dec) : model_t_rate(t, F, f_old);
  const uint32_t mode = (before.profile.operation_mode & ~0x7Fu) | (speed < 0 ? 0x08u : 0u);
  out.after.profile.operation_mode = mode;
  out.writes = {{axis, F >= f_old ? 0x93u : 0x94u, rate}, {axis, 0x97, mode}, {axis, 0x95, MG}, {axis, 0x92, F}};
  return out;
}

Outcome model_dec_stop(const ktr4::AxisState& before, uint8_t axis, double t, uint32_t F, uint32_t s_dec) {
  Outcome out;
  out.after = before;
  if (!model_time_ok(t)) return out.result = 302, out;
  out.after.end.bookkeeping_armed = 1;
  uint32_t dr;
  if ((before.profile.operation_mode & 0x400u) == 0) {
    dr = F == 0 ? 65535 : model_rate_over(t, 4 * int64_t{F});
  } else if (s_dec != 0) {
    const int64_t q = 4 * (int64_t{F} + 2 * int64_t{s_dec}) % kTwo32;
    dr = q == 0 ? 65535 : model_rate_over(t, q);
  } else {
    dr = F == 0 ? 65535 : model_rate_over(t, 8 * int64_t{F});
  }
  out.writes = {{axis, 0x94, dr}};
  out.commands.push_back((1u << (axis + 8)) | 0x4Au);
  return out;
}

// ---------------------------------------------------------------------------------------
// Random arguments, weighted toward the edges.

class Draw : public ktr4test::RandomDraw {
 public:
  using RandomDraw::RandomDraw;
  int32_t section() {
    switch (below(6)) {
      case 0: case 1: return 0;
      case 2: return between(0, 5000);
      case 3: return between(0, 100000);
      case 4: return between(1, 100);
      default: return any_i32();
    }
  }
  uint32_t card_speed() {  // a speed register as read back from the card
    switch (below(6)) {
      case 0: return 0;
      case 1: return 0x40000000u * below(4) + below(3);  // near the wrapping divisors
      case 2: return static_cast<uint32_t>(gen_());
      default: return 1 + below(65535);
    }
  }
  uint32_t card_range() {
    switch (below(5)) {
      case 0: case 1: return 0;
      case 2: return static_cast<uint32_t>(gen_());
      default: return below(32768);
    }
  }
};

std::string describe(const Outcome& o) {
  std::ostringstream s;
  s << static_cast<const CardOutcome&>(o) << ", " << o.after;
  return s.str();
}

class ProfileProperty : public ktr4test::SimCardTest {};

TEST_F(ProfileProperty, EveryExportMatchesTheFormulasOverRandomArguments) {
  start({0});
  const uint64_t cases = env_or("KTR4_PROPERTY_CASES", kDefaultCases);
  const uint64_t seed = env_or("KTR4_PROPERTY_SEED", 0x6B747234);
  Draw draw(seed);
  uint64_t mismatches = 0, out_of_range = 0;
  uint64_t kinds[6] = {};
  const auto began = std::chrono::steady_clock::now();

  for (uint64_t n = 0; n < cases; ++n) {
    const auto axis = static_cast<uint8_t>(draw.below(4));
    ktr4::AxisState& state = ktr4::axis_state(0, axis);
    draw.axis_state(state, draw.chance(25));
    const ktr4::AxisState before = state;
    const uint32_t kind = draw.below(8);
    Outcome want;
    int32_t got = 0;
    ktr4sim_trace_clear();

    if (kind < 4) {  // position moves, twice as often as the rest
      const uint16_t status = draw.status();
      const int32_t position = draw.coordinate();
      ktr4sim_set_status(0, axis, KTR4SIM_MAIN_STATUS, status);
      ktr4sim_set_register(0, axis, 0xE3, static_cast<uint32_t>(position));
      PositionArgs a{draw.coordinate(), draw.chance(50) ? 0u : 1u + draw.below(0x1FF), draw.speed(), draw.max_speed(),
                     draw.time(), 0.0, draw.section(), 0};
      a.tdec = draw.chance(15) ? 2 * a.tacc : draw.time();
      a.sv_dec = draw.chance(30) ? a.sv_acc : draw.section();
      const bool s_curve = kind >= 2;
      want = model_position(before, axis, status, position, a, s_curve);
      got = s_curve ? KTR4_S_curve_position_move(0, axis, a.dist, a.mode, a.start, a.max, a.tacc, a.tdec, a.sv_acc,
                                                 a.sv_dec)
                    : KTR4_T_curve_position_move(0, axis, a.dist, a.mode, a.start, a.max, a.tacc, a.tdec);
      ++kinds[s_curve ? 1 : 0];
    } else if (kind < 6) {
      const bool s_curve = kind == 5;
      const int32_t start_speed = draw.chance(80) ? draw.between(-6553500, 6553500) : draw.speed();
      const int32_t max = draw.max_speed();
      const double tacc = draw.time();
      const int32_t sv = draw.section();
      want = model_velocity(before, axis, start_speed, max, tacc, sv, s_curve);
      got = s_curve ? KTR4_S_velocity_move(0, axis, start_speed, max, tacc, sv)
                    : KTR4_T_velocity_move(0, axis, start_speed, max, tacc);
      ++kinds[s_curve ? 3 : 2];
    } else if (kind == 6) {
      const uint32_t f_old = draw.card_speed(), s_acc = draw.card_range(), s_dec = draw.card_range();
      ktr4sim_set_register(0, axis, 0xD2, f_old);
      ktr4sim_set_register(0, axis, 0xD9, s_acc);
      ktr4sim_set_register(0, axis, 0xDA, s_dec);
      const int32_t speed = draw.max_speed();
      const double t = draw.time();
      want = model_velocity_change(before, axis, speed, t, f_old, s_acc, s_dec);
      got = KTR4_velocity_change(0, axis, speed, t);
      ++kinds[4];
    } else {
      const uint32_t f = draw.card_speed(), s_dec = draw.card_range();
      ktr4sim_set_register(0, axis, 0xD2, f);
      ktr4sim_set_register(0, axis, 0xDA, s_dec);
      const double t = draw.time();
      want = model_dec_stop(before, axis, t, f, s_dec);
      got = KTR4_dec_stop(0, axis, t);
      ++kinds[5];
    }

    Outcome seen;
    seen.result = got;
    seen.writes = register_writes();
    seen.commands = commands();
    seen.after = state;
    for (const auto& w : seen.writes) {
      if (!in_range(w.code, w.value) && ++out_of_range <= 5)
        ADD_FAILURE() << "case " << n << ": register out of range " << w;
    }
    if (seen.result != want.result || seen.writes != want.writes || seen.commands != want.commands ||
        !same_state(seen.after, want.after)) {
      if (++mismatches <= 5)
        ADD_FAILURE() << "case " << n << " (seed " << seed << ", kind " << kind << ", axis " << int(axis)
                      << ")\n  library: " << describe(seen) << "\n  model:   " << describe(want);
    }
  }

  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  std::cout << "[ property ] " << cases << " cases in " << seconds << " s (T pos " << kinds[0] << ", S pos "
            << kinds[1] << ", T vel " << kinds[2] << ", S vel " << kinds[3] << ", change " << kinds[4]
            << ", dec stop " << kinds[5] << ")\n";
  std::cout << "[ property ] ramp cases:";
  for (uint64_t c : g_ramp_cases) std::cout << ' ' << c;
  std::cout << '\n';
  EXPECT_EQ(mismatches, 0u);
  EXPECT_EQ(out_of_range, 0u);
  // The draw must reach every ramping-down case, or the comparison proves little.
  if (cases >= 100'000) {
    for (int kind = 0; kind < 7; ++kind) EXPECT_GE(g_ramp_cases[kind], cases / 10'000) << "ramp case " << kind;
  }
}

}  // namespace
