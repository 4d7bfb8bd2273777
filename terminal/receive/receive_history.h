#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <deque>
#include <optional>

namespace tessa {

// Every byte received in the session, up to a bound: beside the receive views (whose logs
// start again at their designed limit) it keeps the last capacity bytes at least, in blocks of
// kBlockBytes, so memory stays within capacity + one block. Bytes are numbered from the start
// of the session; the oldest blocks go first.
//
//   ReceiveHistory history;
//   connect(&port, &SerialPort::received, [&](const ReceivedChunk& c) { history.append(c.bytes); });
//   if (auto at = history.find("MARK", history.firstKept(), true)) ... history.bytes(*at, 64);
class ReceiveHistory {
public:
    static constexpr qint64 kBlockBytes = 1024 * 1024;
    static constexpr qint64 kDefaultCapacity = 64 * kBlockBytes;

    // capacity: bytes kept at least (rounded up to whole blocks), at least one block.
    explicit ReceiveHistory(qint64 capacity = kDefaultCapacity);

    void append(QByteArrayView bytes);
    void clear();

    // Bytes received since the start (or the last clear), kept or not.
    qint64 totalBytes() const { return total_; }
    // Number of the oldest byte still kept (0 until the bound bites).
    qint64 firstKept() const { return total_ - kept_; }
    // Bytes held in memory now (their blocks' reserved size).
    qint64 memoryBytes() const;
    // Up to count bytes from number from; what is no longer kept or not yet received is left out.
    QByteArray bytes(qint64 from, qint64 count) const;
    // Number of the first byte of needle at or after from (forward), or the last one starting
    // before from (backward); nothing when it is not among the bytes kept.
    std::optional<qint64> find(QByteArrayView needle, qint64 from, bool forward) const;

private:
    qint64 capacity_;
    std::deque<QByteArray> blocks_;
    qint64 total_ = 0;
    qint64 kept_ = 0;
};

}  // namespace tessa
