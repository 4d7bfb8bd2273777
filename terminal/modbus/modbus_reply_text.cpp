#include "modbus/modbus_reply_text.h"

#include <QStringList>

namespace tessa {
namespace {

QString hex2(unsigned value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

QString hex4(unsigned value)
{
    return QStringLiteral("0x") + QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper();
}

QString wordText(std::uint16_t value)
{
    return QStringLiteral("%1 (%2)").arg(value).arg(hex4(value));
}

// A CRC as its two bytes in wire order (low first), as a technician sees them on the line.
QString crcBytes(std::uint16_t crc)
{
    return hex2(crc & 0xFFu) + u' ' + hex2(crc >> 8);
}

QString head(const ModbusReply& reply)
{
    return QStringLiteral("Slave %1, function %2").arg(reply.slave).arg(hex2(reply.function & 0x7Fu));
}

}  // namespace

QString modbusReplyText(const ModbusReply& reply)
{
    QStringList lines;
    using Kind = ModbusReply::Kind;
    switch (reply.kind) {
    case Kind::NoReply:
        return QStringLiteral("No reply in %1 ms").arg(reply.replyWindowMs);
    case Kind::Incomplete:
        lines << (reply.expectedLength > 0 ? QStringLiteral("Incomplete reply: %1 of %2 bytes")
                                                 .arg(reply.bytes.size())
                                                 .arg(reply.expectedLength)
                                           : QStringLiteral("Incomplete reply: %1 bytes").arg(reply.bytes.size()));
        lines << QString::fromLatin1(reply.bytes.toHex(' ').toUpper());
        break;
    case Kind::CrcBad:
        lines << QStringLiteral("CRC bad: received %1, expected %2")
                     .arg(crcBytes(reply.receivedCrc), crcBytes(reply.expectedCrc));
        lines << QString::fromLatin1(reply.bytes.toHex(' ').toUpper());
        break;
    case Kind::Unexpected:
        lines << head(reply)
                + QStringLiteral(": not a reply to slave %1, function %2")
                      .arg(reply.request.slave)
                      .arg(hex2(reply.request.function));
        break;
    case Kind::Mismatch:
        lines << head(reply) + QStringLiteral(": does not match the request");
        lines << reply.mismatch;
        lines << QString::fromLatin1(reply.bytes.toHex(' ').toUpper());
        break;
    case Kind::Registers:
        lines << head(reply) + QStringLiteral(": %1 registers").arg(reply.registers.size());
        for (qsizetype i = 0; i < reply.registers.size(); ++i) {
            const auto address = static_cast<std::uint16_t>(reply.request.address + i);
            lines << QStringLiteral("%1 = %2").arg(wordText(address), wordText(reply.registers[i]));
        }
        break;
    case Kind::WriteEcho:
        lines << head(reply)
                + (reply.function == 0x06 ? QStringLiteral(": wrote %1 to register %2")
                                                .arg(wordText(reply.echoValue), wordText(reply.echoAddress))
                                          : QStringLiteral(": wrote %1 registers from %2")
                                                .arg(reply.echoValue)
                                                .arg(wordText(reply.echoAddress)));
        break;
    case Kind::Exception: {
        const QString name = modbusExceptionName(reply.exceptionCode);
        lines << head(reply)
                + QStringLiteral(": exception %1 %2")
                      .arg(hex2(reply.exceptionCode), name.isEmpty() ? QStringLiteral("(unknown)") : name);
        break;
    }
    case Kind::Other:
        lines << head(reply) + QStringLiteral(": ") + QString::fromLatin1(reply.bytes.toHex(' ').toUpper());
        break;
    }
    if (reply.roundTripMs)
        lines << QStringLiteral("Round trip %1 ms").arg(*reply.roundTripMs, 0, 'f', 1);
    return lines.join(u'\n');
}

QString modbusVerdictLine(const ModbusReply& reply)
{
    ModbusReply withoutRoundTrip = reply;
    withoutRoundTrip.roundTripMs.reset();
    return modbusReplyText(withoutRoundTrip).replace(u'\n', QStringLiteral("; "));
}

}  // namespace tessa
