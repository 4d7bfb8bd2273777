#include "support/wait_for.h"
#include "support/pty_pair.h"
#include "trafficlog/traffic_log.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSerialPort>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using namespace tessa;

namespace {

using tessa::testing::waitFor;

struct LoggedChunk {
    QByteArray dir;
    QByteArray bytes;
};

// Reads a log back as a spreadsheet would: header, then six tab-separated fields a line.
// Any line that does not hold together fails the test.
std::vector<LoggedChunk> readLog(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray all = file.readAll();
    EXPECT_TRUE(all.endsWith('\n')) << "log ends inside a line";
    QList<QByteArray> lines = all.split('\n');
    lines.removeLast();
    EXPECT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.value(0), "time\tgap_ms\tdir\tcount\thex\ttext");
    std::vector<LoggedChunk> chunks;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> f = lines[i].split('\t');
        EXPECT_EQ(f.size(), 6) << lines[i].constData();
        if (f.size() != 6)
            continue;
        const QByteArray bytes = QByteArray::fromHex(f[4]);
        EXPECT_EQ(f[3].toInt(), bytes.size()) << lines[i].constData();
        EXPECT_EQ(f[5].size(), bytes.size()) << lines[i].constData();
        EXPECT_TRUE(f[0].size() == 23 && f[1].toDouble() >= 0.0) << lines[i].constData();
        chunks.push_back({f[2], bytes});
    }
    return chunks;
}

QByteArray joined(const std::vector<LoggedChunk>& chunks, const char* dir)
{
    QByteArray out;
    for (const LoggedChunk& c : chunks)
        if (c.dir == dir)
            out += c.bytes;
    return out;
}

// Bytes whose order matters: a repeated, dropped or swapped run shows as a mismatch.
QByteArray pattern(qsizetype size, std::uint32_t seed)
{
    QByteArray out(size, '\0');
    for (qsizetype i = 0; i < size; ++i) {
        seed = seed * 1664525u + 1013904223u;
        out[i] = static_cast<char>(seed >> 24);
    }
    return out;
}

// Collects failed() on the test's thread, as a window would.
struct FailureMessages {
    explicit FailureMessages(TrafficLog& log)
    {
        QObject::connect(&log, &TrafficLog::failed, &context, [this](const QString& m) { messages << m; });
    }
    QObject context;
    QStringList messages;
};

}  // namespace

TEST(TrafficFormat, OneTabSeparatedLinePerChunkWithGapHexAndText)
{
    const std::int64_t wall = QDateTime(QDate(2026, 12, 7), QTime(1, 15, 0, 123)).toMSecsSinceEpoch();
    TrafficLineFormatter formatter;
    QByteArray out = trafficHeaderLine();
    formatter.append({TrafficDirection::Tx, {wall, 5'000'000}, QByteArray::fromHex("0103000A0002")}, out);
    formatter.append({TrafficDirection::Rx, {wall + 1, 5'001'347}, QByteArray("A\tz~\x7F\x80\n", 7)}, out);
    formatter.append({TrafficDirection::Rx, {wall + 1000, 7'000'000}, QByteArray("ok")}, out);
    EXPECT_EQ(out,
              "time\tgap_ms\tdir\tcount\thex\ttext\n"
              "2026-12-07 01:15:00.123\t0.000\tTX\t6\t01 03 00 0A 00 02\t......\n"
              "2026-12-07 01:15:00.124\t1.347\tRX\t7\t41 09 7A 7E 7F 80 0A\tA.z~...\n"
              "2026-12-07 01:15:01.123\t1998.653\tRX\t2\t6F 6B\tok\n");
}

TEST(TrafficFormat, SizeTextForTheStatusBar)
{
    EXPECT_EQ(trafficSizeText(0), u"0 B");
    EXPECT_EQ(trafficSizeText(1023), u"1023 B");
    EXPECT_EQ(trafficSizeText(1536), u"1.5 KB");
    EXPECT_EQ(trafficSizeText(5 * 1024 * 1024 + 100 * 1024), u"5.1 MB");
}

TEST(TrafficLog, WritesWithoutWaitingForStopAndEverythingOnStop)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.txt"));
    TrafficLog log;
    ASSERT_TRUE(log.start(path)) << log.errorString().toStdString();
    log.record(TrafficDirection::Tx, "first");
    // Readable by another program while the log runs (the flush interval is a quarter second).
    EXPECT_TRUE(waitFor([&] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) && f.readAll().contains("\tfirst\n");
    }));
    EXPECT_EQ(log.fileSize(), QFileInfo(path).size());
    for (int i = 0; i < 1000; ++i)
        log.record(TrafficDirection::Rx, QByteArray::number(i) + ',');
    log.stop();
    EXPECT_FALSE(log.isRunning());
    log.record(TrafficDirection::Rx, "after stop");
    const auto chunks = readLog(path);
    ASSERT_EQ(chunks.size(), 1001u);
    QByteArray expected;
    for (int i = 0; i < 1000; ++i)
        expected += QByteArray::number(i) + ',';
    EXPECT_EQ(joined(chunks, "RX"), expected);
    EXPECT_EQ(log.fileSize(), QFileInfo(path).size());
}

TEST(TrafficLog, StreamFromAPtyIsLoggedOnceAndInOrder)
{
    tessa::testing::PtyPair pty;
    ASSERT_TRUE(pty.ready());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("stream.txt"));
    TrafficLog log;
    ASSERT_TRUE(log.start(path));

    QSerialPort port(pty.nearPath());
    ASSERT_TRUE(port.open(QIODevice::ReadWrite));
    port.setBaudRate(115200);
    QByteArray received;
    QObject::connect(&port, &QSerialPort::readyRead, [&] {
        const QByteArray chunk = port.readAll();
        log.record(TrafficDirection::Rx, chunk);
        received += chunk;
    });

    // Two seconds of a 115200-baud line (11520 bytes a second), paced in 10 ms slices; by hand,
    // TESSA_TRAFFIC_STREAM_SECONDS=600 streams for ten minutes.
    const int seconds = std::max(2, qEnvironmentVariableIntValue("TESSA_TRAFFIC_STREAM_SECONDS"));
    const QByteArray sent = pattern(11520 * seconds, 7);
    const int farFd = ::open(QFile::encodeName(pty.farPath()).constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(farFd, 0);
    std::atomic<bool> writeFailed {false};
    std::atomic<bool> deviceDone {false};
    std::thread device([&] {
        auto next = std::chrono::steady_clock::now();
        for (qsizetype at = 0; at < sent.size();) {
            next += std::chrono::milliseconds(10);
            std::this_thread::sleep_until(next);
            const qsizetype end = std::min(sent.size(), at + 115);
            while (at < end) {
                const ssize_t n = ::write(farFd, sent.constData() + at, static_cast<size_t>(end - at));
                if (n <= 0) {
                    writeFailed = true;
                    deviceDone = true;
                    return;
                }
                at += n;
            }
        }
        deviceDone = true;
    });
    // The terminal talks back meanwhile: its chunks must interleave in the order they went.
    QByteArray transmitted;
    // The loop also runs the event loop: the line is read while the device sends.
    for (int i = 0; !deviceDone; ++i) {
        waitFor([] { return false; }, 80);
        const QByteArray tx = "poll " + QByteArray::number(i) + "\r";
        port.write(tx);
        log.record(TrafficDirection::Tx, tx);
        transmitted += tx;
    }
    device.join();
    EXPECT_FALSE(writeFailed);
    EXPECT_TRUE(waitFor([&] { return received.size() >= sent.size(); }));
    if (seconds > 2)
        std::printf("%d s at 115200: %lld bytes received, %lld sent\n", seconds,
                    static_cast<long long>(received.size()), static_cast<long long>(transmitted.size()));
    ::close(farFd);
    log.stop();

    ASSERT_EQ(received, sent);
    const auto chunks = readLog(path);
    EXPECT_EQ(joined(chunks, "RX"), sent);
    EXPECT_EQ(joined(chunks, "TX"), transmitted);
    EXPECT_GT(chunks.size(), 40u);
}

TEST(TrafficLog, RemovedFolderStopsTheLogWithOneMessage)
{
    QTemporaryDir base;
    ASSERT_TRUE(QDir(base.path()).mkdir(QStringLiteral("logs")));
    const QString folder = base.filePath(QStringLiteral("logs"));
    TrafficLog log;
    FailureMessages failures(log);
    ASSERT_TRUE(log.start(folder + QStringLiteral("/t.txt")));
    log.record(TrafficDirection::Rx, "before");
    ASSERT_TRUE(QDir(folder).removeRecursively());
    for (int i = 0; i < 5; ++i) {
        log.record(TrafficDirection::Rx, "lost");
        waitFor([] { return false; }, 100);
    }
    ASSERT_TRUE(waitFor([&] { return !failures.messages.isEmpty(); }));
    waitFor([] { return false; }, 600);
    EXPECT_FALSE(log.isRunning());
    ASSERT_EQ(failures.messages.size(), 1);
    EXPECT_TRUE(failures.messages[0].contains(folder)) << failures.messages[0].toStdString();
    EXPECT_EQ(log.errorString(), failures.messages[0]);
    log.stop();
    EXPECT_EQ(failures.messages.size(), 1);
}

TEST(TrafficLog, FullDiskRefusesToStartWithTheReason)
{
    TrafficLog log;
    EXPECT_FALSE(log.start(QStringLiteral("/dev/full")));
    EXPECT_FALSE(log.isRunning());
    EXPECT_TRUE(log.errorString().contains(QStringLiteral("No space left on device")))
        << log.errorString().toStdString();
}

TEST(TrafficLog, FileThatCannotGrowStopsTheLogAndKeepsWholeLines)
{
    // A file-size limit makes write() fail part-way like a disk that fills up during the run.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.txt"));
    TrafficLog log;
    FailureMessages failures(log);
    ASSERT_TRUE(log.start(path));
    rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 10000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const QByteArray sent = pattern(20000, 3);
    for (qsizetype at = 0; at < sent.size(); at += 100)
        log.record(TrafficDirection::Rx, sent.mid(at, 100));
    const bool stopped = waitFor([&] { return !failures.messages.isEmpty(); });
    log.stop();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    ASSERT_TRUE(stopped);
    EXPECT_EQ(failures.messages.size(), 1);
    EXPECT_TRUE(failures.messages[0].contains(path)) << failures.messages[0].toStdString();
    const auto chunks = readLog(path);
    const QByteArray kept = joined(chunks, "RX");
    EXPECT_GT(kept.size(), 1000);
    EXPECT_EQ(kept, sent.left(kept.size()));
    EXPECT_EQ(log.fileSize(), QFileInfo(path).size());
}
