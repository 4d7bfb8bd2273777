#include "poll/modbus_verdict.h"

#include "frames/crc16.h"

namespace tessa {

QByteArray modbusRequestFrame(const ModbusRequest& request)
{
    QByteArray frame;
    frame.append(static_cast<char>(request.slave));
    frame.append(static_cast<char>(request.function));
    frame.append(static_cast<char>(request.address >> 8));
    frame.append(static_cast<char>(request.address & 0xFF));
    frame.append(static_cast<char>(request.value >> 8));
    frame.append(static_cast<char>(request.value & 0xFF));
    const std::uint16_t crc = modbusCrc16(frame);
    frame.append(static_cast<char>(crc & 0xFF));
    frame.append(static_cast<char>(crc >> 8));
    return frame;
}

ModbusVerdict modbusVerdict(const ModbusReply& reply)
{
    switch (reply.kind) {
    case ModbusReply::Kind::Registers:
    case ModbusReply::Kind::WriteEcho:
        return ModbusVerdict::Good;
    case ModbusReply::Kind::Exception:
        return ModbusVerdict::Exception;
    case ModbusReply::Kind::NoReply:
        return ModbusVerdict::NoReply;
    case ModbusReply::Kind::Incomplete:
        return reply.bytes.isEmpty() ? ModbusVerdict::NoReply : ModbusVerdict::Mismatch;
    case ModbusReply::Kind::CrcBad:
    case ModbusReply::Kind::Unexpected:
    case ModbusReply::Kind::Mismatch:
    case ModbusReply::Kind::Other:
        return ModbusVerdict::Mismatch;
    }
    return ModbusVerdict::Mismatch;
}

QString modbusVerdictName(ModbusVerdict verdict)
{
    switch (verdict) {
    case ModbusVerdict::Good:
        return QStringLiteral("good");
    case ModbusVerdict::Mismatch:
        return QStringLiteral("mismatch");
    case ModbusVerdict::Exception:
        return QStringLiteral("exception");
    case ModbusVerdict::NoReply:
        return QStringLiteral("no reply");
    }
    return {};
}

}  // namespace tessa
