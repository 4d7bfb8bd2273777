#pragma once

#include "chunk/received_chunk.h"
#include "poll/modbus_reply_collector.h"
#include "poll/modbus_verdict.h"
#include "poll/register_format.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class QIODevice;

namespace tessa {

// What to poll and how.
struct PollSettings {
    ModbusRequest request;  // a read (03/04) or a single write (06)
    int intervalMs = 0;  // from one request to the next, 1..3600000; 0: as fast as replies come
    qint64 count = 0;  // requests to send; 0: until stopped
    int replyTimeoutMs = 1000;  // the reply window, 1..60000
    // When set, a read whose values differ from these is a mismatch.
    std::optional<QList<std::uint16_t>> expectedValues;
    RegisterFormat format = RegisterFormat::Uint16;
    WordOrder wordOrder = WordOrder::HighFirst;
};

// One request and what came of it.
struct PollRecord {
    qint64 index = 0;  // 1 for the first request
    QDateTime sent;  // wall clock when the request left
    QByteArray request;
    ModbusReply reply;
    ModbusVerdict verdict = ModbusVerdict::NoReply;
    QStringList values;  // the reply's registers in the chosen format
};

// Verdict counts and round trips of the good replies.
class PollStatistics {
public:
    void add(const PollRecord& record);
    qint64 count(ModbusVerdict verdict) const { return counts_[static_cast<size_t>(verdict)]; }
    qint64 total() const;
    // Round trips in milliseconds of replies that came whole (good, mismatch or exception);
    // nullopt before the first.
    std::optional<double> minRoundTripMs() const;
    std::optional<double> medianRoundTripMs() const;
    std::optional<double> maxRoundTripMs() const;
    // "1000 requests: 998 good, 0 mismatch, 2 exception, 0 no reply; round trip min 1.2 ms,
    // median 1.5 ms, max 4.0 ms".
    QString summary() const;

private:
    std::array<qint64, 4> counts_ {};
    mutable std::vector<double> roundTrips_;
    mutable bool sorted_ = true;
};

// The CSV log of a poll: a header line, then one line per request:
//   time,request,reply,verdict,values
//   2026-12-07T19:52:56.123Z,01 03 02 00 00 02 C5 B3,01 03 04 12 34 AB CD 00 20,good,4660 43981
// time in RFC 3339 (UTC, milliseconds), request and reply as hex pairs, the verdict's name, the
// values in the poll's format separated by spaces. Fields are quoted as RFC 4180 says when needed.
QByteArray pollCsvHeader();
QByteArray pollCsvLine(const PollRecord& record);

// Sends one Modbus request again and again and judges each reply.
//
// Example:
//   ModbusPoller poller([&](QByteArrayView b) { return port.write(b); });
//   connect(&port, &SerialPort::received, &poller, [&](const ReceivedChunk& c) { poller.received(c); });
//   poller.start({.request = {1, 3, 0x200, 2}, .count = 1000});
//   ... finished(): poller.statistics().summary()
class ModbusPoller : public QObject {
    Q_OBJECT
public:
    explicit ModbusPoller(std::function<bool(QByteArrayView bytes)> write, QObject* parent = nullptr);

    // Starts polling; false (nothing sent) when the settings are out of range.
    bool start(const PollSettings& settings);
    void stop();
    bool isRunning() const { return running_; }
    // Hands the poller every received chunk.
    void received(const ReceivedChunk& chunk);
    // Copies every record as a CSV line to device (open for writing) from now on; null: none.
    void setCsvLog(QIODevice* device);

    const PollStatistics& statistics() const { return statistics_; }

signals:
    void requestDone(const tessa::PollRecord& record);
    // The count was reached, stop() was called or a write failed (then writeFailed is true).
    void finished(bool writeFailed);

private:
    void sendNext();
    void complete(ModbusReply reply);
    void end(bool writeFailed);

    std::function<bool(QByteArrayView)> write_;
    PollSettings settings_;
    QByteArray frame_;
    std::optional<ModbusReplyCollector> exchange_;
    qint64 sentUs_ = 0;  // steady clock, as chunks are stamped, just before the write
    QElapsedTimer sinceSent_;
    QDateTime sentAt_;
    QTimer replyTimer_;
    QTimer nextTimer_;
    PollStatistics statistics_;
    QIODevice* csv_ = nullptr;
    qint64 sent_ = 0;
    bool running_ = false;
};

}  // namespace tessa
