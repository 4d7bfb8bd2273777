// Whether ktr4-scope keeps up: a writer thread publishes 16 cards x 4 axes at 100 Hz in this
// process's scope segment while the window (offscreen) watches, switching the shown card every
// 5 s. Measures the event loop's longest pause (a 10 ms probe timer), resident memory, samples
// the window never read, and the window thread's CPU time.
//
//   ktr4_scope_window_bench [seconds (60)]
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

#include "ktr4sim_scope.h"
#include "scope_window.h"

namespace {

double rss_mib()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double thread_cpu_seconds()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Every axis draws a circle of its own size and speed; axes 0 and 1 run an "arc" together.
ktr4sim_scope_state synthetic(uint64_t n)
{
    ktr4sim_scope_state s {};
    s.sample = n;
    s.tick = n * (KTR4SIM_TICKS_PER_SECOND / 100);
    s.card_count = 16;
    const double t = static_cast<double>(n) / 100.0;
    for (uint32_t c = 0; c < 16; ++c) {
        s.cards[c].switch_number = c;
        for (uint32_t a = 0; a < 4; ++a) {
            ktr4sim_scope_axis& axis = s.cards[c].axes[a];
            const double w = 0.5 + 0.1 * a + 0.01 * c;
            const double phase = (a % 2) ? M_PI / 2 : 0;
            axis.command_position = static_cast<int32_t>(10000 * (c + 1) * std::sin(w * t + phase));
            axis.feedback_position = axis.command_position;
            axis.speed = std::abs(10000 * (c + 1) * w * std::cos(w * t + phase));
            axis.move_kind = a < 2 ? KTR4SIM_MOVE_ARC : KTR4SIM_MOVE_VELOCITY;
            axis.main_status = (n / 100 + a) % 2 ? 0x0008 : 0;
        }
    }
    return s;
}

struct Stats {
    double min, median, max;
};
Stats stats(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2], v.back()};
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;

    const std::string name = ktr4sim::scope::segment_name(getpid());
    shm_unlink(name.c_str());  // a leftover of a killed run under this pid
    const int fd = shm_open(name.c_str(), O_CREAT | O_EXCL | O_RDWR, 0600);
    if (fd < 0 || ftruncate(fd, sizeof(ktr4sim_scope_segment)) != 0)
        return 1;
    auto image = std::make_unique<ktr4sim_scope_segment>();
    ktr4sim::scope::init_segment(*image, static_cast<int32_t>(getpid()));
    if (!ktr4sim::scope::write_segment(fd, *image))
        return 1;

    std::atomic<bool> stop {false};
    std::atomic<uint64_t> published {0};
    std::thread writer([&] {
        auto next = std::chrono::steady_clock::now();
        for (uint64_t n = 1; !stop; ++n) {
            ktr4sim::scope::publish(fd, *image, synthetic(n));
            published = n;
            next += std::chrono::milliseconds(10);
            std::this_thread::sleep_until(next);
        }
    });

    ktr4scope::ScopeWindow window;
    window.set_follow(false);
    window.show();
    if (!window.attach(getpid()))
        return 1;
    auto* card_box = window.findChild<QComboBox*>("cardBox");

    // A pause on a busy machine is partly waiting for a core: the window thread's own CPU time
    // between two probe ticks is the part this program causes.
    std::vector<double> stall_per_second, busy_per_second, rss;
    double worst_stall = 0, second_stall = 0, second_busy = 0, last_cpu = thread_cpu_seconds();
    QElapsedTimer clock, since_tick;
    clock.start();
    since_tick.start();
    const double cpu0 = thread_cpu_seconds();
    const double rss_start = rss_mib();
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    int ticks = 0;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const double gap = static_cast<double>(since_tick.nsecsElapsed()) / 1e6;
        since_tick.restart();
        second_stall = std::max(second_stall, gap);
        const double cpu_now = thread_cpu_seconds();
        second_busy = std::max(second_busy, (cpu_now - last_cpu) * 1000.0);
        last_cpu = cpu_now;
        if (++ticks % 100 == 0) {
            stall_per_second.push_back(second_stall);
            busy_per_second.push_back(second_busy);
            second_busy = 0;
            worst_stall = std::max(worst_stall, second_stall);
            second_stall = 0;
            rss.push_back(rss_mib());
            if (ticks % 500 == 0 && card_box->count() > 0)
                card_box->setCurrentIndex((card_box->currentIndex() + 1) % card_box->count());
        }
        if (clock.elapsed() > seconds * 1000)
            app.quit();
    });
    probe.start(10);
    app.exec();
    const double cpu = thread_cpu_seconds() - cpu0;
    const double wall = static_cast<double>(clock.elapsed()) / 1000.0;
    stop = true;
    writer.join();
    close(fd);
    shm_unlink(name.c_str());

    const Stats stall = stats(stall_per_second), busy = stats(busy_per_second);
    // The first 10 s fill the history; after that memory must stay flat.
    const std::vector<double> settled(rss.begin() + std::min<size_t>(rss.size() - 1, 10), rss.end());
    const Stats mem = stats(settled);
    std::printf("scope window, 16 cards x 4 axes at 100 Hz, %.0f s (offscreen)\n", wall);
    std::printf("  longest event-loop pause per second, ms: min %.1f  median %.1f  max %.1f\n", stall.min, stall.median,
                stall.max);
    std::printf("  longest CPU time of the window thread between probe ticks per second, ms: min %.1f  median %.1f  "
                "max %.1f\n",
                busy.min, busy.median, busy.max);
    double load[1] = {0};
    getloadavg(load, 1);
    std::printf("  load average at the end: %.1f on %ld cores\n", load[0], sysconf(_SC_NPROCESSORS_ONLN));
    std::printf("  resident memory, MiB: start %.1f  after 10 s min %.1f  median %.1f  max %.1f  end %.1f\n", rss_start,
                mem.min, mem.median, mem.max, rss.back());
    std::printf("  samples published %llu, missed by the window %llu, history %zu samples, restarts %llu\n",
                static_cast<unsigned long long>(published.load()),
                static_cast<unsigned long long>(window.feed().history().missed()), window.feed().history().size(),
                static_cast<unsigned long long>(window.feed().history().restarts()));
    std::printf("  window thread CPU: %.1f %% of one core\n", 100.0 * cpu / wall);
    return worst_stall > 50.0 ? 2 : 0;
}
