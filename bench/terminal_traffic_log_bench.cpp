// CPU the traffic log adds per byte, and what that makes of a 115200-baud line (11520 bytes a
// second). Chunks go through record() as the port's thread would call it; the clock is the
// whole process's CPU time from the first record() to the end of stop(), so the writer
// thread's formatting and writing are counted. The caller's own share (the hot path) is
// timed separately on its thread's CPU clock. Last, the cost of a running log on a quiet line. Each case runs several times; min/median/max.
#include "trafficlog/traffic_log.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <time.h>
#include <vector>

namespace {

double cpuNs(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

struct Run {
    double totalNsPerByte = 0;
    double callerNsPerChunk = 0;
};

Run logOnce(const QString& path, qsizetype chunkSize, qsizetype totalBytes)
{
    QByteArray chunk(chunkSize, '\0');
    for (qsizetype i = 0; i < chunkSize; ++i)
        chunk[i] = static_cast<char>(i * 37 + 11);
    tessa::TrafficLog log;
    if (!log.start(path)) {
        std::fprintf(stderr, "%s\n", qPrintable(log.errorString()));
        std::exit(1);
    }
    const qsizetype chunks = totalBytes / chunkSize;
    const double processStart = cpuNs(CLOCK_PROCESS_CPUTIME_ID);
    const double callerStart = cpuNs(CLOCK_THREAD_CPUTIME_ID);
    for (qsizetype i = 0; i < chunks; ++i)
        log.record(i % 8 == 0 ? tessa::TrafficDirection::Tx : tessa::TrafficDirection::Rx, chunk);
    const double callerEnd = cpuNs(CLOCK_THREAD_CPUTIME_ID);
    log.stop();
    const double processEnd = cpuNs(CLOCK_PROCESS_CPUTIME_ID);
    return {(processEnd - processStart) / static_cast<double>(chunks * chunkSize),
            (callerEnd - callerStart) / static_cast<double>(chunks)};
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench-log.txt"));
    constexpr int kRuns = 11;
    constexpr double kBytesPerSecondAt115200 = 11520.0;
    std::printf("traffic log, %d runs each: min / median / max\n", kRuns);
    // 1 byte: worst case, a poll per byte; 16: a short Modbus frame; 115: a 10 ms poll at 115200.
    for (const qsizetype chunkSize : {qsizetype{1}, qsizetype{16}, qsizetype{115}}) {
        const qsizetype total = chunkSize == 1 ? 200'000 : 2'000'000;
        std::vector<double> perByte;
        std::vector<double> caller;
        for (int r = 0; r < kRuns; ++r) {
            const Run run = logOnce(path, chunkSize, total);
            perByte.push_back(run.totalNsPerByte);
            caller.push_back(run.callerNsPerChunk);
        }
        std::sort(perByte.begin(), perByte.end());
        std::sort(caller.begin(), caller.end());
        const auto share = [&](double ns) { return ns * kBytesPerSecondAt115200 / 1e9 * 100.0; };
        std::printf("chunks of %3lld B: CPU %7.1f / %7.1f / %7.1f ns per byte"
                    " = %.3f / %.3f / %.3f %% of one core at 115200 baud;"
                    " record() on the caller %6.0f / %6.0f / %6.0f ns per chunk\n",
                    static_cast<long long>(chunkSize), perByte.front(), perByte[kRuns / 2], perByte.back(),
                    share(perByte.front()), share(perByte[kRuns / 2]), share(perByte.back()), caller.front(),
                    caller[kRuns / 2], caller.back());
    }
    // The writer's own wake-ups while the line is quiet, per second of a running log.
    std::vector<double> idle;
    for (int r = 0; r < 5; ++r) {
        tessa::TrafficLog log;
        log.start(path);
        const double start = cpuNs(CLOCK_PROCESS_CPUTIME_ID);
        timespec second{1, 0};
        nanosleep(&second, nullptr);
        idle.push_back((cpuNs(CLOCK_PROCESS_CPUTIME_ID) - start) / 1e9 * 100.0);
        log.stop();
    }
    std::sort(idle.begin(), idle.end());
    std::printf("quiet line, 5 runs of 1 s: %.4f / %.4f / %.4f %% of one core\n", idle.front(), idle[2], idle.back());
    return 0;
}
