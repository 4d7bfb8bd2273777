// The pure profile computation of a single-axis position move: magnification, speed
// registers, rates, S-curve ranges, ramping-down point and shortened profile.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "motion/profile/magnification.h"
#include "motion/profile/position_profile.h"

namespace {

using namespace ktr4::motion;

// Distances vary per iteration so nothing is computed once and reused.
template <typename Profile> void run(benchmark::State& state, Profile profile, PositionMove move, int32_t base_distance)
{
    AxisContext axis;
    uint32_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(move);
        axis.magnification = speed_magnification(move.max_speed);
        const ProfileRegisters r = profile(move, axis, base_distance + static_cast<int32_t>(i++ & 255u));
        benchmark::DoNotOptimize(r);
    }
}

void TCurveProfileFull(benchmark::State& state)
{
    run(state, t_curve_position_profile, PositionMove {1000, 10000, 0.1, 0.3, 0, 0}, 50000);
}
BENCHMARK(TCurveProfileFull);

void TCurveProfileShortened(benchmark::State& state)
{
    run(state, t_curve_position_profile, PositionMove {1000, 10000, 0.1, 0.3, 0, 0}, 1000);
}
BENCHMARK(TCurveProfileShortened);

void SCurveProfileFull(benchmark::State& state)
{
    run(state, s_curve_position_profile, PositionMove {1000, 10000, 0.1, 0.3, 2000, 2000}, 50000);
}
BENCHMARK(SCurveProfileFull);

void SCurveProfileShortened(benchmark::State& state)
{
    run(state, s_curve_position_profile, PositionMove {1000, 10000, 0.1, 0.3, 2000, 2000}, 1000);
}
BENCHMARK(SCurveProfileShortened);

void SCurveProfileUnequalSections(benchmark::State& state)
{
    run(state, s_curve_position_profile, PositionMove {1000, 10000, 0.1, 0.3, 2000, 1000}, 1000);
}
BENCHMARK(SCurveProfileUnequalSections);

}  // namespace

BENCHMARK_MAIN();
