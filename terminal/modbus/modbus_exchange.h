#pragma once

#include "modbus/modbus_history.h"
#include "modbus/modbus_reply_watch.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QObject>

#include <functional>
#include <optional>

namespace tessa {

// Modbus requests one at a time on the line: a request made while another awaits its reply
// waits its turn and leaves once that reply is judged or its window has ended; beyond
// kMaxQueued waiting requests a new one is refused. Every request that leaves gets exactly one
// verdict (replyDecoded), kept in the history.
//
//   ModbusExchange exchange([&](const QByteArray& f) -> std::optional<qint64> {
//       return port.write(f) ? std::optional(port.arrivedBeforeLastWrite()) : std::nullopt; });
//   connect(&port, &SerialPort::received, &exchange, [&](const ReceivedChunk& c) { exchange.bytesReceived(c); });
//   exchange.submit(frameWithCrc);
class ModbusExchange : public QObject {
    Q_OBJECT
public:
    // Requests that may wait behind the one awaited; a further one is refused.
    static constexpr int kMaxQueued = 16;

    // Puts a request (CRC included) on the line. Returns the bytes that had arrived before it
    // left and are still to be reported to bytesReceived (see SerialPort::arrivedBeforeLastWrite),
    // or nullopt when the write failed (the port is closed).
    using Writer = std::function<std::optional<qint64>(const QByteArray& frame)>;

    explicit ModbusExchange(Writer writer, QObject* parent = nullptr);

    enum class Outcome {
        Sent,  // on the line now
        Queued,  // waits behind the request awaited
        Refused,  // kMaxQueued already wait
        NotSent,  // the write failed; the queue is dropped with it
    };
    Outcome submit(const QByteArray& frame);

    // Every chunk the port received.
    void bytesReceived(const ReceivedChunk& chunk);
    // The line is gone: requests still waiting never leave (the one awaited is judged when its
    // window ends).
    void dropQueued();

    bool isWaiting() const { return watch_.isWaiting(); }
    int queued() const { return static_cast<int>(queue_.size()); }
    void setReplyWindowMs(int ms) { watch_.setReplyWindowMs(ms); }
    int replyWindowMs() const { return watch_.replyWindowMs(); }
    const ModbusHistory& history() const { return history_; }

signals:
    // A request's verdict, once for each request that left.
    void replyDecoded(const tessa::ModbusReply& reply);
    // Whether a reply is awaited or requests wait has changed.
    void stateChanged();

private:
    bool send(const QByteArray& frame);
    void judged(const ModbusReply& reply);

    Writer writer_;
    ModbusReplyWatch watch_;
    ModbusHistory history_;
    QList<QByteArray> queue_;
    QByteArray awaited_;
    QDateTime awaitedSentAt_;
};

}  // namespace tessa
