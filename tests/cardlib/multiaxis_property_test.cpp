// Randomised property test of the multi-axis exports against the simulated card. For each
// random argument set and group state: no crash or sanitizer report, every written register
// within its range, refusals that leave card and bookkeeping alone, a started group started
// by one command carrying exactly the group's axis bits; for interpolations and on-line
// changes the bursts in order, every axis's end position booked, one ramping-down decision
// for the whole group and no operating speed above the one asked for. Fixed cases pin exact
// register values.
//
// KTR4_PROPERTY_CASES sets the number of cases (default 300 000; 30 000 under the
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

using namespace ktr4test::model;

#ifdef KTR4_UNDER_SANITIZER
constexpr uint64_t kDefaultCases = 30'000;
#else
constexpr uint64_t kDefaultCases = 300'000;
#endif

struct LineArgs {
    std::vector<int32_t> positions;
    uint32_t mode;
    int32_t start, max;
    double tacc, tdec;
};

bool time_ok(double t)
{
    return std::isfinite(t) && t >= 0.0;
}

const std::vector<std::vector<uint8_t>> kPairs = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}};
const std::vector<std::vector<uint8_t>> kTriples = {{0, 1, 2}, {0, 1, 3}, {0, 2, 3}, {1, 2, 3}};

// Interpolations (kinds 0, 1) and on-line changes (2 group, 3 single) that went through.
template <typename Violation>
void check_profile(uint64_t n, uint32_t kind, const std::vector<uint8_t>& axes,
                   const std::vector<ktr4::AxisState>& before, const std::vector<uint16_t>& status,
                   const std::vector<int32_t>& position, const std::vector<uint32_t>& running, const LineArgs& args,
                   const std::vector<ktr4test::RegisterWrite>& writes, Violation& violation)
{
    const bool online = kind >= 2, absolute = (args.mode & 0xFF) != 0;
    const uint32_t mine = kManualBit | kShortenedBit | kSCurveBit | 0x7F | (kind == 3 ? 0 : kQueueBit);
    uint32_t ramp_bits = 0;
    for (size_t i = 0; i < axes.size(); ++i) {
        const uint8_t a = axes[i];
        const ktr4::AxisState& after = ktr4::axis_state(0, a);
        const uint32_t off = !online && before[i].profile.continuous ? 0x10 : 0;
        std::vector<uint32_t> order = online ? std::vector<uint32_t> {0x90, 0x95, 0x92, 0x91, 0x93, 0x94, 0x96, 0x97}
                                             : std::vector<uint32_t> {0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97};
        if (kind == 1)
            order.insert(order.end(), {0x99, 0x9A});
        for (auto& code : order)
            code -= off;
        if (!online)
            order.push_back(0x9B);
        if (codes_of(writes, a) != order)
            violation(n, "burst not in order");
        // Every axis ends where it was sent.
        const auto target = static_cast<int32_t>(written(writes, a, 0x90));
        const int32_t base = online ? wrap(int64_t {before[i].end.commanded_end} - static_cast<int32_t>(running[i]))
            : before[i].end.bookkeeping_armed == 1 && (status[i] & 0x0008) ? position[i]
                                                                           : before[i].end.commanded_end;
        if (after.end.commanded_end != wrap(int64_t {base} + target))
            violation(n, "end not moved by the target");
        if (absolute && after.end.commanded_end != args.positions[i])
            violation(n, "absolute move does not end there");
        if (!absolute && online && target != args.positions[i])
            violation(n, "relative change not as asked");
        // Speeds and bits: one ramping-down decision for the group.
        const uint32_t mg = written(writes, a, 0x95), mode = written(writes, a, 0x97);
        if (mg != written(writes, axes[0], 0x95))
            violation(n, "axes with different magnifications");
        if (written(writes, a, 0x92) > speed_ceiling(args.max, mg))
            violation(n, "operating speed above the one asked");
        if ((mode & ~mine) != (before[i].profile.operation_mode & ~mine))
            violation(n, "foreign mode bits changed");
        const uint32_t code = kind == 3 ? (before[i].profile.mode_variant ? 0x49u : 0x41u)
                                        : (before[i].profile.mode_variant ? 0x69u : 0x61u);
        if ((mode & 0x7F) != code || ((mode & kSCurveBit) != 0) != (kind == 1) || (kind != 3 && (mode & kQueueBit)))
            violation(n, "wrong operation code or curve bits");
        if (i == 0)
            ramp_bits = mode & (kManualBit | kShortenedBit);
        if ((mode & (kManualBit | kShortenedBit)) != ramp_bits)
            violation(n, "axes decided apart");
        if (!online && written(writes, a, 0x9B) != written(writes, axes[0], 0x9B))
            violation(n, "axes with different correction speeds");
    }
    // A change never leaves the point to the card; a move does when the deceleration is short.
    if (args.tdec == 0.0 ? ramp_bits != (kManualBit | kShortenedBit)
                         : (!online && args.tdec <= 2 * args.tacc ? ramp_bits != 0 : !(ramp_bits & kManualBit)))
        violation(n, "ramp bits not the ones the times decide");
}

class MultiAxisProperty : public ktr4test::SimCardTest { };

TEST_F(MultiAxisProperty, InterpolationsArcsAndChangesKeepTheirInvariantsOverRandomArguments)
{
    start({0});
    const uint64_t cases = env_or("KTR4_PROPERTY_CASES", kDefaultCases);
    Violations violation {env_or("KTR4_PROPERTY_SEED", 0x6D756C74)};
    ktr4test::RandomDraw draw(violation.seed);
    uint64_t results[4] = {};  // started, refused, fallback (308/311), other

    for (uint64_t n = 0; n < cases; ++n) {
        const uint32_t kind = draw.below(8);
        std::vector<uint8_t> axes;
        uint32_t selector = 0;
        if (kind == 3 || kind == 7) {
            axes = {static_cast<uint8_t>(draw.below(4))};
        } else {
            const uint32_t size = kind == 4 || kind == 5 || kind == 6 ? 2 : 2 + draw.below(3);
            selector = size == 2 ? draw.below(6) : size == 3 ? draw.below(4) : 0;
            axes = size == 2 ? kPairs[selector] : size == 3 ? kTriples[selector] : std::vector<uint8_t> {0, 1, 2, 3};
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
        for (size_t i = 0; i < 4; ++i)
            args.positions.push_back(draw.coordinate());
        args.mode = draw.chance(50) ? 0u : 1u + draw.below(0x1FF);
        args.start = draw.speed();
        args.max = draw.max_speed();
        args.tacc = draw.time();
        args.tdec = draw.chance(15) ? 2 * args.tacc : draw.time();
        const auto& p = args.positions;
        ktr4sim_trace_clear();

        int32_t got = 0;
        const uint8_t group_size = static_cast<uint8_t>(axes.size());
        switch (kind) {
        case 0:  // T-curve interpolation
            got = group_size == 2 ? KTR4_T_curve_move_LINE2(0, selector, p[0], p[1], args.mode, args.start, args.max,
                                                            args.tacc, args.tdec)
                : group_size == 3 ? KTR4_T_curve_move_LINE3(0, selector, p[0], p[1], p[2], args.mode, args.start,
                                                            args.max, args.tacc, args.tdec)
                                  : KTR4_T_curve_move_LINE4(0, p[0], p[1], p[2], p[3], args.mode, args.start, args.max,
                                                            args.tacc, args.tdec);
            break;
        case 1: {  // S-curve interpolation
            const int32_t sa = draw.chance(40) ? 0 : draw.between(0, 100000);
            const int32_t sd = draw.chance(40) ? sa : draw.between(0, 100000);
            got = group_size == 2 ? KTR4_S_curve_move_LINE2(0, selector, p[0], p[1], args.mode, args.start, args.max,
                                                            args.tacc, args.tdec, sa, sd)
                : group_size == 3 ? KTR4_S_curve_move_LINE3(0, selector, p[0], p[1], p[2], args.mode, args.start,
                                                            args.max, args.tacc, args.tdec, sa, sd)
                                  : KTR4_S_curve_move_LINE4(0, p[0], p[1], p[2], p[3], args.mode, args.start, args.max,
                                                            args.tacc, args.tdec, sa, sd);
            break;
        }
        case 2:  // on-line change of an interpolation
            got = group_size == 2 ? KTR4_OnLine_T_curve_change_LINE2(0, selector, p[0], p[1], args.mode, args.start,
                                                                     args.max, args.tacc, args.tdec)
                : group_size == 3 ? KTR4_OnLine_T_curve_change_LINE3(0, selector, p[0], p[1], p[2], args.mode,
                                                                     args.start, args.max, args.tacc, args.tdec)
                                  : KTR4_OnLine_T_curve_change_LINE4(0, p[0], p[1], p[2], p[3], args.mode, args.start,
                                                                     args.max, args.tacc, args.tdec);
            break;
        case 3:  // on-line change of a single-axis move
            got = KTR4_OnLine_T_curve_change(0, axes[0], p[0], args.mode, args.start, args.max, args.tacc, args.tdec);
            break;
        case 4:
            got = KTR4_ARC2_center_move(0, selector, p[0], p[1], p[2], p[3], args.mode, args.max,
                                        static_cast<uint32_t>(draw.gen()()));
            break;
        case 5:
            got = KTR4_ARC2_3P_move(0, selector, p[0], p[1], p[2], p[3], args.mode, args.max);
            break;
        case 6:
            got = KTR4_CIR2_3P_move(0, selector, p[0], p[1], p[2], p[3], args.mode, args.max);
            break;
        default:
            got = KTR4_correct_current_POS(0, axes[0]);
            break;
        }

        const auto writes = register_writes();
        const auto cmds = commands();
        for (const auto& w : writes)
            if (!in_range(w.code, w.value))
                violation(n, "register out of range");
        uint32_t bits = 0;
        for (uint8_t a : axes)
            bits |= 1u << a;
        // A move that starts anything starts the whole group (or the fallback's pair) with one
        // command; changes and the resync never start anything.
        if (kind == 2 || kind == 3 || kind == 7) {
            if (!cmds.empty())
                violation(n, "a change issued a command");
        } else if (cmds.size() > 1) {
            violation(n, "more than one start command");
        } else if (cmds.size() == 1 && cmds[0] != ((bits << 8) | 0x53u)) {
            violation(n, "start command not for exactly the group");
        }
        // The result the arguments and the axes' states call for.
        const bool args_ok = abs64(args.start) <= 6553500 && abs64(args.max) <= 6553500 && args.max != 0
            && time_ok(args.tacc) && time_ok(args.tdec);
        int32_t want = args_ok ? 0 : 302;
        for (size_t i = 0; want == 0 && i < axes.size(); ++i) {
            const bool continuous = before[i].profile.continuous != 0, stopped = status[i] & 0x0008;
            if (online)
                want = stopped ? 305 : 0;
            else if (continuous != (before[0].profile.continuous != 0))
                want = 306;
        }
        for (size_t i = 0; !online && want == 0 && i < axes.size(); ++i) {
            const bool continuous = before[i].profile.continuous != 0, stopped = status[i] & 0x0008;
            want = continuous && (status[i] & 0x4000) ? 304 : !continuous && !stopped ? 303 : 0;
        }
        if (kind <= 3 && got != want)
            violation(n, "result " + std::to_string(got) + ", not " + std::to_string(want));
        // A group the arguments or the continuous flags refuse is refused before any status is read.
        if (kind <= 1 && (got == 302 || got == 306) && !trace().empty())
            violation(n, "refused after calling the driver");

        const bool refused = got == 302 || got == 303 || got == 304 || got == 305 || got == 306;
        if (refused) {
            ++results[1];
            if (!writes.empty() || !cmds.empty())
                violation(n, "refusal touched the card");
            for (size_t i = 0; i < axes.size(); ++i)
                if (got != 302 && ktr4::axis_state(0, axes[i]).end.commanded_end != before[i].end.commanded_end)
                    violation(n, "refusal moved a commanded end position");
        } else if (got == 308 || got == 311) {
            ++results[2];
        } else if (got == 0) {
            ++results[0];
            if ((kind == 0 || kind == 1 || kind == 4 || kind == 5 || kind == 6) && cmds.size() != 1)
                violation(n, "success without a start command");
            if (kind <= 3)
                check_profile(n, kind, axes, before, status, position, running, args, writes, violation);
            if (kind == 4 || kind == 5 || kind == 6) {
                for (uint8_t a : axes) {
                    bool centre = false, arc_mode = false;
                    for (const auto& w : writes)
                        if (w.axis == a) {
                            centre |= (w.code & ~0x10u) == 0x88;
                            arc_mode |=
                                (w.code & ~0x10u) == 0x87 && (w.value & 0x08000000u) && ((w.value & 0x7F) >> 1) == 0x32;
                        }
                    if (!centre || !arc_mode)
                        violation(n, "an arc without its centre or operation code");
                }
            }
        } else {
            ++results[3];
            if (kind != 7)
                violation(n, "unexpected result " + std::to_string(got));
        }
    }

    EXPECT_EQ(violation.count, 0u);
    EXPECT_GT(results[0], cases / 10);
    EXPECT_GT(results[2], 0u);
}

// Exact register values of fixed interpolations and changes on axes 0 and 2, every foreign
// mode bit set and a correction speed of 5000 pps.
class MultiAxisFixed : public ktr4test::OneCardTest {
protected:
    void SetUp() override
    {
        OneCardTest::SetUp();
        for (uint8_t a : {0, 2}) {
            axis(a).profile.operation_mode = 0xFFFFFFFF;
            axis(a).profile.correction_speed = 5000;
        }
    }
};

TEST_F(MultiAxisFixed, InterpolationsWriteTheseRegisters)
{
    // Shortened on the first axis's distance, though the second alone would run a full profile.
    EXPECT_EQ(KTR4_T_curve_move_LINE2(0, 1, 1500, 400000, 0, 1000, 10000, 0.1, 0.3), KTR4_OK);
    EXPECT_EQ(burst(register_writes()),
              "0:90=5dc 0:91=1992 0:92=bfa1 0:93=7 0:94=18 0:95=7ad 0:96=395 0:97=ffff7be1 2:90=61a80 2:91=1992 "
              "2:92=fff6 2:93=7 2:94=18 2:95=7ad 2:96=671 2:97=ffff7be1 0:9b=7ffe 2:9b=7ffe");
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_S_curve_move_LINE2(0, 1, 100000, -30000, 0, 1000, 10000, 0.1, 0.3, 2000, 1000), KTR4_OK);
    EXPECT_EQ(burst(register_writes()),
              "0:90=186a0 0:91=187f 0:92=f52f 0:93=4 0:94=14 0:95=7ad 0:96=61e 0:97=fbff7fe1 0:99=3332 0:9a=1999 "
              "2:90=ffff8ad0 2:91=187f 2:92=f52f 2:93=4 2:94=14 2:95=7ad 2:96=61e 2:97=fbff7fe1 2:99=3332 2:9a=1999 "
              "0:9b=7ffe 2:9b=7ffe");
}

TEST_F(MultiAxisFixed, OnLineChangesWriteTheseRegisters)
{
    set_status(0, 0, KTR4SIM_MAIN_STATUS, 0);
    set_status(0, 2, KTR4SIM_MAIN_STATUS, 0);
    axis(0).end.commanded_end = 50000;
    axis(2).end.commanded_end = -20000;
    set_reg(0, 0, 0xD0, 40000);
    set_reg(0, 2, 0xD0, static_cast<uint32_t>(-30000));
    EXPECT_EQ(KTR4_OnLine_T_curve_change_LINE2(0, 1, 70000, 5000, 1, 1000, 20000, 0.1, 0.1), KTR4_OK);
    EXPECT_EQ(axis(0).end.commanded_end, 70000);
    EXPECT_EQ(axis(2).end.commanded_end, 5000);
    EXPECT_EQ(burst(register_writes()),
              "0:90=ea60 0:95=3d6 0:92=ff17 0:91=cbf 0:93=6 0:94=6 0:96=39c 0:97=fbff7be1 2:90=ffffec78 2:95=3d6 "
              "2:92=ff17 2:91=cbf 2:93=6 2:94=6 2:96=39c 2:97=fbff7be1");
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_OnLine_T_curve_change(0, 2, 800, 0, 1000, 20000, 0.1, 0.3), KTR4_OK);
    EXPECT_EQ(axis(2).end.commanded_end, 10800);  // the running target is the change's -5000
    EXPECT_EQ(burst(register_writes()), "2:90=320 2:95=3d6 2:92=67ad 2:91=ccc 2:93=6 2:94=16 2:96=1ef 2:97=ffff7bc1");
}

}  // namespace
