// What the library adds (validation and lock) on top of one driver call, against the
// simulated driver with its trace switched off.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "ktr4.h"
#include "ktr4io.h"
#include "ktr4sim.h"

namespace {

uint32_t setup_card()
{
    static const uint32_t handle = [] {
        ktr4sim_reset();
        if (KTR4_initial() != KTR4_OK)
            std::abort();
        ktr4sim_trace_enable(0);
        return ktr4sim_handle(0);
    }();
    return handle;
}

void DriverReadRegister(benchmark::State& state)
{
    const uint32_t handle = setup_card();
    uint32_t value = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ktr4io_read_register(handle, 1, 0xE3, &value));
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(DriverReadRegister);

void ReadCurrentPosition(benchmark::State& state)
{
    setup_card();
    int32_t position = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(KTR4_read_current_position(0, 1, &position));
        benchmark::DoNotOptimize(position);
    }
}
BENCHMARK(ReadCurrentPosition);

void DriverWriteRegister(benchmark::State& state)
{
    const uint32_t handle = setup_card();
    uint32_t value = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(ktr4io_write_register(handle, 1, 0xAB, ++value));
}
BENCHMARK(DriverWriteRegister);

void SetComparatorData(benchmark::State& state)
{
    setup_card();
    int32_t value = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(KTR4_set_comparator_data(0, 1, ++value));
}
BENCHMARK(SetComparatorData);

}  // namespace

BENCHMARK_MAIN();
