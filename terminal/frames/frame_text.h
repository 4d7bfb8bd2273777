#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace tessa {

// The two bytes a "0xD+0xA" option appends.
inline constexpr char kCrLf[] = "\r\n";

// One byte per character in the single-byte code page: code points 0..255 become that byte,
// anything else becomes '?' (one '?' per character, also for characters outside the BMP).
QByteArray characterFrame(QStringView text);

// The character frame of text, followed by CR LF when withCrLf is set.
QByteArray characterFrame(QStringView text, bool withCrLf);

// Number of bytes held by hexadecimal text of the given length ("01 03 " shape): the length
// divided by 3, rounded to the nearest integer with halves to even.
qsizetype hexTextByteCount(qsizetype textLength);

// A one-byte hexadecimal value: one or more hex digits (spaces around are ignored) whose value
// is at most FF. Empty or blank text reads as 0. Anything else has no value.
std::optional<std::uint8_t> parseHexByte(QStringView text);

// Bytes of hexadecimal text: byte k is the pair starting at character 3k. Empty when a pair is
// not a hexadecimal byte.
std::optional<QByteArray> hexTextFrame(QStringView text);

}  // namespace tessa
