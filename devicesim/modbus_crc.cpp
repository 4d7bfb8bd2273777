#include "modbus_crc.h"

namespace tessa_device {

std::uint16_t modbusCrc(const std::uint8_t* data, std::size_t size)
{
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001u) : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

bool hasValidCrc(const std::uint8_t* frame, std::size_t size)
{
    if (size < 3)
        return false;
    const std::uint16_t crc = modbusCrc(frame, size - 2);
    return frame[size - 2] == (crc & 0xFF) && frame[size - 1] == (crc >> 8);
}

}  // namespace tessa_device
