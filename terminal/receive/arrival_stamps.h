#pragma once

#include "receive/receive_logs.h"

#include <QByteArrayView>
#include <QString>

#include <deque>

namespace tessa {

// Arrival times on screen: each chunk the port read starts a line of the character log with
// its arrival time, "[hh:mm:ss.zzz] ". Off by default; while off it keeps nothing and the logs
// are filled exactly as without it.
//
// Chunks are noted in the order they are taken for display (chunkTaken), each with the time
// the port stamped on it; append() then lays the stamps in front of the bytes they start.
class ArrivalStamps {
public:
    void setEnabled(bool on);
    bool enabled() const { return enabled_; }

    // The next size bytes taken for display are one chunk that arrived at wallMs
    // (milliseconds since the Unix epoch).
    void chunkTaken(qsizetype size, qint64 wallMs);
    // Appends the next bytes taken for display to the logs, each noted chunk start first
    // stamped in the character log. Returns true when the logs started again on the way.
    bool append(ReceiveLogs& logs, QByteArrayView bytes);

    static QString stampText(qint64 wallMs);

private:
    struct Start {
        qint64 position;  // in the stream of bytes taken for display
        qint64 wallMs;
    };

    bool enabled_ = false;
    std::deque<Start> starts_;  // taken, not yet appended
    qint64 taken_ = 0;
    qint64 appended_ = 0;
};

}  // namespace tessa
