#pragma once

#include <QByteArray>
#include <QString>
#include <array>

namespace tessa {

inline constexpr int kChecksumBoxCount = 10;

// Result of building the "Output" frame from the ten byte boxes.
struct ChecksumFrameResult {
    QByteArray frame;  // the bytes to send when badBox < 0
    int badBox = -1;  // index of the first box that is not a hexadecimal byte, or -1
};

// As many bytes as there are non-empty boxes (plus one for the checksum), taken from box 0
// upwards; with withChecksum the last byte is replaced by the sum of the bytes before it, taken
// modulo 256. A non-empty box that is not 0..FF in hexadecimal refuses the whole frame.
ChecksumFrameResult buildChecksumFrame(const std::array<QString, kChecksumBoxCount>& boxes, bool withChecksum);

}  // namespace tessa
