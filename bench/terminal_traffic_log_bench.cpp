// CPU the traffic log adds per byte, and what that makes of a 115200-baud line (11520 bytes a
// second). Chunks go through record() as the port's thread would call it; the clock is the
// whole process's CPU time from the first record() to the end of stop(), so the writer
// thread's formatting and writing are counted. The caller's own share (the hot path) is
// timed separately on its thread's CPU clock. Then the same through the terminal's port as the
// window wires it (the port's sent/received signals into record()), over a pseudo-terminal:
// the process's CPU per byte with and without a running log, the difference being what the log
// adds. Last, the cost of a running log on a quiet line. Each case runs several times;
// min/median/max.
#include "serial/serial_port.h"
#include "trafficlog/traffic_log.h"
#include "raw_pty.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

double cpuNs(clockid_t clock)
{
    timespec t {};
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

// Streams totalBytes from a pty's master through tessa::SerialPort on its slave in 115-byte
// chunks (10 ms at 115200 baud), the terminal answering 16 bytes every 8th chunk; with a log,
// every chunk goes to it as the window's traffic log control sends it. Process CPU per byte.
double throughPortOnce(const QString& logPath, bool withLog, qsizetype totalBytes)
{
    orvane::testing::DirectPty pty;
    if (!pty.ready()) {
        std::perror("posix_openpt");
        std::exit(1);
    }
    const int master = pty.master();
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    const QString path = QString::fromStdString(pty.devicePath());
    tessa::SerialPort port;
    port.setPortResolver([path](int) { return path; });
    port.setPortNumber(1);
    port.setSettings(QStringLiteral("115200,n,8,1"));
    if (!port.open()) {
        std::fprintf(stderr, "%s\n", qPrintable(port.errorString()));
        std::exit(1);
    }
    tessa::TrafficLog log;
    if (withLog) {
        if (!log.start(logPath))
            std::exit(1);
        QObject::connect(&port, &tessa::SerialPort::sent, &log,
                         [&log](QByteArrayView bytes) { log.record(tessa::TrafficDirection::Tx, bytes); });
        QObject::connect(&port, &tessa::SerialPort::received, &log, [&log](const tessa::ReceivedChunk& chunk) {
            log.record(tessa::TrafficDirection::Rx, chunk.bytes, {chunk.wallMs, chunk.steadyUs});
        });
    }
    qsizetype received = 0;
    QObject::connect(&port, &tessa::SerialPort::received, &log,
                     [&received](const tessa::ReceivedChunk& chunk) { received += chunk.bytes.size(); });
    QByteArray chunk(115, '\0');
    for (qsizetype i = 0; i < chunk.size(); ++i)
        chunk[i] = static_cast<char>(i * 37 + 11);
    const QByteArray answer(16, 'A');
    char drain[4096];
    const double start = cpuNs(CLOCK_PROCESS_CPUTIME_ID);
    for (qsizetype i = 0; received < totalBytes; ++i) {
        qsizetype done = 0;
        while (done < chunk.size()) {
            const ssize_t n = ::write(master, chunk.constData() + done, static_cast<size_t>(chunk.size() - done));
            if (n > 0)
                done += n;
            else if (errno != EAGAIN && errno != EINTR)
                std::exit(1);
            else
                port.deliverReceived();
        }
        port.deliverReceived();
        if (i % 8 == 0) {
            port.write(QByteArrayView(answer));
            while (::read(master, drain, sizeof drain) > 0) { }
        }
    }
    port.close();
    log.stop();
    const double end = cpuNs(CLOCK_PROCESS_CPUTIME_ID);
    return (end - start) / static_cast<double>(received);
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
    for (const qsizetype chunkSize : {qsizetype {1}, qsizetype {16}, qsizetype {115}}) {
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
    // Through the port as the window wires it: without and with a running log, interleaved.
    {
        constexpr int kPortRuns = 7;
        std::vector<double> without;
        std::vector<double> with;
        std::vector<double> added;
        for (int r = 0; r < kPortRuns; ++r) {
            without.push_back(throughPortOnce(path, false, 2'000'000));
            with.push_back(throughPortOnce(path, true, 2'000'000));
            added.push_back(with.back() - without.back());
        }
        std::sort(without.begin(), without.end());
        std::sort(with.begin(), with.end());
        std::sort(added.begin(), added.end());
        const auto share = [&](double ns) { return ns * kBytesPerSecondAt115200 / 1e9 * 100.0; };
        std::printf("through the port, 115 B chunks, %d runs: without log %.1f / %.1f / %.1f ns per byte,"
                    " with log %.1f / %.1f / %.1f ns per byte\n",
                    kPortRuns, without.front(), without[kPortRuns / 2], without.back(), with.front(),
                    with[kPortRuns / 2], with.back());
        std::printf(
            "  the log adds %.1f / %.1f / %.1f ns per byte = %.3f / %.3f / %.3f %% of one core at 115200 baud\n",
            added.front(), added[kPortRuns / 2], added.back(), share(added.front()), share(added[kPortRuns / 2]),
            share(added.back()));
    }
    // The writer's own wake-ups while the line is quiet, per second of a running log.
    std::vector<double> idle;
    for (int r = 0; r < 5; ++r) {
        tessa::TrafficLog log;
        log.start(path);
        const double start = cpuNs(CLOCK_PROCESS_CPUTIME_ID);
        timespec second {1, 0};
        nanosleep(&second, nullptr);
        idle.push_back((cpuNs(CLOCK_PROCESS_CPUTIME_ID) - start) / 1e9 * 100.0);
        log.stop();
    }
    std::sort(idle.begin(), idle.end());
    std::printf("quiet line, 5 runs of 1 s: %.4f / %.4f / %.4f %% of one core\n", idle.front(), idle[2], idle.back());
    return 0;
}
