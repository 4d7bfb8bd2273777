// Multi-axis moves end to end against the simulated card (trace off): a four-axis line, a
// three-point arc (centre, correction, two bursts and the start) and the on-line change of a
// running two-axis line.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "ktr4.h"
#include "ktr4sim.h"

namespace {

void setup_card()
{
    static const bool ready = [] {
        ktr4sim_reset();
        if (KTR4_initial() != KTR4_OK)
            std::abort();
        ktr4sim_trace_enable(0);
        ktr4sim_set_motion(0);  // the library's side only: each call finds the axes stopped
        return true;
    }();
    benchmark::DoNotOptimize(ready);
}

void TCurveMoveLine4(benchmark::State& state)
{
    setup_card();
    for (uint32_t a = 0; a < 4; ++a)
        ktr4sim_set_status(0, a, 0, 0x0008);
    int32_t dist = 1000;
    for (auto _ : state) {
        benchmark::DoNotOptimize(KTR4_T_curve_move_LINE4(0, dist, 2 * dist, -dist, 3, 0, 1000, 10000, 0.1, 0.3));
        dist ^= 0x7FF;
    }
}
BENCHMARK(TCurveMoveLine4);

void Arc3PMoveXY(benchmark::State& state)
{
    setup_card();
    for (uint32_t a = 0; a < 2; ++a)
        ktr4sim_set_status(0, a, 0, 0x0008);
    int32_t y = 1000;
    for (auto _ : state) {
        benchmark::DoNotOptimize(KTR4_ARC_3P_move_XY(0, 1000, y, 2000, 0, 0, 5000));
        y ^= 0x3F;
    }
}
BENCHMARK(Arc3PMoveXY);

void OnLineTCurveChangeLine2(benchmark::State& state)
{
    setup_card();
    for (uint32_t a = 0; a < 2; ++a)
        ktr4sim_set_status(0, a, 0, 0x0000);  // running
    int32_t dist = 30000;
    for (auto _ : state) {
        benchmark::DoNotOptimize(KTR4_OnLine_T_curve_change_LINE2(0, 0, dist, 40000, 0, 1000, 10000, 0.1, 0.3));
        dist ^= 0x7FF;
    }
}
BENCHMARK(OnLineTCurveChangeLine2);

}  // namespace
BENCHMARK_MAIN();
