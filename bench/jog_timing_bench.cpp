// The jog press-and-hold of the tessa window as seen at the far end of a pty pair: a reader
// thread stamps every byte as it arrives while the real window is pressed, held and released
// with synthetic mouse events. Reports, over a number of presses, the delay from the press to
// the hold frame (D8 00 ED, Timer11's 200 ms), the gap between the two release frames
// (E6 00 ED, 50 ms apart) and whether a quick click or the space key sent a hold frame.
#include "serial/serial_port.h"
#include "support/pty_pair.h"
#include "raw_pty.h"
#include "window/form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

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

struct Arrival {
    Clock::time_point at;
    unsigned char byte;
};

// Reads the far pty on a thread of its own, so that the stamps are right also while the
// window's thread sleeps between the release frames.
class StampingReader {
public:
    explicit StampingReader(const QString& path)
    {
        fd_ = orvane::testing::openRawLine(path.toStdString(), true);
        if (fd_ < 0)
            return;
        thread_ = std::thread([this] {
            while (!stop_) {
                pollfd p {fd_, POLLIN, 0};
                if (::poll(&p, 1, 20) <= 0)
                    continue;
                unsigned char buffer[256];
                const ssize_t n = ::read(fd_, buffer, sizeof buffer);
                const Clock::time_point now = Clock::now();
                std::lock_guard lock(mutex_);
                for (ssize_t i = 0; i < n; ++i)
                    arrivals_.push_back({now, buffer[i]});
            }
        });
    }
    ~StampingReader()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    std::vector<Arrival> take()
    {
        std::lock_guard lock(mutex_);
        return std::exchange(arrivals_, {});
    }
    size_t count()
    {
        std::lock_guard lock(mutex_);
        return arrivals_.size();
    }

private:
    int fd_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_ {false};
    std::mutex mutex_;
    std::vector<Arrival> arrivals_;
};

bool waitForBytes(StampingReader& reader, size_t count, int timeoutMs = 5000)
{
    QElapsedTimer t;
    t.start();
    while (reader.count() < count && t.elapsed() < timeoutMs)
        QTest::qWait(1);
    return reader.count() >= count;
}

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

void report(const char* what, std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    if (values.empty()) {
        std::printf("%-40s no samples\n", what);
        return;
    }
    std::printf("%-40s n=%zu min=%.1f median=%.1f max=%.1f ms\n", what, values.size(), values.front(),
                values[values.size() / 2], values.back());
}

}  // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int presses = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

    tessa::testing::PtyPair pty;
    if (!pty.ready())
        return 1;
    qputenv("TESSA_COM3", pty.nearPath().toLocal8Bit());
    Form1 form;
    form.show();
    form.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("3"));
    form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    StampingReader reader(pty.farPath());
    if (!form.comm1().isOpen() || !reader.ok())
        return 1;
    auto* jogPlus = form.findChild<QPushButton*>(QStringLiteral("Command24"));

    std::vector<double> holdDelay, releaseGap, quickGap;
    int wrongBytes = 0, quickHolds = 0, keyHolds = 0;
    const QByteArray release = QByteArray::fromHex("E600ED");
    for (int i = 0; i < presses; ++i) {
        // Held about 400 ms.
        const Clock::time_point pressed = Clock::now();
        QTest::mousePress(jogPlus, Qt::LeftButton);
        waitForBytes(reader, 3);
        QTest::qWait(200);
        QTest::mouseRelease(jogPlus, Qt::LeftButton);
        waitForBytes(reader, 12);
        std::vector<Arrival> a = reader.take();
        QByteArray got;
        for (const Arrival& x : a)
            got.append(static_cast<char>(x.byte));
        if (got != QByteArray::fromHex("D800ED") + release + release + QByteArray::fromHex("E300ED")) {
            ++wrongBytes;
            continue;
        }
        holdDelay.push_back(ms(a[0].at - pressed));
        releaseGap.push_back(ms(a[6].at - a[3].at));

        // A quick click: no hold frame.
        QTest::mouseClick(jogPlus, Qt::LeftButton);
        waitForBytes(reader, 9);
        QTest::qWait(250);
        a = reader.take();
        if (a.size() != 9 || a[0].byte != 0xE6)
            ++quickHolds;
        else
            quickGap.push_back(ms(a[3].at - a[0].at));

        // The space key held 300 ms: only the step frame.
        jogPlus->setFocus();
        QTest::keyPress(jogPlus, Qt::Key_Space);
        QTest::qWait(300);
        QTest::keyRelease(jogPlus, Qt::Key_Space);
        waitForBytes(reader, 3);
        QTest::qWait(100);
        a = reader.take();
        if (a.size() != 3 || a[0].byte != 0xE3)
            ++keyHolds;
    }
    std::printf("jog timing at the far end, %d presses of each kind\n", presses);
    report("press to hold frame (held 400 ms)", holdDelay);
    report("release frame gap (after a hold)", releaseGap);
    report("release frame gap (quick click)", quickGap);
    std::printf("%-40s %d\n", "held presses with wrong bytes", wrongBytes);
    std::printf("%-40s %d\n", "quick clicks with a hold frame or wrong", quickHolds);
    std::printf("%-40s %d\n", "space-key presses not just E3 00 ED", keyHolds);
    return wrongBytes + quickHolds + keyHolds == 0 ? 0 : 2;
}
