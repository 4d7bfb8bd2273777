#pragma once

#include "modbus/modbus_reply.h"

#include <QString>

namespace tessa {

// The decoded reply as lines for the Modbus page, e.g.
//   Slave 1, function 03: 2 registers
//   512 (0x0200) = 4660 (0x1234)
//   513 (0x0201) = 43981 (0xABCD)
//   Round trip 12.4 ms
// or "Slave 1, function 03: exception 02 illegal data address", "CRC bad: received 12 34,
// expected C4 0B", "No reply in 1000 ms".
QString modbusReplyText(const ModbusReply& reply);

// The same verdict on one line, without the round trip: its lines joined by "; ", e.g.
// "Slave 1, function 03: 1 registers; 512 (0x0200) = 4660 (0x1234)".
QString modbusVerdictLine(const ModbusReply& reply);

}  // namespace tessa
