// Position moves end to end against the simulated card (trace off): validation, admission,
// stop bookkeeping, profile computation, ten or so register writes and the start command.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "ktr4.h"
#include "ktr4sim.h"

namespace {

void setup_card_for_moves()
{
    static const bool ready = [] {
        ktr4sim_reset();
        if (KTR4_initial() != KTR4_OK)
            std::abort();
        ktr4sim_trace_enable(0);
        ktr4sim_set_motion(0);  // the library's side only: each move finds the axis stopped
        return true;
    }();
    benchmark::DoNotOptimize(ready);
}

void TCurvePositionMove(benchmark::State& state)
{
    setup_card_for_moves();
    int32_t dist = 1000;
    for (auto _ : state) {
        benchmark::DoNotOptimize(KTR4_T_curve_position_move(0, 1, dist, 0, 1000, 10000, 0.1, 0.3));
        dist ^= 0x7FF;
    }
}
BENCHMARK(TCurvePositionMove);

void SCurvePositionMove(benchmark::State& state)
{
    setup_card_for_moves();
    int32_t dist = 1000;
    for (auto _ : state) {
        benchmark::DoNotOptimize(KTR4_S_curve_position_move(0, 1, dist, 0, 1000, 10000, 0.1, 0.3, 2000, 2000));
        dist ^= 0x7FF;
    }
}
BENCHMARK(SCurvePositionMove);

}  // namespace
