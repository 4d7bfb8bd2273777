#pragma once
// Runs the event loop until a condition holds, for tests without a QTest event loop of their own.
#include <QCoreApplication>
#include <QDeadlineTimer>

#include <functional>

namespace tessa::testing {

inline bool waitFor(const std::function<bool()>& condition, int timeoutMs = 10000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

}  // namespace tessa::testing
