// Replay timing of the tessa program list on the wire, through a pty pair: the real window
// replays, a thread at the far end stamps every byte as it arrives.
//   1. "a", delay 500, "b": the gap between the two bytes (goal 500 ms +- 20 ms), repeated.
//   2. 1000 data lines without delays: all bytes arrive, in order, in one pass; the pass time.
// Prints its figures; exits non-zero when a check fails.
#include "serial/serial_port.h"
#include "support/pty_pair.h"
#include "raw_pty.h"
#include "window/form1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Reads the far end on its own thread so that arrival times do not wait for the event loop.
class StampingReader {
public:
    explicit StampingReader(const QString& path)
    {
        fd_ = orvane::testing::openRawLine(QFile::encodeName(path).toStdString(), true);
        thread_ = std::thread([this] { run(); });
    }
    ~StampingReader()
    {
        stop_ = true;
        thread_.join();
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    std::vector<std::pair<char, Clock::time_point>> take()
    {
        std::lock_guard lock(mutex_);
        return std::exchange(got_, {});
    }
    std::size_t count()
    {
        std::lock_guard lock(mutex_);
        return got_.size();
    }

private:
    void run()
    {
        char buffer[4096];
        while (!stop_) {
            pollfd p {fd_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            const Clock::time_point now = Clock::now();
            std::lock_guard lock(mutex_);
            for (ssize_t i = 0; i < n; ++i)
                got_.emplace_back(buffer[i], now);
        }
    }
    int fd_ = -1;
    std::atomic<bool> stop_ {false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::pair<char, Clock::time_point>> got_;
};

template <typename T> T* child(Form1& form, const char* name, int index = -1)
{
    for (T* found : form.findChildren<T*>(QString::fromLatin1(name)))
        if (index < 0 || found->property("index").toInt() == index)
            return found;
    std::fprintf(stderr, "control %s not found\n", name);
    std::exit(2);
}

void addData(Form1& form, const QString& text, bool crLf)
{
    child<QRadioButton>(form, "Option3", 0)->setChecked(true);
    child<QCheckBox>(form, "Check2")->setChecked(crLf);
    child<QLineEdit>(form, "Text3")->setText(text);
    child<QPushButton>(form, "Command5")->click();
}

void addDelay(Form1& form, int ms)
{
    child<QRadioButton>(form, "Option3", 1)->setChecked(true);
    child<QLineEdit>(form, "Text5")->setText(QString::number(ms));
    child<QPushButton>(form, "Command5")->click();
}

bool waitFor(const std::function<bool()>& done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tessa::testing::PtyPair pty;
    if (!pty.ready())
        return 2;
    qputenv("TESSA_COM3", pty.nearPath().toLocal8Bit());
    Form1 form;
    child<QLineEdit>(form, "Text1")->setText(QStringLiteral("3"));
    child<QPushButton>(form, "Command1")->click();
    if (!form.comm1().isOpen())
        return 2;
    StampingReader far(pty.farPath());
    if (!far.ok())
        return 2;
    QTimer* timer13 = form.findChild<QTimer*>(QStringLiteral("Timer13"));
    bool failed = false;

    // 1. The gap of a 500 ms delay record.
    addData(form, QStringLiteral("a"), false);
    addDelay(form, 500);
    addData(form, QStringLiteral("b"), false);
    std::vector<double> gaps;
    for (int run = 0; run < 10; ++run) {
        child<QPushButton>(form, "Command6")->click();
        if (!waitFor([&] { return far.count() >= 2 && !timer13->isActive(); }, 5000)) {
            std::printf("delay run %d: bytes missing\n", run);
            failed = true;
            continue;
        }
        const auto got = far.take();
        if (got.size() != 2 || got[0].first != 'a' || got[1].first != 'b') {
            std::printf("delay run %d: wrong bytes (%zu)\n", run, got.size());
            failed = true;
            continue;
        }
        gaps.push_back(std::chrono::duration<double, std::milli>(got[1].second - got[0].second).count());
    }
    std::sort(gaps.begin(), gaps.end());
    if (!gaps.empty()) {
        std::printf("delay 500 ms, gap a->b over %zu runs: min %.1f ms, median %.1f ms, max %.1f ms\n", gaps.size(),
                    gaps.front(), gaps[gaps.size() / 2], gaps.back());
        const bool inGoal = gaps.front() >= 480.0 && gaps.back() <= 520.0;
        std::printf("  goal 500 +- 20 ms: %s\n", inGoal ? "met" : "NOT met");
    }

    // 2. 1000 data lines without delays, in one pass.
    form.findChild<QAction*>(QStringLiteral("mnu_new_file"))->trigger();
    QByteArray expected;
    for (int line = 0; line < 1000; ++line) {
        const QString text = QStringLiteral("line %1").arg(line, 4, 10, QChar(u'0'));
        addData(form, text, true);
        expected += text.toLatin1() + "\r\n";
    }
    for (int run = 0; run < 3; ++run) {
        const Clock::time_point start = Clock::now();
        child<QPushButton>(form, "Command6")->click();
        const bool all = waitFor([&] { return far.count() >= static_cast<std::size_t>(expected.size()); }, 20000);
        const bool stopped = waitFor([&] { return !timer13->isActive(); }, 5000);
        // Anything more than one pass would still be on its way.
        waitFor([] { return false; }, 300);
        const auto got = far.take();
        QByteArray received;
        for (const auto& [c, t] : got)
            received.append(c);
        const double passMs =
            got.empty() ? 0.0 : std::chrono::duration<double, std::milli>(got.back().second - start).count();
        const bool inOrder = received == expected;
        std::printf("1000 lines (%lld bytes), run %d: %s, %s, one pass: %s, click to last byte %.1f ms\n",
                    static_cast<long long>(expected.size()), run, all ? "all arrived" : "BYTES MISSING",
                    inOrder ? "in order" : "OUT OF ORDER OR EXTRA", stopped ? "yes" : "NO", passMs);
        failed = failed || !all || !inOrder || !stopped;
    }
    return failed ? 1 : 0;
}
