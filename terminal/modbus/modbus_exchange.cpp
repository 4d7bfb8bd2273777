#include "modbus/modbus_exchange.h"

namespace tessa {

ModbusExchange::ModbusExchange(Writer writer, QObject* parent)
    : QObject(parent)
    , writer_(std::move(writer))
{
    connect(&watch_, &ModbusReplyWatch::replyDecoded, this, &ModbusExchange::judged);
}

ModbusExchange::Outcome ModbusExchange::submit(const QByteArray& frame)
{
    if (watch_.isWaiting()) {
        if (queue_.size() >= kMaxQueued)
            return Outcome::Refused;
        queue_ << frame;
        emit stateChanged();
        return Outcome::Queued;
    }
    const bool sent = send(frame);
    emit stateChanged();
    return sent ? Outcome::Sent : Outcome::NotSent;
}

bool ModbusExchange::send(const QByteArray& frame)
{
    // Taken before the write: a reply read while this thread is held up after the write must
    // not seem to come before its request.
    const qint64 sentUs = ReceivedChunk::stampedNow({}).steadyUs;
    const std::optional<qint64> arrivedBefore = writer_(frame);
    if (!arrivedBefore) {
        queue_.clear();
        return false;
    }
    awaited_ = frame;
    awaitedSentAt_ = QDateTime::currentDateTime();
    watch_.requestSent(frame, *arrivedBefore, sentUs);
    return true;
}

void ModbusExchange::bytesReceived(const ReceivedChunk& chunk)
{
    watch_.bytesReceived(chunk);
}

void ModbusExchange::dropQueued()
{
    if (queue_.isEmpty())
        return;
    queue_.clear();
    emit stateChanged();
}

void ModbusExchange::judged(const ModbusReply& reply)
{
    history_.record(awaitedSentAt_, awaited_, reply);
    emit replyDecoded(reply);
    // The next in turn leaves now; a frame too short to be a request awaits nothing, so the
    // one after it follows at once.
    while (!queue_.isEmpty() && !watch_.isWaiting())
        send(queue_.takeFirst());
    emit stateChanged();
}

}  // namespace tessa
