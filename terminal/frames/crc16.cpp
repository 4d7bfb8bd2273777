#include "frames/crc16.h"

namespace tessa {

std::uint16_t modbusCrc16(QByteArrayView data)
{
    // Kept as two 8-bit halves, shifted together, as the devices' documentation states it.
    std::uint8_t low = 0xFF;
    std::uint8_t high = 0xFF;
    for (char c : data) {
        low ^= static_cast<std::uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit) {
            const std::uint8_t oldLow = low;
            low = static_cast<std::uint8_t>((low >> 1) | ((high & 0x01) << 7));
            high = static_cast<std::uint8_t>(high >> 1);
            if (oldLow & 0x01) {
                high ^= 0xA0;
                low ^= 0x01;
            }
        }
    }
    return static_cast<std::uint16_t>((high << 8) | low);
}

void ModBusCRC16(QByteArrayView data, LastCrcText& pair)
{
    const std::uint16_t crc = modbusCrc16(data);
    pair.low = QString::number(crc & 0xFF, 16).toUpper();
    pair.high = QString::number(crc >> 8, 16).toUpper();
}

}  // namespace tessa
