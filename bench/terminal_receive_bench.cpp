// The receive path of the tessa window under load: a pty pair's far end feeds the open port
// (as fast as it takes bytes, then at a steady 115200 baud) while the real window polls,
// formats and shows. Reports throughput, that every byte reached the hex log in order
// (counted across the 40000-character clears), the longest event-loop stall and CPU time.
#include "serial/serial_port.h"
#include "support/pty_pair.h"
#include "window/form1.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include <fcntl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace {

constexpr int kPatternPeriod = 251;  // prime, so a lost or repeated block shows at once

double threadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Checks hex text against the byte pattern as it goes; line breaks are skipped.
class OrderChecker {
public:
    void consume(const QString& hex)
    {
        for (qsizetype i = 0; i + 1 < hex.size();) {
            if (hex[i] == u'\r' || hex[i] == u'\n' || hex[i] == u' ') {
                ++i;
                continue;
            }
            const int value = QStringView(hex).mid(i, 2).toInt(nullptr, 16);
            if (value != static_cast<int>(count % kPatternPeriod))
                ++mismatches;
            ++count;
            i += 2;
        }
    }
    std::uint64_t count = 0;
    std::uint64_t mismatches = 0;
};

// Writes the pattern into the far end: flat out, or paced at bytesPerSecond.
class Feeder {
public:
    Feeder(const QString& farPath, double bytesPerSecond, std::chrono::milliseconds duration)
    {
        fd_ = ::open(QFile::encodeName(farPath).constData(), O_RDWR | O_NOCTTY);
        termios tio{};
        ::tcgetattr(fd_, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(fd_, TCSANOW, &tio);
        thread_ = std::thread([this, bytesPerSecond, duration] { run(bytesPerSecond, duration); });
    }
    ~Feeder()
    {
        thread_.join();
        ::close(fd_);
    }
    std::atomic<std::uint64_t> written{0};
    std::atomic<bool> finished{false};
    double cpuSeconds = 0;

private:
    void run(double bytesPerSecond, std::chrono::milliseconds duration)
    {
        using clock = std::chrono::steady_clock;
        const auto start = clock::now();
        const auto end = start + duration;
        char block[4096];
        std::uint64_t next = 0;
        const auto fill = [&](std::size_t n) {
            for (std::size_t i = 0; i < n; ++i)
                block[i] = static_cast<char>((next + i) % kPatternPeriod);
        };
        while (clock::now() < end) {
            std::size_t n = sizeof block;
            if (bytesPerSecond > 0) {
                // Every 10 ms, whatever the rate allows up to now.
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                const double elapsed = std::chrono::duration<double>(clock::now() - start).count();
                const auto due = static_cast<std::uint64_t>(elapsed * bytesPerSecond);
                n = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof block, due - next));
                if (n == 0)
                    continue;
            }
            fill(n);
            const ssize_t done = ::write(fd_, block, n);
            if (done <= 0)
                break;
            next += static_cast<std::uint64_t>(done);
            written = next;
        }
        cpuSeconds = threadCpuSeconds();
        finished = true;
    }

    int fd_ = -1;
    std::thread thread_;
};

struct Run {
    double seconds = 0;
    std::uint64_t written = 0;
    std::uint64_t checked = 0;
    std::uint64_t mismatches = 0;
    double longestStallMs = 0;
    double windowCpuSeconds = 0;
    double feederCpuSeconds = 0;
};

// One window on a fresh pty pair, fed for duration, then drained.
Run feedWindow(double bytesPerSecond, std::chrono::milliseconds duration, bool probeStalls)
{
    Run run;
    tessa::testing::PtyPair pty;
    if (!pty.ready())
        return run;
    qputenv("TESSA_COM3", pty.nearPath().toLocal8Bit());
    Form1 form;
    form.show();
    form.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("3"));
    form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    if (!form.comm1().isOpen())
        return run;

    OrderChecker checker;
    form.receiveLogs().setLimitObserver([&](const QString& hex, const QString&) { checker.consume(hex); });

    // A fast timer whose late ticks measure how long the event loop was held up.
    QElapsedTimer sinceLastProbe;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const double gap = static_cast<double>(sinceLastProbe.nsecsElapsed()) / 1e6 - probe.interval();
        run.longestStallMs = std::max(run.longestStallMs, gap);
        sinceLastProbe.restart();
    });

    const double cpuBefore = threadCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    {
        Feeder feeder(pty.farPath(), bytesPerSecond, duration);
        if (probeStalls) {
            sinceLastProbe.start();
            probe.start();
        }
        QEventLoop loop;
        QTimer done;
        QObject::connect(&done, &QTimer::timeout, [&] {
            const std::uint64_t inLogs = checker.count + static_cast<std::uint64_t>(form.receiveLogs().hexLog().size() / 3);
            if ((feeder.finished && inLogs >= feeder.written) || wall.elapsed() > duration.count() + 20000)
                loop.quit();
        });
        done.start(50);
        loop.exec();
        probe.stop();
        run.written = feeder.written;
        run.seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
        run.windowCpuSeconds = threadCpuSeconds() - cpuBefore;
        form.receiveLogs().setLimitObserver({});
        checker.consume(form.receiveLogs().hexLog());
    }
    run.checked = checker.count;
    run.mismatches = checker.mismatches;
    return run;
}

void report(benchmark::State& state, const Run& run)
{
    state.SetIterationTime(run.seconds);
    state.counters["bytes_written"] = static_cast<double>(run.written);
    state.counters["bytes_in_hex_log"] = static_cast<double>(run.checked);
    state.counters["all_in_order"] = (run.checked == run.written && run.mismatches == 0 && run.written > 0) ? 1 : 0;
    state.counters["taken_in_bytes_per_s"] = static_cast<double>(run.checked) / run.seconds;
    state.counters["window_cpu_s"] = run.windowCpuSeconds;
    state.counters["window_cpu_share_pct"] = 100.0 * run.windowCpuSeconds / run.seconds;
    if (run.longestStallMs > 0)
        state.counters["longest_stall_ms"] = run.longestStallMs;
    if (run.checked != run.written || run.mismatches != 0)
        state.SkipWithError("bytes lost, repeated or out of order");
}

void FloodForTenSeconds(benchmark::State& state)
{
    for (auto _ : state)
        report(state, feedWindow(0, std::chrono::seconds(10), true));
}
BENCHMARK(FloodForTenSeconds)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void Steady115200Baud(benchmark::State& state)
{
    // 10 bits a byte on the line: start, 8 data, stop.
    for (auto _ : state)
        report(state, feedWindow(115200.0 / 10.0, std::chrono::seconds(10), false));
}
BENCHMARK(Steady115200Baud)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
