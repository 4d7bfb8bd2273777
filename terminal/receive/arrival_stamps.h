#pragma once

#include "receive/receive_logs.h"

#include <QByteArrayView>
#include <QString>

#include <deque>

namespace tessa {

// Arrival times on screen: each chunk the port took from the line starts a line of the
// character log with its arrival time, "[hh:mm:ss.zzz] ". Off by default; while off it keeps
// nothing and the logs are filled exactly as without it.
//
// The port reports every chunk as it takes it (chunkArrived); a read hands out the bytes
// that arrived since the previous read, so the chunks a read holds are the newest ones, as many
// as make up its size. Bytes someone else read meanwhile are dropped from the front.
class ArrivalStamps {
public:
    void setEnabled(bool on);
    bool enabled() const { return enabled_; }

    // A chunk of this many bytes arrived at wallMs (milliseconds since the Unix epoch).
    void chunkArrived(qsizetype size, qint64 wallMs);
    // A read of this many bytes was taken for display; its chunks' starts are noted.
    void readTaken(qsizetype size);
    // Appends the next bytes taken for display to the logs, each noted chunk start first
    // stamped in the character log. Returns true when the logs started again on the way.
    bool append(ReceiveLogs& logs, QByteArrayView bytes);

    static QString stampText(qint64 wallMs);

private:
    struct Chunk {
        qint64 position;  // in the stream of bytes taken for display
        qint64 wallMs;
    };

    bool enabled_ = false;
    std::deque<std::pair<qsizetype, qint64>> arrived_;  // size, time; not yet read
    qsizetype arrivedBytes_ = 0;
    std::deque<Chunk> starts_;  // read, not yet appended
    qint64 taken_ = 0;
    qint64 appended_ = 0;
};

}  // namespace tessa
