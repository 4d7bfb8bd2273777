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

// A 2 000 000-pulse velocity move on an axis with every signal of the machine (an index mark
// every 1000 pulses, switches far away) until it is stopped: its cost should not grow with the
// revolutions it passes, like a move of the bare card.
void LongMoveThroughTheMachine(benchmark::State& state)
{
    setup();
    ktr4sim_set_home_sensor(0, 1, 1, -5000, 200);
    ktr4sim_set_index(0, 1, 1, 0, 1000);
    ktr4sim_set_limits(0, 1, KTR4SIM_BOTH, -100000000, 100000000);
    ktr4sim_set_slowdown(0, 1, KTR4SIM_BOTH, -90000000, 90000000);
    ktr4sim_set_inp_settle(0, 1, 1, 1000);
    KTR4_config_comparator_out(0, 1, KTR4_CMP_SRC_COMMAND, KTR4_CMP_EQUAL, KTR4_CMP_ACT_FLAG);
    int32_t way = 1;  // back and forth, so that the switches stay far
    for (auto _ : state) {
        KTR4_set_comparator_data(0, 1, way * 1000000);
        if (KTR4_T_velocity_move(0, 1, 1000, way * 100000, 0.1) != KTR4_OK)
            std::abort();
        ktr4sim_advance(20ull * KTR4SIM_TICKS_PER_SECOND);
        KTR4_imd_stop(0, 1);
        ktr4sim_advance(KTR4SIM_TICKS_PER_SECOND / 100);
        uint8_t flag = 0;
        KTR4_read_compare_flag(0, 1, &flag);
        if (!flag)
            std::abort();
        KTR4_set_current_position(0, 1, 0);
        way = -way;
    }
    ktr4sim_unload_machine();
}
BENCHMARK(LongMoveThroughTheMachine);

}  // namespace

BENCHMARK_MAIN();
