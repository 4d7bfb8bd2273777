#pragma once
// Runs the event loop until a condition holds, for tests without a QTest event loop of their own.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

namespace tessa::testing {

inline bool waitFor(const std::function<bool()>& condition, int timeoutMs = 10000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        // Sleeps in the event loop between looks (a condition another thread brings about is
        // seen within 5 ms) instead of spinning a core the tested code needs.
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

}  // namespace tessa::testing
