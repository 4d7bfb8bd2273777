#include "modbus/modbus_reply.h"

#include "frames/crc16.h"

#include <QStringList>

namespace tessa {
namespace {

std::uint8_t byteAt(QByteArrayView bytes, qsizetype i)
{
    return static_cast<std::uint8_t>(bytes[i]);
}

std::uint16_t wordAt(QByteArrayView bytes, qsizetype i)
{
    return static_cast<std::uint16_t>((byteAt(bytes, i) << 8) | byteAt(bytes, i + 1));
}

constexpr std::uint8_t kExceptionBit = 0x80;

// What in a good frame of the request's slave and function does not answer the request; empty
// when it does. The frame's length was taken from its own byte count.
QString differenceFromRequest(const ModbusRequest& request, QByteArrayView frame)
{
    switch (request.function) {
    case 0x01:
    case 0x02:
    case 0x03:
    case 0x04: {
        const int count = byteAt(frame, 2);
        const bool registers = request.function >= 0x03;
        const int wanted = registers ? 2 * request.value : (request.value + 7) / 8;
        if (count == wanted)
            return {};
        if (registers && count % 2 != 0)
            return QStringLiteral("byte count %1 is odd; %2 registers were asked for (byte count %3)")
                .arg(count)
                .arg(request.value)
                .arg(wanted);
        return registers ? QStringLiteral("%1 registers were asked for (byte count %2), the reply has byte count %3")
                               .arg(request.value)
                               .arg(wanted)
                               .arg(count)
                         : QStringLiteral("%1 bits were asked for (byte count %2), the reply has byte count %3")
                               .arg(request.value)
                               .arg(wanted)
                               .arg(count);
    }
    case 0x05:
    case 0x06:
    case 0x0F:
    case 0x10: {
        const std::uint16_t address = wordAt(frame, 2);
        const std::uint16_t value = wordAt(frame, 4);
        const QString what =
            request.function == 0x06 || request.function == 0x05 ? QStringLiteral("value") : QStringLiteral("count");
        QStringList differs;
        if (address != request.address)
            differs << QStringLiteral("address %1 instead of %2").arg(address).arg(request.address);
        if (value != request.value)
            differs << QStringLiteral("%1 %2 instead of %3").arg(what).arg(value).arg(request.value);
        return differs.isEmpty() ? QString() : QStringLiteral("the echo has ") + differs.join(QStringLiteral(", "));
    }
    default:
        return {};
    }
}

}  // namespace

std::optional<ModbusRequest> parseModbusRequest(QByteArrayView frame)
{
    if (frame.size() < 4)
        return std::nullopt;
    ModbusRequest r;
    r.slave = byteAt(frame, 0);
    r.function = byteAt(frame, 1);
    if (frame.size() >= 6) {
        r.address = wordAt(frame, 2);
        r.value = wordAt(frame, 4);
    }
    return r;
}

QString modbusExceptionName(std::uint8_t code)
{
    switch (code) {
    case 0x01:
        return QStringLiteral("illegal function");
    case 0x02:
        return QStringLiteral("illegal data address");
    case 0x03:
        return QStringLiteral("illegal data value");
    case 0x04:
        return QStringLiteral("slave device failure");
    case 0x05:
        return QStringLiteral("acknowledge");
    case 0x06:
        return QStringLiteral("slave device busy");
    case 0x07:
        return QStringLiteral("negative acknowledge");
    case 0x08:
        return QStringLiteral("memory parity error");
    case 0x0A:
        return QStringLiteral("gateway path unavailable");
    case 0x0B:
        return QStringLiteral("gateway target device failed to respond");
    default:
        return QString();
    }
}

std::optional<qsizetype> expectedModbusReplyLength(const ModbusRequest& request, QByteArrayView received)
{
    if (received.size() < 2)
        return std::nullopt;
    const std::uint8_t function = byteAt(received, 1);
    if (function & kExceptionBit)
        return 5;  // slave, function, code, CRC
    switch (request.function) {
    case 0x01:
    case 0x02:
    case 0x03:
    case 0x04:
        if (received.size() < 3)
            return std::nullopt;
        return 5 + qsizetype {byteAt(received, 2)};  // slave, function, count, data, CRC
    case 0x05:
    case 0x06:
    case 0x0F:
    case 0x10:
        return 8;  // slave, function, address, value or count, CRC
    default:
        return std::nullopt;
    }
}

ModbusReply decodeModbusReply(const ModbusRequest& request, QByteArrayView received)
{
    ModbusReply reply;
    reply.request = request;
    reply.bytes = received.toByteArray();
    if (received.isEmpty())
        return reply;  // NoReply

    const std::optional<qsizetype> length = expectedModbusReplyLength(request, received);
    if (received.size() < 4 || (length && received.size() < *length)) {
        reply.kind = ModbusReply::Kind::Incomplete;
        reply.expectedLength = length.value_or(0);
        return reply;
    }
    const QByteArrayView frame = length ? received.first(*length) : received;
    reply.bytes = frame.toByteArray();
    reply.slave = byteAt(frame, 0);
    reply.function = byteAt(frame, 1);

    const qsizetype body = frame.size() - 2;
    reply.receivedCrc = static_cast<std::uint16_t>(byteAt(frame, body) | (byteAt(frame, body + 1) << 8));
    reply.expectedCrc = modbusCrc16(frame.first(body));
    if (reply.receivedCrc != reply.expectedCrc) {
        reply.kind = ModbusReply::Kind::CrcBad;
        return reply;
    }
    if (reply.slave != request.slave || (reply.function & ~kExceptionBit) != request.function) {
        reply.kind = ModbusReply::Kind::Unexpected;
        return reply;
    }
    if (reply.function & kExceptionBit) {
        reply.kind = ModbusReply::Kind::Exception;
        reply.exceptionCode = byteAt(frame, 2);
        return reply;
    }
    if (const QString differs = differenceFromRequest(request, frame); !differs.isEmpty()) {
        reply.kind = ModbusReply::Kind::Mismatch;
        reply.mismatch = differs;
        return reply;
    }
    switch (reply.function) {
    case 0x03:
    case 0x04:
        reply.kind = ModbusReply::Kind::Registers;
        for (qsizetype i = 3; i + 1 < body; i += 2)
            reply.registers.append(wordAt(frame, i));
        return reply;
    case 0x06:
    case 0x10:
        reply.kind = ModbusReply::Kind::WriteEcho;
        reply.echoAddress = wordAt(frame, 2);
        reply.echoValue = wordAt(frame, 4);
        return reply;
    default:
        reply.kind = ModbusReply::Kind::Other;
        return reply;
    }
}

}  // namespace tessa
