#include "modbus_slave.h"

#include "modbus_crc.h"

namespace tessa_device {

namespace {

constexpr std::uint8_t kIllegalFunction = 0x01;
constexpr std::uint8_t kIllegalAddress = 0x02;
constexpr std::uint8_t kIllegalValue = 0x03;

std::uint16_t word(const Bytes& bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

void putWord(Bytes& bytes, std::uint16_t value)
{
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

}  // namespace

Bytes withCrc(Bytes frame)
{
    const std::uint16_t crc = modbusCrc(frame.data(), frame.size());
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return frame;
}

ModbusSlave::ModbusSlave(std::uint8_t id)
    : id_(id)
{
    registers_[kVersionRegister] = kVersion;
}

Bytes ModbusSlave::answer(const Bytes& request)
{
    if (request.size() < 4 || (request[0] != id_ && request[0] != 0))
        return {};
    Bytes reply;
    switch (request[1]) {
    case 0x03:
    case 0x04:
        reply = readRegisters(request);
        break;
    case 0x06:
        reply = writeSingle(request);
        break;
    case 0x10:
        reply = writeMultiple(request);
        break;
    default:
        reply = exception(request[1], kIllegalFunction);
        break;
    }
    // A broadcast is carried out but never answered, so slaves do not talk over each other.
    return request[0] == 0 ? Bytes {} : reply;
}

Bytes ModbusSlave::readRegisters(const Bytes& request)
{
    const std::uint8_t function = request[1];
    if (request.size() != 8)
        return exception(function, kIllegalValue);
    const std::size_t start = word(request, 2);
    const std::size_t count = word(request, 4);
    if (count < 1 || count > 125)
        return exception(function, kIllegalValue);
    if (start + count > kRegisterCount)
        return exception(function, kIllegalAddress);
    Bytes reply {id_, function, static_cast<std::uint8_t>(2 * count)};
    for (std::size_t i = 0; i < count; ++i)
        putWord(reply, registers_[start + i]);
    return withCrc(std::move(reply));
}

Bytes ModbusSlave::writeSingle(const Bytes& request)
{
    if (request.size() != 8)
        return exception(0x06, kIllegalValue);
    const std::size_t address = word(request, 2);
    if (address >= kRegisterCount)
        return exception(0x06, kIllegalAddress);
    registers_[address] = word(request, 4);
    return Bytes(request.begin(), request.end());  // the echo of the request, CRC included
}

Bytes ModbusSlave::writeMultiple(const Bytes& request)
{
    if (request.size() < 9)
        return exception(0x10, kIllegalValue);
    const std::size_t start = word(request, 2);
    const std::size_t count = word(request, 4);
    const std::size_t byteCount = request[6];
    if (count < 1 || count > 123 || byteCount != 2 * count || request.size() != 9 + byteCount)
        return exception(0x10, kIllegalValue);
    if (start + count > kRegisterCount)
        return exception(0x10, kIllegalAddress);
    for (std::size_t i = 0; i < count; ++i)
        registers_[start + i] = word(request, 7 + 2 * i);
    return withCrc(Bytes(request.begin(), request.begin() + 6));
}

Bytes ModbusSlave::exception(std::uint8_t function, std::uint8_t code) const
{
    return withCrc(Bytes {id_, static_cast<std::uint8_t>(function | 0x80), code});
}

}  // namespace tessa_device
