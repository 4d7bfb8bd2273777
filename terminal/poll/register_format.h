#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace tessa {

// How register values are shown.
enum class RegisterFormat {
    Int16,  // each register signed: -32768..32767
    Uint16,  // each register unsigned: 0..65535
    Hex,  // each register as four hex digits: 0x1234
    Int32,  // two registers per value, signed
    Float32,  // two registers per value, IEEE 754 single precision
};

// Which register of a pair holds the high half of an Int32 or Float32.
enum class WordOrder {
    HighFirst,  // the first register is the high word (big-endian, the common layout)
    LowFirst,  // the first register is the low word ("word swapped")
};

// The values of registers in format; a 32-bit format takes registers two by two and shows an
// odd last register on its own as uint16. Examples: {0x1234} Hex -> "0x1234";
// {0x3F80, 0x0000} Float32 HighFirst -> "1"; {0x0000, 0x3F80} Float32 LowFirst -> "1";
// {0xFFFF, 0xFFFE} Int32 HighFirst -> "-2".
QStringList formatRegisters(const QList<std::uint16_t>& registers, RegisterFormat format,
                            WordOrder order = WordOrder::HighFirst);

// "int16", "uint16", "hex", "int32", "float32" and "high-first", "low-first", and back.
QString registerFormatName(RegisterFormat format);
std::optional<RegisterFormat> registerFormatFromName(const QString& name);
QString wordOrderName(WordOrder order);
std::optional<WordOrder> wordOrderFromName(const QString& name);

}  // namespace tessa
