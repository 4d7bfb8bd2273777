#pragma once

#include "modbus/modbus_reply.h"

#include <QByteArray>
#include <QByteArrayView>

namespace tessa {

// Collects the bytes that answer one Modbus request until the reply is whole (its length is
// known from its first bytes), then decodes them. The caller owns the reply window.
//
// Example:
//   ModbusReplyCollector collector(request);
//   ... on every received chunk: if (collector.add(chunk)) reply = collector.finish();
//   ... when the window ends first:  reply = collector.finish();  (no reply, or cut short)
class ModbusReplyCollector {
public:
    explicit ModbusReplyCollector(const ModbusRequest& request)
        : request_(request)
    {
    }

    // Adds received bytes; true once the reply is whole. Bytes beyond it are not part of it.
    bool add(QByteArrayView bytes)
    {
        received_.append(bytes);
        return complete();
    }
    bool complete() const
    {
        const auto length = expectedModbusReplyLength(request_, received_);
        return length && received_.size() >= *length;
    }
    // The reply decoded from what came (nothing: NoReply).
    ModbusReply finish() const { return decodeModbusReply(request_, received_); }
    const ModbusRequest& request() const { return request_; }

private:
    ModbusRequest request_;
    QByteArray received_;
};

}  // namespace tessa
