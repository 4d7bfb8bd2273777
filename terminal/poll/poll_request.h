#pragma once

#include "modbus/modbus_reply.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace tessa {

// A poll's request as typed: slave, function, register, then the count (03/04, 1..125) or the
// value written (06, 0..65535), comma separated, each decimal or 0x hexadecimal. Slave 1..247;
// function 3, 4 or 6. nullopt with the reason in error otherwise.
// Example: parsePollRequest(u"1,3,0x200,2") is {1, 3, 0x200, 2}.
std::optional<ModbusRequest> parsePollRequest(QStringView text, QString* error = nullptr);
// The request in that form, e.g. "1,3,0x0200,2".
QString pollRequestText(const ModbusRequest& request);

// Register values a read must return, comma or space separated, each 0..65535 decimal or 0x
// hexadecimal; nullopt with the reason in error otherwise (an empty text too).
// Example: parseRegisterValues(u"0x1234, 43981") is {0x1234, 0xABCD}.
std::optional<QList<std::uint16_t>> parseRegisterValues(QStringView text, QString* error = nullptr);

}  // namespace tessa
