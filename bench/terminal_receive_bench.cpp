// The receive path of the tessa window under load: the master side of a pseudo-terminal feeds the open port
// (as fast as it takes bytes, then text lines at a steady 115200 and 921600 baud) while the
// real window polls, formats and shows. Reports throughput, that every byte reached the hex log
// in order (counted across the 40000-character clears), what reached the screen (samples of the
// shown view's text and rows: in order, never blank, its newest row in sight, and at the end
// the last bytes sent painted on the bottom row), the longest event-loop stall and CPU time.
#include "receive/receive_view.h"
#include "serial/serial_port.h"
#include "window/form1.h"
#include "raw_pty.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QScrollBar>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include <fcntl.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

namespace {

// The bytes sent: a binary pattern (prime period, so a lost or repeated block shows at once) or
// numbered text lines of fixed length, as a device printing a log would send.
enum class Pattern { Binary, TextLines };
constexpr int kBinaryPeriod = 251;
constexpr int kTextLineLength = 56;  // "00000042 " + 45 characters + CR LF

char patternByte(Pattern pattern, std::uint64_t index)
{
    if (pattern == Pattern::Binary)
        return static_cast<char>(index % kBinaryPeriod);
    const std::uint64_t line = index / kTextLineLength;
    const auto column = static_cast<int>(index % kTextLineLength);
    static constexpr char kWords[] = "the quick brown fox jumps over the lazy dog..";
    if (column < 8) {
        std::uint64_t digits = line;
        for (int k = 7; k > column; --k)
            digits /= 10;
        return static_cast<char>('0' + digits % 10);
    }
    if (column == 8)
        return ' ';
    if (column < kTextLineLength - 2)
        return kWords[column - 9];
    return column == kTextLineLength - 2 ? '\r' : '\n';
}

double threadCpuSeconds()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Checks hex text against the pattern as it goes; line breaks are skipped.
class OrderChecker {
public:
    explicit OrderChecker(Pattern pattern)
        : pattern_(pattern)
    {
    }
    void consume(const QString& hex)
    {
        for (qsizetype i = 0; i + 1 < hex.size();) {
            if (hex[i] == u'\r' || hex[i] == u'\n' || hex[i] == u' ') {
                ++i;
                continue;
            }
            const int value = QStringView(hex).mid(i, 2).toInt(nullptr, 16);
            if (static_cast<char>(value) != patternByte(pattern_, count))
                ++mismatches;
            ++count;
            i += 2;
        }
    }
    std::uint64_t count = 0;
    std::uint64_t mismatches = 0;

private:
    Pattern pattern_;
};

// Whether a view's text shows exactly the pattern's bytes [end - n, end), n being the bytes it
// shows. A hex view shows "XX " a byte; a character view one character a byte, where 0D and
// 0A show as a space or, at the edge of a read, as ".". Line breaks are skipped.
bool viewShowsPattern(const QString& text, bool hex, Pattern pattern, std::uint64_t end)
{
    QString plain = text;
    plain.remove(u'\n');
    const qsizetype shown = hex ? plain.size() / 3 : plain.size();
    if (static_cast<std::uint64_t>(shown) > end)
        return false;
    const std::uint64_t first = end - static_cast<std::uint64_t>(shown);
    for (qsizetype k = 0; k < shown; ++k) {
        const char expected = patternByte(pattern, first + static_cast<std::uint64_t>(k));
        if (hex) {
            if (QStringView(plain).mid(3 * k, 2).toInt(nullptr, 16) != static_cast<std::uint8_t>(expected))
                return false;
            continue;
        }
        const QChar c = plain[k];
        const auto byte = static_cast<std::uint8_t>(expected);
        const bool ok = byte == 0x0D || byte == 0x0A ? (c == u' ' || c == u'.')
            : (byte < 0x20 || byte >= 0x7F)          ? c == u'.'
                                                     : c == QChar(byte);
        if (!ok)
            return false;
    }
    return true;
}

// A pseudo-terminal of our own: the window opens its device, the feeder writes into its master
// side. No relay process stands between the two, so the window is what limits the rate.
using orvane::testing::DirectPty;

// Writes the pattern into the far end: flat out, or paced at bytesPerSecond.
class Feeder {
public:
    // Writes into fd (the pty's master side) until duration has passed.
    Feeder(int fd, Pattern pattern, double bytesPerSecond, std::chrono::milliseconds duration)
        : fd_(fd)
    {
        thread_ = std::thread([this, pattern, bytesPerSecond, duration] { run(pattern, bytesPerSecond, duration); });
    }
    ~Feeder() { thread_.join(); }
    std::atomic<std::uint64_t> written {0};
    std::atomic<bool> finished {false};

private:
    void run(Pattern pattern, double bytesPerSecond, std::chrono::milliseconds duration)
    {
        using clock = std::chrono::steady_clock;
        const auto start = clock::now();
        const auto end = start + duration;
        char block[4096];
        std::uint64_t next = 0;
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
            for (std::size_t i = 0; i < n; ++i)
                block[i] = patternByte(pattern, next + i);
            const ssize_t done = ::write(fd_, block, n);
            if (done <= 0)
                break;
            next += static_cast<std::uint64_t>(done);
            written = next;
        }
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
    // Samples of the shown view while data came in.
    int samples = 0;
    bool shownOnce = false;
    int blankSamples = 0;  // nothing shown although bytes had been shown before
    int wrongSamples = 0;  // shown bytes not the pattern's, in order, up to the newest shown
    int tailOutOfSight = 0;  // the view's newest row not among the rows in sight
    std::uint64_t mostBytesBehind = 0;  // bytes in the log not yet on screen
    bool endShown = false;  // at the end: the last bytes sent on the bottom row, painted
};

struct Load {
    Pattern pattern;
    double bytesPerSecond;  // 0: flat out
    bool hexView;
    bool probeStalls;
    int sampleMs;
};

// Looks at what the shown view holds; bytesBefore is what the logs let go before this
// generation, logBytes what the hex log holds now.
void sampleScreen(Run& run, const tessa::ReceiveView& view, const Load& load, std::uint64_t bytesBefore,
                  std::uint64_t logBytes)
{
    const QString text = view.toPlainText();
    ++run.samples;
    if (text.isEmpty()) {
        run.blankSamples += run.shownOnce ? 1 : 0;
        return;
    }
    run.shownOnce = true;
    QString plain = text;
    plain.remove(u'\n');
    const auto shownBytes = static_cast<std::uint64_t>(load.hexView ? plain.size() / 3 : plain.size());
    if (!viewShowsPattern(text, load.hexView, load.pattern, bytesBefore + shownBytes))
        ++run.wrongSamples;
    run.mostBytesBehind = std::max(run.mostBytesBehind, logBytes > shownBytes ? logBytes - shownBytes : 0);
    const int lastRow = view.rowCount() - 1;
    if (lastRow < view.firstVisibleRow() || lastRow >= view.firstVisibleRow() + view.visibleRows())
        ++run.tailOutOfSight;
}

// At the end: the bottom row in sight holds the last bytes sent, and its pixels carry ink.
bool endIsShown(const tessa::ReceiveView& view, const Load& load, std::uint64_t written)
{
    int lastRow = view.rowCount() - 1;
    if (lastRow >= 0 && view.rowText(lastRow).isEmpty())
        --lastRow;  // the empty line after a final line break
    if (lastRow < view.firstVisibleRow() || lastRow >= view.firstVisibleRow() + view.visibleRows())
        return false;
    const QString row = view.rowText(lastRow);
    QString shown = view.toPlainText();
    while (shown.endsWith(u'\n'))
        shown.chop(1);
    if (row.isEmpty() || !shown.endsWith(row))
        return false;
    if (!viewShowsPattern(row, load.hexView, load.pattern, written))
        return false;
    const QImage image = view.viewport()->grab().toImage();
    const int height = view.fontMetrics().lineSpacing();
    const int top = 4 + (lastRow - view.firstVisibleRow()) * height;
    const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
    for (int y = top; y < std::min(image.height(), top + height); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background)
                return true;
    return false;
}

// One window on a fresh pty pair, fed for duration, then drained.
Run feedWindow(const Load& load, std::chrono::milliseconds duration)
{
    Run run;
    DirectPty pty;
    if (!pty.ready())
        return run;
    qputenv("TESSA_COM3", QByteArray::fromStdString(pty.devicePath()));
    Form1 form;
    form.show();
    form.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("3"));
    form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    if (!form.comm1().isOpen())
        return run;
    if (load.hexView)
        form.findChild<QPushButton*>(QStringLiteral("Command16"))->click();
    const auto* view =
        form.findChild<tessa::ReceiveView*>(load.hexView ? QStringLiteral("Text4") : QStringLiteral("Text6"));

    OrderChecker checker(load.pattern);
    form.receiveLogs().setLimitObserver([&](const QString& hex, const QString&) { checker.consume(hex); });
    const auto logBytes = [&] {
        const QString& hex = form.receiveLogs().hexLog();
        return static_cast<std::uint64_t>((hex.size() - 2 * hex.count(u'\n')) / 3);
    };

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
    QTimer screen;
    QObject::connect(&screen, &QTimer::timeout, [&] { sampleScreen(run, *view, load, checker.count, logBytes()); });

    const double cpuBefore = threadCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    {
        Feeder feeder(pty.master(), load.pattern, load.bytesPerSecond, duration);
        if (load.probeStalls) {
            sinceLastProbe.start();
            probe.start();
        }
        screen.start(load.sampleMs);
        QEventLoop loop;
        QTimer done;
        QObject::connect(&done, &QTimer::timeout, [&] {
            if ((feeder.finished && checker.count + logBytes() >= feeder.written)
                || wall.elapsed() > duration.count() + 20000)
                loop.quit();
        });
        done.start(50);
        loop.exec();
        probe.stop();
        screen.stop();
        run.written = feeder.written;
        run.seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
        run.windowCpuSeconds = threadCpuSeconds() - cpuBefore;
    }
    // Two more polls show what the last one read.
    QEventLoop settle;
    QTimer::singleShot(250, &settle, &QEventLoop::quit);
    settle.exec();
    run.endShown = endIsShown(*view, load, run.written);
    form.receiveLogs().setLimitObserver({});
    checker.consume(form.receiveLogs().hexLog());
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
    state.counters["screen_samples"] = run.samples;
    state.counters["screen_blank"] = run.blankSamples;
    state.counters["screen_wrong"] = run.wrongSamples;
    state.counters["screen_tail_out_of_sight"] = run.tailOutOfSight;
    state.counters["screen_most_bytes_behind"] = static_cast<double>(run.mostBytesBehind);
    state.counters["screen_shows_last_bytes"] = run.endShown ? 1 : 0;
    if (run.checked != run.written || run.mismatches != 0)
        state.SkipWithError("bytes lost, repeated or out of order");
    else if (run.blankSamples != 0 || run.wrongSamples != 0 || run.tailOutOfSight != 0 || !run.endShown)
        state.SkipWithError(
            QStringLiteral("the screen did not show the newest bytes: of %1 samples %2 blank, %3 wrong, "
                           "%4 with the newest row out of sight; last bytes %5")
                .arg(run.samples)
                .arg(run.blankSamples)
                .arg(run.wrongSamples)
                .arg(run.tailOutOfSight)
                .arg(run.endShown ? "shown" : "not shown")
                .toStdString()
                .c_str());
}

// 10 bits a byte on the line: start, 8 data, stop.
constexpr double bytesPerSecondAt(double baud)
{
    return baud / 10.0;
}

void FloodForTenSeconds(benchmark::State& state)
{
    for (auto _ : state)
        report(state, feedWindow({Pattern::Binary, 0, true, true, 50}, std::chrono::seconds(10)));
}
BENCHMARK(FloodForTenSeconds)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void TextLinesAt115200Baud(benchmark::State& state)
{
    // Samples far apart, so that looking costs little of the CPU measured.
    for (auto _ : state)
        report(state,
               feedWindow({Pattern::TextLines, bytesPerSecondAt(115200), false, false, 500}, std::chrono::seconds(10)));
}
BENCHMARK(TextLinesAt115200Baud)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void TextLinesAt921600Baud(benchmark::State& state)
{
    for (auto _ : state)
        report(state,
               feedWindow({Pattern::TextLines, bytesPerSecondAt(921600), false, true, 40}, std::chrono::seconds(10)));
}
BENCHMARK(TextLinesAt921600Baud)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BinaryAt921600BaudInTheHexView(benchmark::State& state)
{
    for (auto _ : state)
        report(state,
               feedWindow({Pattern::Binary, bytesPerSecondAt(921600), true, true, 40}, std::chrono::seconds(10)));
}
BENCHMARK(BinaryAt921600BaudInTheHexView)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

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
