// The round trip the tessa window shows for a Modbus reply that comes 1 ms after its request,
// through a pty pair: the real window sends with its panel button, a slave on its own thread
// answers, and the decoded reply area is read. Idle, then with two threads burning CPU beside
// it. Prints min/median/max of the shown round trip and how many requests were judged
// "No reply" within a 50 ms window; exits non-zero when one was.
#include "serial/serial_port.h"
#include "support/pty_pair.h"
#include "support/quick_slave.h"
#include "window/form1.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

template <typename T> T* child(const Form1& form, const char* name)
{
    T* found = form.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no %s", name);
    return found;
}

struct Figures {
    std::vector<double> roundTrips;
    int noReply = 0;
};

Figures measure(Form1& form, int requests)
{
    Figures out;
    auto* text = child<QPlainTextEdit>(form, "ModbusReplyText");
    const QRegularExpression roundTrip(QStringLiteral("Round trip ([0-9.]+) ms"));
    for (int i = 0; i < requests; ++i) {
        text->clear();
        child<QPushButton>(form, "Command37")->click();
        QDeadlineTimer deadline(5000);
        while (text->toPlainText().isEmpty() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const QRegularExpressionMatch match = roundTrip.match(text->toPlainText());
        if (match.hasMatch())
            out.roundTrips.push_back(match.captured(1).toDouble());
        else
            ++out.noReply;
        // Requests a little apart, as an operator's clicks are.
        QDeadlineTimer pause(20);
        while (!pause.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return out;
}

void print(const char* name, Figures figures)
{
    std::vector<double>& v = figures.roundTrips;
    std::sort(v.begin(), v.end());
    if (v.empty()) {
        std::printf("%-7s no round trips shown; %d no reply\n", name, figures.noReply);
        return;
    }
    std::printf("%-7s round trip shown: min %.1f ms, median %.1f ms, max %.1f ms (%zu replies); %d no reply\n", name,
                v.front(), v[v.size() / 2], v.back(), v.size(), figures.noReply);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tessa::testing::PtyPair pty;
    if (!pty.ready())
        return 2;
    tessa::testing::QuickSlave slave(pty.farPath());
    if (!slave.ready())
        return 2;
    qputenv("TESSA_COM3", pty.nearPath().toLocal8Bit());
    Form1 form;
    form.show();
    child<QLineEdit>(form, "Text1")->setText(QStringLiteral("3"));
    child<QPushButton>(form, "Command1")->click();
    if (!form.comm1().isOpen())
        return 2;
    child<QSpinBox>(form, "ModbusReplyWindow")->setValue(50);
    const int requests = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;

    const Figures idle = measure(form, requests);
    std::atomic<bool> stop {false};
    std::vector<std::thread> burners;
    for (int i = 0; i < 2; ++i)
        burners.emplace_back([&stop] {
            volatile unsigned long spin = 0;
            while (!stop.load(std::memory_order_relaxed))
                spin = spin + 1;
        });
    const Figures loaded = measure(form, requests);
    stop = true;
    for (std::thread& t : burners)
        t.join();
    print("idle", idle);
    print("loaded", loaded);
    return idle.noReply + loaded.noReply == 0 ? 0 : 1;
}
