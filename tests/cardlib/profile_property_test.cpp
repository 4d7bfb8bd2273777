// Randomised property test of the single-axis motion exports against the simulated card. For
// each random argument set and axis state: no crash or sanitizer report, every written
// register within its range, refusals that leave card and bookkeeping alone, and for every
// move that starts: its burst in order, one start command for its axis, the end position
// booked, speeds within what was asked, the ramp bits the times decide, a result that does not
// depend on the foreign bits of the mode word, and an operating speed that never falls when
// the distance grows. Fixed cases pin the exact register values of every ramping-down case.
//
// KTR4_PROPERTY_CASES sets the number of cases (default 1 000 000; 100 000 under the
// sanitizers), KTR4_PROPERTY_SEED the seed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
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

class Draw : public ktr4test::RandomDraw {
public:
    using RandomDraw::RandomDraw;
    int32_t section()
    {
        switch (below(6)) {
        case 0:
        case 1:
            return 0;
        case 2:
            return between(0, 5000);
        case 3:
            return between(0, 100000);
        case 4:
            return between(1, 100);
        default:
            return any_i32();
        }
    }
    uint32_t card_speed()
    {  // a speed register as read back from the card
        switch (below(6)) {
        case 0:
            return 0;
        case 1:
            return 0x40000000u * below(4) + below(3);  // near the wrapping divisors
        case 2:
            return static_cast<uint32_t>(gen_());
        default:
            return 1 + below(65535);
        }
    }
    uint32_t card_range() { return below(5) < 2 ? 0 : chance(33) ? static_cast<uint32_t>(gen_()) : below(32768); }
};

struct PositionArgs {
    int32_t dist;
    uint32_t mode;
    int32_t start, max;
    double tacc, tdec;
    int32_t sv_acc, sv_dec;
};

bool time_ok(double t)
{
    return std::isfinite(t) && t >= 0.0;
}

class ProfileProperty : public ktr4test::OneCardTest {
protected:
    static int32_t position_move(uint8_t axis, const PositionArgs& a, bool s_curve)
    {
        ktr4sim_trace_clear();
        return s_curve
            ? KTR4_S_curve_position_move(0, axis, a.dist, a.mode, a.start, a.max, a.tacc, a.tdec, a.sv_acc, a.sv_dec)
            : KTR4_T_curve_position_move(0, axis, a.dist, a.mode, a.start, a.max, a.tacc, a.tdec);
    }
};

TEST_F(ProfileProperty, EveryExportKeepsItsInvariantsOverRandomArguments)
{
    const uint64_t cases = env_or("KTR4_PROPERTY_CASES", kDefaultCases);
    Violations violation {env_or("KTR4_PROPERTY_SEED", 0x6B747234)};
    Draw draw(violation.seed);
    uint64_t started = 0, shortened = 0, full = 0;

    for (uint64_t n = 0; n < cases; ++n) {
        const auto ax = static_cast<uint8_t>(draw.below(4));
        ktr4::AxisState& state = axis(ax);
        draw.axis_state(state, draw.chance(25));
        const ktr4::AxisState before = state;
        const uint32_t kind = draw.below(8);
        const uint32_t off = before.profile.continuous ? 0x10 : 0;
        const uint32_t start_command = (1u << (ax + 8)) | 0x53u;
        int32_t got = 0, want = 0;
        std::vector<uint32_t> order, want_commands;

        if (kind < 4) {  // position moves, twice as often as the rest
            const bool s_curve = kind >= 2;
            const uint16_t status = draw.status();
            const int32_t position = draw.coordinate();
            set_status(0, ax, KTR4SIM_MAIN_STATUS, status);
            set_reg(0, ax, 0xE3, static_cast<uint32_t>(position));
            PositionArgs a {draw.coordinate(), draw.chance(50) ? 0u : 1u + draw.below(0x1FF),
                            draw.speed(),      draw.max_speed(),
                            draw.time(),       0.0,
                            draw.section(),    0};
            a.tdec = draw.chance(15) ? 2 * a.tacc : draw.time();
            a.sv_dec = draw.chance(30) ? a.sv_acc : draw.section();
            const bool continuous = before.profile.continuous != 0, stopped = status & 0x0008;
            const bool args_ok = abs64(a.start) <= 6553500 && abs64(a.max) <= 6553500 && a.max != 0 && time_ok(a.tacc)
                && time_ok(a.tdec);
            want = !args_ok ? 302 : continuous && (status & 0x4000) ? 304 : !continuous && !stopped ? 303 : 0;
            got = position_move(ax, a, s_curve);
            const auto writes = register_writes();
            // Arguments are checked before anything is read; a busy axis before its position is.
            if (got == 302 && !trace().empty())
                violation(n, "a refused move called the driver");
            if ((got == 303 || got == 304) && !register_reads().empty())
                violation(n, "a refused move read a register");
            if (got == 0) {
                order = s_curve ? std::vector<uint32_t> {0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x97, 0x96, 0x99, 0x9A}
                                : std::vector<uint32_t> {0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97};
                for (auto& code : order)
                    code -= off;
                order.push_back(0x9B);
                want_commands = {start_command};
                // The end position: a stop since the last move is booked where the axis stands.
                const bool stop_booked = before.end.bookkeeping_armed == 1 && stopped;
                const int32_t base = stop_booked ? position : before.end.commanded_end;
                const auto target = static_cast<int32_t>(written(writes, ax, 0x90));
                if (state.end.commanded_end != wrap(int64_t {base} + target))
                    violation(n, "end not moved by the target");
                if (state.end.bookkeeping_armed != 1)
                    violation(n, "bookkeeping not armed");
                if (stop_booked && state.end.lost_pulses != wrap(int64_t {before.end.commanded_end} - position))
                    violation(n, "lost pulses of the stop not booked");
                if (a.mode & 0xFF) {
                    if (state.end.commanded_end != a.dist)
                        violation(n, "absolute move does not end at its argument");
                } else if (target != a.dist
                           && (target != wrap(int64_t {a.dist} + state.end.lost_pulses) || state.end.correction_pending
                               || state.end.correction_enable)) {
                    violation(n, "relative move neither as asked nor corrected once by the lost pulses");
                }
                // Speeds, rates and bits.
                const uint32_t mg = written(writes, ax, 0x95), fh = written(writes, ax, 0x92);
                const uint32_t mode = written(writes, ax, 0x97), dp = written(writes, ax, 0x96);
                if (continuous && before.profile.speed_range_fixed && mg != before.profile.fixed_magnification)
                    violation(n, "a fixed speed range ignored");
                if (written(writes, ax, 0x91) != speed_ceiling(a.start, mg))
                    violation(n, "start speed not as asked");
                if (fh > speed_ceiling(a.max, mg))
                    violation(n, "operating speed above the one asked for");
                if (a.tacc == 0.0 && written(writes, ax, 0x93) != 1)
                    violation(n, "zero time is not the fastest rate");
                if (a.tdec == 0.0 && written(writes, ax, 0x94) != 1)
                    violation(n, "zero time is not the fastest rate");
                const uint32_t mine = kManualBit | kShortenedBit | kSCurveBit | 0x7F;
                if ((mode & ~mine) != (before.profile.operation_mode & ~mine))
                    violation(n, "foreign mode bits changed");
                if ((mode & 0x7F) != (before.profile.mode_variant ? 0x49u : 0x41u))
                    violation(n, "wrong operation code");
                if (((mode & kSCurveBit) != 0) != s_curve)
                    violation(n, "S-curve bit wrong");
                const uint32_t bits = mode & (kManualBit | kShortenedBit);
                if (a.tdec == 0.0 ? bits != (kManualBit | kShortenedBit)
                                  : (a.tdec <= 2 * a.tacc ? bits != 0 : !(bits & kManualBit)))
                    violation(n, "ramp bits not the ones the times decide");
                if ((bits & kManualBit) && a.tdec != 0.0 && dp < 1)
                    violation(n, "no ramping-down point");
                if (bits == kManualBit) {
                    ++full;
                    if (fh != speed_ceiling(a.max, mg))
                        violation(n, "a full profile below the operating speed");
                }
                if (bits == (kManualBit | kShortenedBit) && a.tdec != 0.0)
                    ++shortened;
                // The same move again from the same end, the foreign mode bits inverted and the
                // distance doubled: the same bits, and an operating speed that does not fall.
                if (!(a.mode & 0xFF) && abs64(target) < (int64_t {1} << 29)) {
                    ktr4::AxisState again = before;
                    again.end = {};
                    again.end.commanded_end = base;
                    again.profile.operation_mode = ~before.profile.operation_mode;
                    state = again;
                    set_status(0, ax, KTR4SIM_MAIN_STATUS, 0x0008);
                    PositionArgs b = a;
                    b.dist = 2 * target;
                    if (position_move(ax, b, s_curve) != 0)
                        violation(n, "the longer move refused");
                    const auto longer = register_writes();
                    const uint32_t mode2 = written(longer, ax, 0x97);
                    if ((mode2 & mine & ~kShortenedBit) != (mode & mine & ~kShortenedBit))
                        violation(n, "mode bits depend on the previous mode word");
                    if (bits == kManualBit && (mode2 & mine) != (mode & mine))
                        violation(n, "a full profile became shortened over a longer distance");
                    if (!s_curve && written(longer, ax, 0x92) < fh)
                        violation(n, "operating speed fell with distance");
                }
                ++started;
            }
        } else if (kind < 6) {  // velocity moves
            const bool s_curve = kind == 5;
            const int32_t start_speed = draw.chance(80) ? draw.between(-6553500, 6553500) : draw.speed();
            const int32_t max = draw.max_speed();
            const double tacc = draw.time();
            const int32_t sv = draw.section();
            want = abs64(max) > 6553500 || abs64(start_speed) > 6553500 || !time_ok(tacc) ? 302 : 0;
            ktr4sim_trace_clear();
            got = s_curve ? KTR4_S_velocity_move(0, ax, start_speed, max, tacc, sv)
                          : KTR4_T_velocity_move(0, ax, start_speed, max, tacc);
            const auto writes = register_writes();
            if (got == 0) {
                const uint32_t mg = written(writes, ax, 0x95), fl = written(writes, ax, 0x91),
                               fh = written(writes, ax, 0x92);
                const bool down = fl > fh;
                order = {down ? 0x94u : 0x93u};
                if (s_curve)
                    order.push_back(down ? 0x9Au : 0x99u);
                order.insert(order.end(), {0x97, 0x91, 0x92, 0x95});
                want_commands = {start_command};
                if (before.profile.speed_range_fixed && mg != before.profile.fixed_magnification)
                    violation(n, "a fixed speed range ignored");
                if (fh != speed_ceiling(max, mg) || fl != speed_ceiling(start_speed, mg))
                    violation(n, "speeds not as asked");
                const uint32_t mode = written(writes, ax, 0x97);
                if ((mode & 0x7F) != (max < 0 ? 0x08u : 0u) || ((mode & kSCurveBit) != 0) != s_curve)
                    violation(n, "wrong velocity mode");
            }
        } else if (kind == 6) {  // velocity change
            const uint32_t f_old = draw.card_speed();
            set_reg(0, ax, 0xD2, f_old);
            set_reg(0, ax, 0xD9, draw.card_range());
            set_reg(0, ax, 0xDA, draw.card_range());
            const int32_t speed = draw.max_speed();
            const double t = draw.time();
            want = abs64(speed) > 6553500 || !time_ok(t) ? 302 : 0;
            ktr4sim_trace_clear();
            got = KTR4_velocity_change(0, ax, speed, t);
            const auto writes = register_writes();
            if (got == 0) {
                const uint32_t f = written(writes, ax, 0x92);
                order = {f >= f_old ? 0x93u : 0x94u, 0x97, 0x95, 0x92};
                if (f != speed_ceiling(speed, written(writes, ax, 0x95)))
                    violation(n, "changed speed not as asked");
            }
        } else {  // decelerating stop
            set_reg(0, ax, 0xD2, draw.card_speed());
            set_reg(0, ax, 0xDA, draw.card_range());
            const double t = draw.time();
            want = time_ok(t) ? 0 : 302;
            ktr4sim_trace_clear();
            got = KTR4_dec_stop(0, ax, t);
            if (got == 0) {
                order = {0x94};
                want_commands = {(1u << (ax + 8)) | 0x4Au};
                if (state.end.bookkeeping_armed != 1)
                    violation(n, "a stop not armed for booking");
            }
        }

        const auto writes = register_writes();
        for (const auto& w : writes)
            if (!in_range(w.code, w.value))
                violation(n, "register out of range");
        if (got != want)
            violation(n, "result " + std::to_string(got) + ", not " + std::to_string(want));
        if (got != 0
            && (state.end.commanded_end != before.end.commanded_end
                || state.profile.operation_mode != before.profile.operation_mode))
            violation(n, "a refusal changed the bookkeeping");
        if (kind >= 4 || got != 0) {  // the position move above compared its own burst already
            if (codes_of(writes, ax) != order || writes.size() != order.size())
                violation(n, "burst not in order");
            if (commands() != want_commands)
                violation(n, "wrong commands");
        }
    }
    EXPECT_EQ(violation.count, 0u);
    // The draw must reach the interesting cases, or the properties prove little.
    EXPECT_GT(started, cases / 10);
    EXPECT_GT(full, cases / 1000);
    EXPECT_GT(shortened, cases / 1000);
}

// Exact register values of fixed moves, one per ramping-down case, on axis 1 with every
// foreign mode bit set and a correction speed of 5000 pps.
struct Fixed {
    const char* what;
    PositionArgs args;
    bool s_curve;
    const char* burst;
};

const Fixed kFixed[] = {
    {"T full",
     {100000, 0, 1000, 10000, 0.1, 0.3, 0, 0},
     false,
     "1:90=186a0 1:91=1999 1:92=fffd 1:93=7 1:94=18 1:95=7ad 1:96=671 1:97=fbfffbc1 1:9b=7ffe"},
    {"T triangle",
     {2000, 0, 1000, 10000, 0.1, 0.3, 0, 0},
     false,
     "1:90=7d0 1:91=1999 1:92=dce0 1:93=7 1:94=18 1:95=7ad 1:96=4c8 1:97=fffffbc1 1:9b=7ffe"},
    {"T card finds the point",
     {100000, 0, 1000, 10000, 0.1, 0.2, 0, 0},
     false,
     "1:90=186a0 1:91=1999 1:92=fffd 1:93=7 1:94=f 1:95=7ad 1:96=0 1:97=fbffdbc1 1:9b=7ffe"},
    {"T no deceleration",
     {100000, 1, 1000, 10000, 0.1, 0.0, 0, 0},
     false,
     "1:90=186a0 1:91=1999 1:92=fffd 1:93=7 1:94=1 1:95=7ad 1:96=0 1:97=fffffbc1 1:9b=7ffe"},
    {"S full with sections",
     {200000, 0, 1000, 10000, 0.1, 0.3, 2000, 2000},
     true,
     "1:90=30d40 1:91=1999 1:92=fffd 1:93=4 1:94=10 1:95=7ad 1:97=fbffffc1 1:96=654 1:99=3332 1:9a=3332 1:9b=7ffe"},
    {"S full pure",
     {200000, 0, 1000, 10000, 0.1, 0.3, 0, 0},
     true,
     "1:90=30d40 1:91=1999 1:92=fffd 1:93=3 1:94=b 1:95=7ad 1:97=fbffffc1 1:96=62f 1:99=0 1:9a=0 1:9b=7ffe"},
    {"S pure triangle",
     {1500, 0, 1000, 10000, 0.1, 0.3, 0, 0},
     true,
     "1:90=5dc 1:91=1999 1:92=c28f 1:93=3 1:94=b 1:95=7ad 1:97=ffffffc1 1:96=38c 1:99=0 1:9a=0 1:9b=7ffe"},
    {"S equal sections shortened",
     {1500, 0, 1000, 10000, 0.1, 0.3, 2000, 2000},
     true,
     "1:90=5dc 1:91=1999 1:92=bc0f 1:93=4 1:94=10 1:95=7ad 1:97=ffffffc1 1:96=3d2 1:99=3332 1:9a=3332 1:9b=7ffe"},
    {"S sections kept",
     {1500, 0, 1000, 10000, 0.1, 0.3, 1000, 3000},
     true,
     "1:90=5dc 1:91=1999 1:92=b8ca 1:93=5 1:94=e 1:95=7ad 1:97=ffffffc1 1:96=3ec 1:99=1999 1:9a=4ccc 1:9b=7ffe"},
    {"S larger section given up",
     {600, 0, 1000, 10000, 0.1, 0.3, 500, 3000},
     true,
     "1:90=258 1:91=1999 1:92=7159 1:93=6 1:94=e 1:95=7ad 1:97=ffffffc1 1:96=1ff 1:99=ccc 1:9a=4ccc 1:9b=7ffe"},
    {"S triangle with sections",
     {150, 0, 1000, 10000, 0.1, 0.3, 1000, 3000},
     true,
     "1:90=96 1:91=1999 1:92=3a16 1:93=5 1:94=e 1:95=7ad 1:97=ffffffc1 1:96=52 1:99=0 1:9a=0 1:9b=7ffe"},
};

TEST_F(ProfileProperty, FixedMovesWriteTheseRegisters)
{
    for (const auto& f : kFixed) {
        axis(1).profile.operation_mode = 0xFFFFFFFF;
        axis(1).profile.correction_speed = 5000;
        EXPECT_EQ(position_move(1, f.args, f.s_curve), KTR4_OK) << f.what;
        EXPECT_EQ(burst(register_writes()), f.burst) << f.what;
    }
}

TEST_F(ProfileProperty, FixedVelocityMovesChangesAndStopsWriteTheseRegisters)
{
    axis(2).profile.operation_mode = 0xFFFFFFFF;
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_T_velocity_move(0, 2, 500, 20000, 0.2), KTR4_OK);
    EXPECT_EQ(KTR4_T_velocity_move(0, 2, 20000, -3000, 0.2), KTR4_OK);
    EXPECT_EQ(KTR4_S_velocity_move(0, 2, 500, 20000, 0.2, 1500), KTR4_OK);
    EXPECT_EQ(KTR4_S_velocity_move(0, 2, 20000, 3000, 0.2, 1500), KTR4_OK);
    EXPECT_EQ(burst(register_writes()),
              "2:93=e 2:97=fffffb80 2:91=666 2:92=fffd 2:95=3d6 2:94=27 2:97=fffffb88 2:91=ffff 2:92=a000 2:95=fff "
              "2:93=c 2:99=1333 2:97=ffffff80 2:91=666 2:92=fffd 2:95=3d6 2:94=e 2:9a=5000 2:97=ffffff80 2:91=ffff "
              "2:92=a000 2:95=fff");
    const uint32_t running = written(register_writes(), 2, 0x92);
    set_reg(0, 2, 0xD2, running);
    set_reg(0, 2, 0xDA, 40);
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_velocity_change(0, 2, 3000, 0.1), KTR4_OK);  // the same speed counts as up
    EXPECT_EQ(KTR4_velocity_change(0, 2, 60000, 0.1), KTR4_OK);
    EXPECT_EQ(KTR4_dec_stop(0, 2, 0.25), KTR4_OK);
    EXPECT_EQ(burst(register_writes()),
              "2:93=31 2:97=ffffff80 2:95=fff 2:92=a000 2:93=d 2:97=ffffff80 2:95=146 2:92=ff78 2:94=11");
}

}  // namespace
