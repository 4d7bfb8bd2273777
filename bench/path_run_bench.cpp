// Part programs run by libktr4path's executor on the simulated card's virtual clock, served
// every `service` of card time (the run's thread serves every millisecond). Counters:
//   card_s       card seconds the run took, from the first move to standing at the end
//   optimal_s    the time-optimal profile under the same limits, computed here on its own
//   ratio        card_s / optimal_s
//   underruns    times the card ran out of moves in the middle of the path (0: never empty)
//   min_feed     the lowest feed (mm/min) in the middle 90 % of the path (no stop: > 0)
//   segments_s   program segments per second of card time
//   card_moves   moves handed to the card (G1 lines on one line within the chord tolerance join)
// The wall-clock time per iteration is the simulation's cost, not a goal.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "executor/executor.h"
#include "gcode/interpreter.h"
#include "ktr4.h"
#include "ktr4sim.h"

namespace {

using namespace ktr4path;

Machine benchMachine(double chordTolerance)
{
    return parseMachine("[path]\ncorner_tolerance = 0.01\nchord_tolerance = " + std::to_string(chordTolerance) + R"(
[axis.X]
card = 0
axis = 0
pulses_per_unit = 1000
max_feed = 12000
max_accel = 1500
start_speed = 120
soft_limit_min = -500
soft_limit_max = 500
[axis.Y]
card = 0
axis = 1
pulses_per_unit = 1000
max_feed = 12000
max_accel = 1500
start_speed = 120
soft_limit_min = -500
soft_limit_max = 500
)");
}

double cardSeconds()
{
    return static_cast<double>(ktr4sim_now()) / static_cast<double>(KTR4SIM_TICKS_PER_SECOND);
}

struct RunResult {
    double seconds = 0, minFeed = INFINITY;
    uint64_t underruns = 0, moves = 0;
    bool finished = false;
};

// Runs the program from X0 Y0 on a fresh simulated card, serving every `service` seconds.
RunResult runOnCard(const std::string& text, double service, double middleFrom, double middleTo,
                    double chordTolerance = 0.002)
{
    ktr4sim_reset();
    RunResult r;
    if (KTR4_initial() != KTR4_OK || KTR4_init_card(0) != KTR4_OK)
        return r;
    ktr4sim_use_virtual_clock(1);
    const Machine machine = benchMachine(chordTolerance);
    const Program program = interpret(text, machine);
    Executor::Options options;
    options.clock = cardSeconds;
    Executor executor(machine, program, options);
    if (executor.begin() != 0)
        return r;
    const double start = cardSeconds();
    const auto step = static_cast<uint64_t>(service * KTR4SIM_TICKS_PER_SECOND);
    int lastLine = 0;
    for (const CanonicalMove& m : program.moves)
        lastLine = std::max(lastLine, m.line);
    while (!executor.over() && cardSeconds() - start < 3600) {
        executor.service();
        const RunProgress p = executor.progress();
        const double share = static_cast<double>(p.line) / lastLine;
        if (share > middleFrom && share < middleTo)
            r.minFeed = std::min(r.minFeed, p.feed);
        if (!executor.over())
            ktr4sim_advance(step);
    }
    const RunProgress p = executor.progress();
    r.seconds = cardSeconds() - start;
    r.underruns = p.underruns;
    r.moves = p.movesSent;
    r.finished = p.state == RunState::Finished;
    KTR4_close();
    return r;
}

// A circle of 10 000 chords of 0.1 mm at full feed.
std::string circleOfChords(int chords, double feed)
{
    const double radius = chords * 0.1 / (2 * std::numbers::pi);
    char line[96];
    std::snprintf(line, sizeof line, "G21 G90\nG1 X%.4f Y0 F%.0f\n", radius, feed);
    std::string text = line;
    for (int k = 1; k <= chords; ++k) {
        const double angle = 2 * std::numbers::pi * k / chords;
        std::snprintf(line, sizeof line, "X%.4f Y%.4f\n", radius * std::cos(angle), radius * std::sin(angle));
        text += line;
    }
    return text + "G1 X0 Y0\nM2\n";
}

void CircleOfTenThousandChords(benchmark::State& state)
{
    const double feed = static_cast<double>(state.range(0));
    const std::string program = circleOfChords(10000, feed);
    RunResult r;
    for (auto _ : state)
        r = runOnCard(program, 0.001, 0.05, 0.95);
    state.counters["card_s"] = r.seconds;
    state.counters["card_moves"] = static_cast<double>(r.moves);
    state.counters["underruns"] = static_cast<double>(r.underruns);
    state.counters["min_feed"] = r.minFeed;
    state.counters["segments_s"] = 10000 / (10000 * 0.1 / (feed / 60));
    state.counters["finished"] = r.finished;
}
BENCHMARK(CircleOfTenThousandChords)->Arg(3000)->Arg(6000)->Arg(12000)->Iterations(1)->Unit(benchmark::kMillisecond);

// The time-optimal run of one straight stroke from rest to rest: accelerate at a, cruise at v,
// brake at a (a triangle when too short to reach v). The corners between strokes may be taken
// at the start speeds' step, which saves at most step/a per corner; that is added back below as
// the optimum's allowance, so the optimum is never overestimated.
double strokeSeconds(double length, double v, double a)
{
    const double ramp = v * v / a;  // accelerating and braking together
    return length >= ramp ? length / v + v / a : 2 * std::sqrt(length / a);
}

void ZigzagAgainstTheTimeOptimalProfile(benchmark::State& state)
{
    // Strokes of 40 mm along X, 2 mm steps along Y, at 6000 mm/min.
    const int strokes = 20;
    const double v = 100, a = 1500, stepSpeed = 2;
    std::string text = "G21 G90\nG1 F6000\n";
    double optimal = 0;
    double x = 0, y = 0;
    char line[64];
    for (int k = 0; k < strokes; ++k) {
        x = x == 0 ? 40 : 0;
        std::snprintf(line, sizeof line, "X%.1f\n", x);
        text += line;
        y += 2;
        std::snprintf(line, sizeof line, "Y%.1f\n", y);
        text += line;
        // Each corner may be passed at the step speed instead of 0: the optimum is faster by
        // at most stepSpeed / a per stroke end.
        optimal += strokeSeconds(40, v, a) + strokeSeconds(2, v, a) - 4 * stepSpeed / a;
    }
    text += "M2\n";
    RunResult r;
    for (auto _ : state)
        r = runOnCard(text, 0.001, 0, 1);
    state.counters["card_s"] = r.seconds;
    state.counters["optimal_s"] = optimal;
    state.counters["ratio"] = r.seconds / optimal;
    state.counters["underruns"] = static_cast<double>(r.underruns);
    state.counters["finished"] = r.finished;
}
BENCHMARK(ZigzagAgainstTheTimeOptimalProfile)->Iterations(1)->Unit(benchmark::kMillisecond);

// Short segments at rising rates, served every millisecond as the run's thread does, each one a
// card move of its own (a chord tolerance of 1 nm joins none): the highest rate with no underrun
// is the rate the executor keeps the buffer from running empty.
void ShortSegmentsServedEveryMillisecond(benchmark::State& state)
{
    const double feed = static_cast<double>(state.range(0));
    const std::string program = circleOfChords(4000, feed);
    RunResult r;
    for (auto _ : state)
        r = runOnCard(program, 0.001, 0.05, 0.95, 1e-6);
    state.counters["segments_s"] = feed / 60 / 0.1;
    state.counters["card_moves"] = static_cast<double>(r.moves);
    state.counters["underruns"] = static_cast<double>(r.underruns);
    state.counters["min_feed"] = r.minFeed;
}
BENCHMARK(ShortSegmentsServedEveryMillisecond)
    ->Arg(1200)
    ->Arg(2400)
    ->Arg(3000)
    ->Arg(4800)
    ->Arg(6000)
    ->Arg(9000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
