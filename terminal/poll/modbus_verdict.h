#pragma once

#include "modbus/modbus_reply.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace tessa {

// A read (03/04: slave, function, first register, count) or single write (06: slave, 06,
// register, value) request with its CRC. Example: modbusRequestFrame({1, 3, 0x200, 2}) gives
// 01 03 02 00 00 02 C5 B3.
QByteArray modbusRequestFrame(const ModbusRequest& request);

// What one request came to, for scripts and polling.
enum class ModbusVerdict {
    Good,  // the reply answers the request (registers read, write echoed)
    Mismatch,  // a reply, but not a good answer: another slave or function, bad CRC, cut short
    Exception,  // an exception reply
    NoReply,  // nothing arrived in the reply window
};

// The verdict of a decoded reply.
ModbusVerdict modbusVerdict(const ModbusReply& reply);
// "good", "mismatch", "exception", "no reply".
QString modbusVerdictName(ModbusVerdict verdict);

}  // namespace tessa
