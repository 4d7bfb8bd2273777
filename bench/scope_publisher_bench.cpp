// What the live-scope publisher costs: 16 simulated cards with all 64 axes in velocity moves,
// KTR4SIM_SCOPE set, the program itself asleep; the process's CPU time over each window is then
// the publisher thread's (100 Hz: bring the wall-clock model up to date, copy, publish).
//
//   ktr4_scope_publisher_bench [window seconds (2)] [windows (5)]
//
// Re-executes itself with KTR4SIM_SCOPE and KTR4SIM_CARDS set, which must be there as the
// simulated driver loads.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "ktr4.h"
#include "ktr4sim.h"
#include "ktr4sim_scope.h"
#include "segment_reader.h"

namespace {

double cpu_seconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Spread {
    double min, median, max;
};
Spread spread(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2], v.back()};
}

// The floor this machine puts under any 100 Hz thread: one that only wakes and sleeps.
Spread idle_thread_percent(double window, int windows)
{
    bool stop = false;
    std::mutex mutex;
    std::condition_variable signal;
    std::thread idle([&] {
        auto next = std::chrono::steady_clock::now();
        std::unique_lock<std::mutex> lock(mutex);
        while (!stop) {
            next += std::chrono::milliseconds(10);
            signal.wait_until(lock, next, [&] { return stop; });
        }
    });
    std::vector<double> percent;
    for (int w = 0; w < windows; ++w) {
        const double cpu0 = cpu_seconds();
        const auto t0 = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::duration<double>(window));
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        percent.push_back(100.0 * (cpu_seconds() - cpu0) / wall);
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        stop = true;
    }
    signal.notify_one();
    idle.join();
    return spread(percent);
}

}  // namespace

int main(int argc, char** argv)
{
    if (std::getenv("KTR4SIM_SCOPE") == nullptr) {
        const Spread idle = idle_thread_percent(argc > 1 ? std::atof(argv[1]) : 2.0, argc > 2 ? std::atoi(argv[2]) : 5);
        std::printf("a thread that only wakes 100 times a second, %% of one core: min %.3f  median %.3f  max %.3f\n",
                    idle.min, idle.median, idle.max);
        std::fflush(stdout);
        setenv("KTR4SIM_SCOPE", "1", 1);
        setenv("KTR4SIM_CARDS", "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15", 1);
        execv("/proc/self/exe", argv);
        std::perror("exec");
        return 1;
    }
    const double window = argc > 1 ? std::atof(argv[1]) : 2.0;
    const int windows = argc > 2 ? std::atoi(argv[2]) : 5;
    ktr4sim_trace_enable(0);
    if (KTR4_initial() != KTR4_OK)
        return 1;
    for (uint8_t c = 0; c < 16; ++c) {
        if (KTR4_init_card(c) != KTR4_OK)
            return 1;
        for (uint8_t a = 0; a < 4; ++a)
            KTR4_T_velocity_move(c, a, 500, 2000 + 1000 * a + 100 * c, 0.5);
    }
    ktr4scope::SegmentReader reader;
    if (!reader.open(getpid()))
        return 1;
    ktr4sim_scope_state state {};
    std::vector<double> percent, rate;
    for (int w = 0; w < windows; ++w) {
        reader.read(state);
        const uint64_t first = state.sample;
        const double cpu0 = cpu_seconds();
        const auto t0 = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::duration<double>(window));
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const double cpu = cpu_seconds() - cpu0;
        reader.read(state);
        percent.push_back(100.0 * cpu / wall);
        rate.push_back(static_cast<double>(state.sample - first) / wall);
    }
    const Spread cpu = spread(percent), per_second = spread(rate);
    std::printf("publisher, 16 cards x 4 axes moving, %d windows of %.1f s\n", windows, window);
    std::printf("  CPU, %% of one core:  min %.3f  median %.3f  max %.3f\n", cpu.min, cpu.median, cpu.max);
    std::printf("  publications per s: min %.1f  median %.1f  max %.1f\n", per_second.min, per_second.median,
                per_second.max);
    std::printf("  axis 0 of card 15 at %d, %.0f pps\n", state.cards[15].axes[0].command_position,
                state.cards[15].axes[0].speed);
    for (uint8_t c = 0; c < 16; ++c)
        KTR4_emg_stop(c);
    KTR4_close();
    return 0;
}
