// Part programs through libktr4path: reading G-code and planning its blocks (items/s = blocks
// or lines per second, on the wall clock). The goal for planning is at least 200 000 blocks per
// second.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <string>

#include "gcode/interpreter.h"
#include "planner/planner.h"

namespace {

using namespace ktr4path;

Machine benchMachine()
{
    return parseMachine(R"(
[axis.X]
card = 0
axis = 0
pulses_per_unit = 1000
max_feed = 12000
max_accel = 1500
start_speed = 60
soft_limit_min = -500
soft_limit_max = 500
[axis.Y]
card = 0
axis = 1
pulses_per_unit = 1000
max_feed = 12000
max_accel = 1500
start_speed = 60
soft_limit_min = -500
soft_limit_max = 500
[axis.Z]
card = 0
axis = 2
pulses_per_unit = 2000
max_feed = 3000
max_accel = 500
soft_limit_min = -100
soft_limit_max = 100
)");
}

// A circle of radius 160 mm as 10 000 straight chords of 0.1 mm, as an engraving program
// approximates curves.
std::string circleOfChords(int chords)
{
    std::string text = "G0 X160 Y0\nG1 F6000\n";
    char line[64];
    for (int k = 1; k <= chords; ++k) {
        const double angle = 2 * std::numbers::pi * k / chords;
        std::snprintf(line, sizeof line, "X%.4f Y%.4f\n", 160 * std::cos(angle), 160 * std::sin(angle));
        text += line;
    }
    return text + "M2\n";
}

// Short random strokes with corners, as lettering gives them.
std::string randomStrokes(int strokes)
{
    std::mt19937 random(5);
    std::uniform_real_distribution<double> step(-2, 2);
    std::string text = "G91 G1 F3000\n";
    char line[64];
    for (int k = 0; k < strokes; ++k) {
        std::snprintf(line, sizeof line, "X%.4f Y%.4f\n", step(random), step(random));
        text += line;
    }
    return text + "M2\n";
}

void planSegments(benchmark::State& state, const std::string& program)
{
    const Machine machine = benchMachine();
    const std::vector<Segment> segments = toSegments(interpret(program, machine), machine);
    for (auto _ : state) {
        std::vector<PlannedBlock> blocks = plan(segments, machine, static_cast<size_t>(state.range(0)));
        benchmark::DoNotOptimize(blocks.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(segments.size()));
}

void PlanCircleOfChords(benchmark::State& state)
{
    planSegments(state, circleOfChords(10000));
}

void PlanRandomStrokes(benchmark::State& state)
{
    planSegments(state, randomStrokes(10000));
}

void InterpretCircleOfChords(benchmark::State& state)
{
    const Machine machine = benchMachine();
    const std::string program = circleOfChords(10000);
    for (auto _ : state) {
        Program p = interpret(program, machine);
        benchmark::DoNotOptimize(p.moves.data());
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}

// A zigzag of 2000 strokes of 20 mm at right angles, at 6000 mm/min: the planned time against the
// time-optimal profile worked out here in closed form. Every corner is passed at the same speed c
// (the lower of the start-speed step and the junction deviation, as the machine allows); each
// stroke rises from c to at most the feed and falls back to c, from rest at the start and to rest
// at the end.
void ZigzagTimeAgainstOptimal(benchmark::State& state)
{
    const Machine machine = benchMachine();
    const int strokes = 2000;
    const double length = 20, feed = 100, accel = 1500;
    std::string text = "G91 G1 F6000\n";
    for (int k = 0; k < strokes; ++k)
        text += (k % 2 ? "Y20\n" : "X20\n");
    const std::vector<Segment> segments = toSegments(interpret(text, machine), machine);
    const double corner = junctionSpeed(segments[0], segments[1], machine);
    auto strokeTime = [&](double in, double out) {
        const double peak = std::min(feed, std::sqrt((2 * accel * length + in * in + out * out) / 2));
        const double ramps = (2 * peak * peak - in * in - out * out) / (2 * accel);
        return (peak - in) / accel + (peak - out) / accel + (length - ramps) / peak;
    };
    const double optimal = strokeTime(0, corner) + (strokes - 2) * strokeTime(corner, corner) + strokeTime(corner, 0);
    double planned = 0;
    for (auto _ : state) {
        planned = 0;
        for (const PlannedBlock& b : plan(segments, machine, static_cast<size_t>(state.range(0))))
            planned += b.duration();
        benchmark::DoNotOptimize(planned);
    }
    state.counters["planned_over_optimal"] = planned / optimal;
    state.counters["corner_mm_per_s"] = corner;
    state.SetItemsProcessed(state.iterations() * strokes);
}

template <typename Run> void configure(Run* run)
{
    run->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Repetitions(5)
        ->ReportAggregatesOnly(true)
        ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
        ->ComputeStatistics("max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); });
}

}  // namespace

// The argument is the look-ahead in blocks.
BENCHMARK(PlanCircleOfChords)->Arg(128)->Arg(1024)->Apply([](benchmark::internal::Benchmark* b) { configure(b); });
BENCHMARK(PlanRandomStrokes)->Arg(128)->Arg(1024)->Apply([](benchmark::internal::Benchmark* b) { configure(b); });
BENCHMARK(ZigzagTimeAgainstOptimal)->Arg(128)->Apply([](benchmark::internal::Benchmark* b) { configure(b); });
BENCHMARK(InterpretCircleOfChords)->Apply([](benchmark::internal::Benchmark* b) { configure(b); });
BENCHMARK_MAIN();
