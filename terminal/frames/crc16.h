#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>

namespace tessa {

// CRC-16/MODBUS: initial FFFF, reflected polynomial A001, no final XOR.
std::uint16_t modbusCrc16(QByteArrayView data);

// The window's record of the last CRC: each byte as upper-case hex without a leading zero.
struct LastCrcText {
    QString low;
    QString high;
};

// Computes the CRC over every byte of data and leaves its two bytes' text in pair.
void ModBusCRC16(QByteArrayView data, LastCrcText& pair);

}  // namespace tessa
