#include "modbus/modbus_reply_watch.h"

#include <algorithm>

namespace tessa {

ModbusReplyWatch::ModbusReplyWatch(QObject* parent)
    : QObject(parent)
{
    window_.setSingleShot(true);
    window_.setTimerType(Qt::PreciseTimer);
    connect(&window_, &QTimer::timeout, this, &ModbusReplyWatch::finish);
}

void ModbusReplyWatch::setReplyWindowMs(int ms)
{
    windowMs_ = ms > 0 ? ms : kDefaultReplyWindowMs;
}

void ModbusReplyWatch::requestSent(QByteArrayView frame, qint64 arrivedBefore, qint64 sentUs)
{
    if (waiting_)
        finish();
    skip_ = std::max<qint64>(arrivedBefore, 0);
    const std::optional<ModbusRequest> request = parseModbusRequest(frame);
    if (!request)
        return;
    request_ = *request;
    received_.clear();
    lastChunkUs_ = 0;
    waiting_ = true;
    sentUs_ = sentUs > 0 ? sentUs : ReceivedChunk::stampedNow({}).steadyUs;
    window_.start(windowMs_);
}

void ModbusReplyWatch::bytesReceived(const ReceivedChunk& chunk)
{
    QByteArrayView bytes = chunk.bytes;
    const qint64 before = std::min<qint64>(skip_, bytes.size());
    skip_ -= before;
    bytes = bytes.sliced(before);
    if (!waiting_ || bytes.isEmpty())
        return;
    received_.append(bytes);
    lastChunkUs_ = std::max<qint64>(chunk.steadyUs - sentUs_, 0);
    const std::optional<qsizetype> length = expectedModbusReplyLength(request_, received_);
    if (length && received_.size() >= *length)
        finish();
}

void ModbusReplyWatch::finish()
{
    if (!waiting_)
        return;
    waiting_ = false;
    window_.stop();
    ModbusReply reply = decodeModbusReply(request_, received_);
    reply.replyWindowMs = windowMs_;
    if (!received_.isEmpty())
        reply.roundTripMs = static_cast<double>(lastChunkUs_) / 1e3;
    emit replyDecoded(reply);
}

}  // namespace tessa
