#pragma once

#include "chunk/received_chunk.h"
#include "modbus/modbus_reply.h"

#include <QObject>
#include <QTimer>

namespace tessa {

// Follows one request at a time: collects the bytes that arrive after it was sent and
// reports the decoded reply as soon as the reply is complete, or when the reply window ends
// (what came by then, or "no reply"). The receive views are fed separately and unchanged.
class ModbusReplyWatch : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultReplyWindowMs = 1000;

    explicit ModbusReplyWatch(QObject* parent = nullptr);

    void setReplyWindowMs(int ms);
    int replyWindowMs() const { return windowMs_; }

    // Call right after the request went out. A reply still awaited is reported first, with
    // what arrived for it so far. arrivedBefore: bytes that had arrived before the request left
    // but are still to be reported to bytesReceived; they answer nothing it asked. sentUs: the
    // steady clock (as chunks are stamped) just before the write; 0 takes it now.
    void requestSent(QByteArrayView frame, qint64 arrivedBefore = 0, qint64 sentUs = 0);
    // Every chunk the port received; ignored while no request is awaited. The round trip ends
    // at the stamp of the chunk that completes the reply (where the line was read), so the way
    // to the window's thread does not count.
    void bytesReceived(const ReceivedChunk& chunk);
    bool isWaiting() const { return waiting_; }

signals:
    void replyDecoded(const tessa::ModbusReply& reply);

private:
    void finish();

    int windowMs_ = kDefaultReplyWindowMs;
    bool waiting_ = false;
    ModbusRequest request_;
    QByteArray received_;
    qint64 skip_ = 0;
    qint64 sentUs_ = 0;  // steady clock, as chunks are stamped
    qint64 lastChunkUs_ = 0;
    QTimer window_;
};

}  // namespace tessa
