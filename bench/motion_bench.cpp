// The simulated card's motion on the virtual clock: what one ordinary move costs to simulate
// from its start command to its end, with the stopped flag and position read back.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "ktr4.h"
#include "ktr4sim.h"

namespace {

void setup()
{
    static const bool ready = [] {
        ktr4sim_reset();
        ktr4sim_use_virtual_clock(1);
        if (KTR4_initial() != KTR4_OK)
            std::abort();
        ktr4sim_trace_enable(0);
        return true;
    }();
    benchmark::DoNotOptimize(ready);
}

// A 50 000-pulse move, run to its end in one step of the clock.
template <bool SCurve> void Move50000(benchmark::State& state)
{
    setup();
    int32_t dist = 50000;
    for (auto _ : state) {
        const int32_t rc = SCurve ? KTR4_SR_position_move(0, 0, dist, 1000, 10000, 0.1, 0.3, 2000, 2000)
                                  : KTR4_TR_position_move(0, 0, dist, 1000, 10000, 0.1, 0.3);
        if (rc != KTR4_OK)
            std::abort();
        ktr4sim_advance(10ull * KTR4SIM_TICKS_PER_SECOND);
        uint8_t stopped = 0;
        int32_t position = 0;
        KTR4_read_motion_status(0, 0, 0, &stopped);
        KTR4_read_current_position(0, 0, &position);
        if (!stopped)
            std::abort();
        benchmark::DoNotOptimize(position);
        dist = -dist;
    }
}
BENCHMARK(Move50000<false>)->Name("TCurveMove50000Pulses");
BENCHMARK(Move50000<true>)->Name("SCurveMove50000Pulses");

// The same move watched as a tool would: 100 clock steps, position and speed read at each.
void Move50000Sampled(benchmark::State& state)
{
    setup();
    int32_t dist = 50000;
    for (auto _ : state) {
        if (KTR4_TR_position_move(0, 0, dist, 1000, 10000, 0.1, 0.3) != KTR4_OK)
            std::abort();
        for (int i = 0; i < 100; ++i) {
            ktr4sim_advance(KTR4SIM_TICKS_PER_SECOND / 18);
            int32_t position = 0;
            double speed = 0;
            KTR4_read_current_position(0, 0, &position);
            KTR4_read_speed(0, 0, &speed);
            benchmark::DoNotOptimize(position);
        }
        dist = -dist;
    }
}
BENCHMARK(Move50000Sampled);

}  // namespace

BENCHMARK_MAIN();
