// Randomised property test of the multi-axis exports against the simulated card. For each
// random argument set and group state: no crash or sanitizer report, every written register
// within its range, a started group started by one command carrying exactly the group's
// axis bits, refusals that leave card and bookkeeping alone; and for the T-curve
// interpolations and every on-line change, each register value, the result and the
// bookkeeping equal to a model written here from the formulas.
//
// KTR4_PROPERTY_CASES sets the number of cases (default 300 000; 30 000 under the
// sanitizers), KTR4_PROPERTY_SEED the seed.
#include <gtest/gtest.h>

#include <algorithm>
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
constexpr uint64_t kDefaultCases = 30'000;
#else
constexpr uint64_t kDefaultCases = 300'000;
#endif

// ---------------------------------------------------------------------------------------
// The model, from the formulas: 64-bit integers where a product must not wrap, explicit
// 32-bit wrapping where it must.

// Share of the longest axis.
double model_share(const std::vector<int32_t>& targets) {
  double sum = 0;
  for (int32_t t : targets) sum += static_cast<double>(abs64(t)) * static_cast<double>(abs64(t));
  const double length = std::sqrt(sum);
  if (length == 0) return 0;
  double k = 0;
  for (int32_t t : targets) k = std::max(k, static_cast<double>(abs64(t)) / length);
  return k;
}

struct AxisRamp {
  uint32_t fh, dp, bits_set, bits_clear;
};

// T-curve ramping-down point of a group: decided on targets[0], shaped per axis.
// manual: no case where the card finds the point (on-line changes).
std::vector<AxisRamp> model_group_ramp(uint32_t FL, uint32_t FH, uint32_t UR, uint32_t DR, uint32_t MG, double Tacc,
                                       double Tdec, const std::vector<int32_t>& targets, bool manual) {
  const uint32_t b13 = 1u << 13, b26 = 1u << 26;
  std::vector<AxisRamp> out;
  if (Tdec == 0.0) {
    for (size_t i = 0; i < targets.size(); ++i) out.push_back({FH, 0, b13 | b26, 0});
    return out;
  }
  if (!manual && Tdec <= 2 * Tacc) {
    for (size_t i = 0; i < targets.size(); ++i) out.push_back({FH, 0, 0, b13 | b26});
    return out;
  }
  const double fl = FL, fh = FH, K = 32768.0 * (MG + 1.0), SUM = UR + DR + 2.0;
  const double need = (fh * fh - fl * fl) * SUM / K;
  const bool shortened = static_cast<double>(abs64(targets[0])) <= need;
  for (int32_t t : targets) {
    if (shortened) {
      const auto f = static_cast<uint32_t>(
          clamp64(to_i32(0.9 * std::sqrt(K * static_cast<double>(abs64(t)) / SUM + fl * fl)), 1, FH));
      const double fp = f;
      out.push_back({f, model_dp((fp * fp - fl * fl) * (DR + 1.0) / K), b13 | b26, 0});
    } else {
      out.push_back({FH, model_dp((fh * fh - fl * fl) * (DR + 1.0) / K), b13, b26});
    }
  }
  return out;
}

struct Outcome : CardOutcome {
  std::vector<ktr4::AxisState> after;
};

struct LineArgs {
  std::vector<int32_t> positions;
  uint32_t mode;
  int32_t start, max;
  double tacc, tdec;
};

// A T-curve interpolation of `axes` (group order).
Outcome model_line(const std::vector<ktr4::AxisState>& before, const std::vector<uint8_t>& axes,
                   const std::vector<uint16_t>& status, const std::vector<int32_t>& position, const LineArgs& a) {
  Outcome out;
  out.after = before;
  auto& st = out.after;
  const size_t n = axes.size();
  if (!model_position_arguments_ok(a.start, a.max, a.tacc, a.tdec)) return out.result = 302, out;
  for (size_t i = 1; i < n; ++i)
    if ((st[i].profile.continuous != 0) != (st[0].profile.continuous != 0)) return out.result = 306, out;
  for (size_t i = 0; i < n; ++i) {
    if (st[i].profile.continuous && (status[i] & 0x4000)) return out.result = 304, out;
    if (!st[i].profile.continuous && !(status[i] & 0x0008)) return out.result = 303, out;
  }
  for (size_t i = 0; i < n; ++i) model_note_stop(st[i], status[i], position[i]);
  const uint32_t MG = model_move_mg(st[0], a.max);
  std::vector<int32_t> targets;
  for (size_t i = 0; i < n; ++i) targets.push_back(model_book_move(st[i], a.positions[i], a.mode));
  const double k = model_share(targets);
  const uint32_t FH = model_speed(abs64(to_i32(static_cast<double>(abs64(a.max)) * k)), MG);
  const uint32_t FL = model_speed(abs64(to_i32(static_cast<double>(abs64(a.start)) * k)), MG);
  const uint32_t UR = model_t_rate_of_time(a.tacc, FL, FH), DR = model_t_rate_of_time(a.tdec, FL, FH);
  const auto ramp = model_group_ramp(FL, FH, UR, DR, MG, a.tacc, a.tdec, targets, false);
  const uint32_t correction = model_speed(st[0].profile.correction_speed, MG);
  uint32_t bits = 0;
  for (size_t i = 0; i < n; ++i) {
    uint32_t mode = (st[i].profile.operation_mode & ~0x7Fu & ~0x8000u & ~0x400u) |
                    (st[i].profile.mode_variant ? 0x69u : 0x61u);
    mode = (mode | ramp[i].bits_set) & ~ramp[i].bits_clear;
    st[i].profile.operation_mode = mode;
    const uint32_t off = st[i].profile.continuous ? 0x10 : 0;
    const uint32_t ax = axes[i];
    for (auto [code, value] : std::vector<std::pair<uint32_t, uint32_t>>{
             {0x90, static_cast<uint32_t>(targets[i])}, {0x91, FL}, {0x92, ramp[i].fh}, {0x93, UR}, {0x94, DR},
             {0x95, MG}, {0x96, ramp[i].dp}, {0x97, mode}})
      out.writes.push_back({ax, code - off, value});
    bits |= 1u << axes[i];
  }
  for (size_t i = 0; i < n; ++i) out.writes.push_back({axes[i], 0x9B, correction});
  out.commands.push_back((bits << 8) | 0x53u);
  return out;
}

// An on-line change of `axes`; `single` for the single-axis function (unscaled speeds,
// the position code).
Outcome model_online(const std::vector<ktr4::AxisState>& before, const std::vector<uint8_t>& axes,
                     const std::vector<uint16_t>& status, const std::vector<uint32_t>& running, const LineArgs& a,
                     bool single) {
  Outcome out;
  out.after = before;
  auto& st = out.after;
  const size_t n = axes.size();
  if (!model_position_arguments_ok(a.start, a.max, a.tacc, a.tdec)) return out.result = 302, out;
  for (size_t i = 0; i < n; ++i)
    if (status[i] & 0x0008) return out.result = 305, out;
  std::vector<int32_t> targets;
  for (size_t i = 0; i < n; ++i) {
    const int32_t start = wrap(int64_t{st[i].end.commanded_end} - static_cast<int32_t>(running[i]));
    if ((a.mode & 0xFF) == 0) {
      st[i].end.commanded_end = wrap(int64_t{start} + a.positions[i]);
      targets.push_back(a.positions[i]);
    } else {
      st[i].end.commanded_end = a.positions[i];
      targets.push_back(wrap(int64_t{a.positions[i]} - start));
    }
  }
  const double k = single ? 1.0 : model_share(targets);
  const uint32_t MG = model_move_mg(st[0], a.max);
  const uint32_t FH = single ? model_speed(abs64(a.max), MG)
                             : model_speed(abs64(to_i32(static_cast<double>(abs64(a.max)) * k)), MG);
  const uint32_t FL = single ? model_speed(abs64(a.start), MG)
                             : model_speed(abs64(to_i32(static_cast<double>(abs64(a.start)) * k)), MG);
  const uint32_t UR = model_t_rate_of_time(a.tacc, FL, FH), DR = model_t_rate_of_time(a.tdec, FL, FH);
  const auto ramp = model_group_ramp(FL, FH, UR, DR, MG, a.tacc, a.tdec, targets, true);
  for (size_t i = 0; i < n; ++i) {
    uint32_t mode = st[i].profile.operation_mode & ~0x7Fu & ~0x400u;
    mode = single ? mode | (st[i].profile.mode_variant ? 0x49u : 0x41u)
                  : (mode & ~0x8000u) | (st[i].profile.mode_variant ? 0x69u : 0x61u);
    mode = (mode | ramp[i].bits_set) & ~ramp[i].bits_clear;
    st[i].profile.operation_mode = mode;
    const uint32_t ax = axes[i];
    for (auto [code, value] : std::vector<std::pair<uint32_t, uint32_t>>{
             {0x90, static_cast<uint32_t>(targets[i])}, {0x95, MG}, {0x92, ramp[i].fh}, {0x91, FL}, {0x93, UR},
             {0x94, DR}, {0x96, ramp[i].dp}, {0x97, mode}})
      out.writes.push_back({ax, code, value});
  }
  return out;
}

std::string describe(const Outcome& o) {
  std::ostringstream s;
  s << static_cast<const CardOutcome&>(o);
  for (const auto& a : o.after) s << " | " << a;
  return s.str();
}

// The value last written to a register of an axis, operating or pre-register alike.
uint32_t written_value(const std::vector<RegisterWrite>& writes, uint8_t axis, uint32_t pre_code) {
  uint32_t value = 0;
  for (const auto& w : writes)
    if (w.axis == axis && (w.code & ~0x10u) == pre_code) value = w.value;
  return value;
}

// Whether a started S-curve interpolation is the pure S-curve triangle with sections
// requested, decided on the first axis's distance from the written registers and the
// requested section speeds. Cases within a hair of a threshold are not claimed.
bool pure_s_triangle(const std::vector<RegisterWrite>& writes, const std::vector<uint8_t>& axes, int32_t sa,
                     int32_t sd, const LineArgs& a) {
  if (a.tdec == 0.0 || a.tdec <= 2 * a.tacc) return false;
  std::vector<int32_t> targets;
  for (uint8_t axis : axes) targets.push_back(static_cast<int32_t>(written_value(writes, axis, 0x80)));
  const uint8_t first = axes[0];
  const uint32_t MG = written_value(writes, first, 0x85);
  const double fl = written_value(writes, first, 0x81), ur1 = written_value(writes, first, 0x83) + 1.0,
               dr1 = written_value(writes, first, 0x84) + 1.0;
  const double fh = model_speed(abs64(to_i32(static_cast<double>(abs64(a.max)) * model_share(targets))), MG);
  const double s_acc = model_range(sa, MG), s_dec = model_range(sd, MG), K = 32768.0 * (MG + 1.0), sum = ur1 + dr1;
  const double d = static_cast<double>(abs64(targets[0]));
  const double below = 1.0 - 1e-9, above = 1.0 + 1e-9;
  if (s_acc == 0 && s_dec == 0) return false;
  if (s_acc == s_dec) return d <= 8.0 * s_acc * (s_acc + fl) * sum / K * below;
  const double b = ur1 * s_acc + dr1 * s_dec;
  const double l = std::max(s_acc, s_dec), q = std::min(s_acc, s_dec);
  const double kl = s_acc < s_dec ? 2.0 * dr1 + ur1 : 2.0 * ur1 + dr1, p = s_acc < s_dec ? ur1 * s_acc : dr1 * s_dec;
  const double need = ((fh - fl) * sum + 2.0 * b) * (fh + fl) / K, mid = (kl * l + p) * (l + fl) * 4.0 / K;
  const double low = 8.0 * q * (q + fl) * sum / K;
  return d <= low * below && !(d <= need * above && d > mid * below);
}

const std::vector<std::vector<uint8_t>> kPairs = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}};
const std::vector<std::vector<uint8_t>> kTriples = {{0, 1, 2}, {0, 1, 3}, {0, 2, 3}, {1, 2, 3}};

class MultiAxisProperty : public ktr4test::SimCardTest {};

TEST_F(MultiAxisProperty, InterpolationsArcsAndChangesOverRandomArguments) {
  start({0});
  const uint64_t cases = env_or("KTR4_PROPERTY_CASES", kDefaultCases);
  const uint64_t seed = env_or("KTR4_PROPERTY_SEED", 0x6D756C74);
  ktr4test::RandomDraw draw(seed);
  uint64_t mismatches = 0, violations = 0;
  uint64_t kinds[8] = {};
  uint64_t results[4] = {};  // started, refused, fallback (308/311), other
  uint64_t triangles = 0;     // started pure S-curve triangles
  const auto began = std::chrono::steady_clock::now();
  auto violation = [&](uint64_t n, const std::string& what) {
    if (++violations <= 5) ADD_FAILURE() << "case " << n << " (seed " << seed << "): " << what;
  };

  for (uint64_t n = 0; n < cases; ++n) {
    const uint32_t kind = draw.below(8);
    std::vector<uint8_t> axes;
    uint32_t selector = 0;
    if (kind == 3 || kind == 7) {
      axes = {static_cast<uint8_t>(draw.below(4))};
    } else {
      const uint32_t size = kind == 4 || kind == 5 || kind == 6 ? 2 : 2 + draw.below(3);
      selector = size == 2 ? draw.below(6) : size == 3 ? draw.below(4) : 0;
      axes = size == 2 ? kPairs[selector] : size == 3 ? kTriples[selector] : std::vector<uint8_t>{0, 1, 2, 3};
    }
    const bool all_continuous = draw.chance(20);
    std::vector<ktr4::AxisState> before;
    std::vector<uint16_t> status;
    std::vector<int32_t> position;
    std::vector<uint32_t> running;
    const bool online = kind == 2 || kind == 3;
    for (uint8_t a : axes) {
      ktr4::AxisState& st = ktr4::axis_state(0, a);
      draw.axis_state(st, draw.chance(3) ? !all_continuous : all_continuous);
      before.push_back(st);
      status.push_back(online ? draw.running_status() : draw.status());
      position.push_back(draw.coordinate());
      running.push_back(static_cast<uint32_t>(draw.coordinate()));
      ktr4sim_set_status(0, a, KTR4SIM_MAIN_STATUS, status.back());
      ktr4sim_set_register(0, a, 0xE3, static_cast<uint32_t>(position.back()));
      ktr4sim_set_register(0, a, 0xD0, running.back());
    }
    LineArgs args;
    for (size_t i = 0; i < 4; ++i) args.positions.push_back(draw.coordinate());
    args.mode = draw.chance(50) ? 0u : 1u + draw.below(0x1FF);
    args.start = draw.speed();
    args.max = draw.max_speed();
    args.tacc = draw.time();
    args.tdec = draw.chance(15) ? 2 * args.tacc : draw.time();
    const auto& p = args.positions;
    ktr4sim_trace_clear();
    ++kinds[kind];

    int32_t got = 0;
    int32_t sa = 0, sd = 0;
    bool modelled = true;
    Outcome want;
    const uint8_t group_size = static_cast<uint8_t>(axes.size());
    switch (kind) {
      case 0:  // T-curve interpolation
        want = model_line(before, axes, status, position, args);
        got = group_size == 2   ? KTR4_T_curve_move_LINE2(0, selector, p[0], p[1], args.mode, args.start, args.max,
                                                          args.tacc, args.tdec)
              : group_size == 3 ? KTR4_T_curve_move_LINE3(0, selector, p[0], p[1], p[2], args.mode, args.start,
                                                          args.max, args.tacc, args.tdec)
                                : KTR4_T_curve_move_LINE4(0, p[0], p[1], p[2], p[3], args.mode, args.start,
                                                          args.max, args.tacc, args.tdec);
        break;
      case 1: {  // S-curve interpolation: properties only
        modelled = false;
        sa = draw.chance(40) ? 0 : draw.between(0, 100000);
        sd = draw.chance(40) ? sa : draw.between(0, 100000);
        got = group_size == 2   ? KTR4_S_curve_move_LINE2(0, selector, p[0], p[1], args.mode, args.start, args.max,
                                                          args.tacc, args.tdec, sa, sd)
              : group_size == 3 ? KTR4_S_curve_move_LINE3(0, selector, p[0], p[1], p[2], args.mode, args.start,
                                                          args.max, args.tacc, args.tdec, sa, sd)
                                : KTR4_S_curve_move_LINE4(0, p[0], p[1], p[2], p[3], args.mode, args.start,
                                                          args.max, args.tacc, args.tdec, sa, sd);
        break;
      }
      case 2:  // on-line change of an interpolation
        want = model_online(before, axes, status, running, args, false);
        got = group_size == 2
                  ? KTR4_OnLine_T_curve_change_LINE2(0, selector, p[0], p[1], args.mode, args.start, args.max,
                                                     args.tacc, args.tdec)
              : group_size == 3
                  ? KTR4_OnLine_T_curve_change_LINE3(0, selector, p[0], p[1], p[2], args.mode, args.start,
                                                     args.max, args.tacc, args.tdec)
                  : KTR4_OnLine_T_curve_change_LINE4(0, p[0], p[1], p[2], p[3], args.mode, args.start, args.max,
                                                     args.tacc, args.tdec);
        break;
      case 3:  // on-line change of a single-axis move
        want = model_online(before, axes, status, running, args, true);
        got = KTR4_OnLine_T_curve_change(0, axes[0], p[0], args.mode, args.start, args.max, args.tacc, args.tdec);
        break;
      case 4:
        modelled = false;
        got = KTR4_ARC2_center_move(0, selector, p[0], p[1], p[2], p[3], args.mode, args.max,
                                    static_cast<uint32_t>(draw.gen()()));
        break;
      case 5:
        modelled = false;
        got = KTR4_ARC2_3P_move(0, selector, p[0], p[1], p[2], p[3], args.mode, args.max);
        break;
      case 6:
        modelled = false;
        got = KTR4_CIR2_3P_move(0, selector, p[0], p[1], p[2], p[3], args.mode, args.max);
        break;
      default:
        modelled = false;
        got = KTR4_correct_current_POS(0, axes[0]);
        break;
    }

    Outcome seen;
    seen.result = got;
    seen.writes = register_writes();
    seen.commands = commands();
    for (uint8_t a : axes) seen.after.push_back(ktr4::axis_state(0, a));

    for (const auto& w : seen.writes)
      if (!in_range(w.code, w.value)) violation(n, "register out of range");
    uint32_t bits = 0;
    for (uint8_t a : axes) bits |= 1u << a;
    // A move that starts anything starts the whole group (or the fallback's pair) with one
    // command; changes and the resync never start anything.
    if (kind == 2 || kind == 3 || kind == 7) {
      if (!seen.commands.empty()) violation(n, "a change issued a command");
    } else if (seen.commands.size() > 1) {
      violation(n, "more than one start command");
    } else if (seen.commands.size() == 1 && seen.commands[0] != ((bits << 8) | 0x53u)) {
      violation(n, "start command not for exactly the group");
    }
    const bool refused = got == 302 || got == 303 || got == 304 || got == 305 || got == 306;
    if (refused) {
      ++results[1];
      if (!seen.writes.empty() || !seen.commands.empty()) violation(n, "refusal touched the card");
      for (size_t i = 0; i < axes.size(); ++i)
        if (got != 302 && seen.after[i].end.commanded_end != before[i].end.commanded_end)
          violation(n, "refusal moved a commanded end position");
    } else if (got == 308 || got == 311) {
      ++results[2];
    } else if (got == 0) {
      ++results[0];
      if ((kind == 0 || kind == 1 || kind == 4 || kind == 5 || kind == 6) && seen.commands.size() != 1)
        violation(n, "success without a start command");
      if (kind == 1 && pure_s_triangle(seen.writes, axes, sa, sd, args)) {
        ++triangles;
        for (uint8_t a : axes)
          if (written_value(seen.writes, a, 0x89) != 0 || written_value(seen.writes, a, 0x8A) != 0)
            violation(n, "a pure S-curve triangle kept an S-curve range");
      }
      if (kind == 4 || kind == 5 || kind == 6) {
        for (uint8_t a : axes) {
          bool centre = false, arc_mode = false;
          for (const auto& w : seen.writes)
            if (w.axis == a) {
              centre |= (w.code & ~0x10u) == 0x88;
              arc_mode |= (w.code & ~0x10u) == 0x87 && (w.value & 0x08000000u) && ((w.value & 0x7F) >> 1) == 0x32;
            }
          if (!centre || !arc_mode) violation(n, "an arc without its centre or operation code");
        }
      }
    } else {
      ++results[3];
      if (kind != 7) violation(n, "unexpected result " + std::to_string(got));
    }
    if (modelled && (seen.result != want.result || seen.writes != want.writes || seen.commands != want.commands ||
                     [&] {
                       for (size_t i = 0; i < axes.size(); ++i)
                         if (!same_state(seen.after[i], want.after[i])) return true;
                       return false;
                     }())) {
      if (++mismatches <= 5)
        ADD_FAILURE() << "case " << n << " (seed " << seed << ", kind " << kind << ")\n  library: "
                      << describe(seen) << "\n  model:   " << describe(want);
    }
  }

  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  std::cout << "[ property ] " << cases << " cases in " << seconds << " s (T line " << kinds[0] << ", S line "
            << kinds[1] << ", on-line group " << kinds[2] << ", on-line single " << kinds[3] << ", arc "
            << kinds[4] << ", 3P arc " << kinds[5] << ", 3P circle " << kinds[6] << ", resync " << kinds[7]
            << "); started " << results[0] << ", refused " << results[1] << ", fallback " << results[2]
            << ", other " << results[3] << "; pure S triangles " << triangles << "\n";
  EXPECT_EQ(mismatches, 0u);
  EXPECT_EQ(violations, 0u);
  EXPECT_GT(results[0], cases / 10);
  EXPECT_GT(results[2], 0u);
  EXPECT_GT(triangles, 0u);
}

}  // namespace
