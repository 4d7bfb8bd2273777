// The simulated device taking a long stream in 4096-byte reads, as the program reads its line:
// a line without an end, random bytes, and back-to-back Modbus requests. The time per byte
// should not grow with the length (1 MB against 10 MB).
#include "simulated_device.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

using namespace tessa_device;

namespace {

// Reads step ms apart: 1 ms is never quiet, 3 ms is a silence between RTU frames each time.
void feedAll(benchmark::State& state, const Bytes& stream, Millis step = 1)
{
    for (auto _ : state) {
        SimulatedDevice device;
        Millis now = 0;
        std::size_t answered = 0;
        for (std::size_t at = 0; at < stream.size(); at += 4096) {
            const auto begin = stream.begin() + static_cast<std::ptrdiff_t>(at);
            const auto end = stream.begin() + static_cast<std::ptrdiff_t>(std::min(at + 4096, stream.size()));
            answered += device.receive(Bytes(begin, end), now += step).size();  // never quiet for 30 ms
        }
        benchmark::DoNotOptimize(answered);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}

void lineWithoutEnd(benchmark::State& state)
{
    feedAll(state, Bytes(static_cast<std::size_t>(state.range(0)) << 20, 'x'));
}

void randomBytes(benchmark::State& state)
{
    Bytes stream(static_cast<std::size_t>(state.range(0)) << 20);
    std::mt19937 random(7);
    for (auto& b : stream)
        b = static_cast<std::uint8_t>(random());
    feedAll(state, stream, 3);
}

void backToBackRequests(benchmark::State& state)
{
    const Bytes request = withCrc({0x01, 0x03, 0x02, 0x00, 0x00, 0x01});
    Bytes stream;
    while (stream.size() < (static_cast<std::size_t>(state.range(0)) << 20))
        stream.insert(stream.end(), request.begin(), request.end());
    feedAll(state, stream);
}

template <typename Run> void configure(Run* run)
{
    run->Arg(1)
        ->Arg(10)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true)
        ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
        ->ComputeStatistics("max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); });
}

}  // namespace

BENCHMARK(lineWithoutEnd)->Apply([](benchmark::internal::Benchmark* b) { configure(b); });
BENCHMARK(randomBytes)->Apply([](benchmark::internal::Benchmark* b) { configure(b); });
BENCHMARK(backToBackRequests)->Apply([](benchmark::internal::Benchmark* b) { configure(b); });
BENCHMARK_MAIN();
