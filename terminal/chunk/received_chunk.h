#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <chrono>

namespace tessa {

// One read from the line: the bytes and when they were taken, stamped once where they were
// read. Every part that takes received bytes (the receive views, the traffic log, the reply
// watch, the counters, the auto test, the history, answers and scripts) gets the same chunk.
struct ReceivedChunk {
    QByteArray bytes;
    qint64 wallMs = 0;  // milliseconds since the Unix epoch (system clock)
    qint64 steadyUs = 0;  // microseconds on the steady clock (std::chrono::steady_clock)

    // bytes stamped with the time now.
    static ReceivedChunk stampedNow(QByteArray bytes)
    {
        using namespace std::chrono;
        return {std::move(bytes), duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count(),
                duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count()};
    }
};

}  // namespace tessa
