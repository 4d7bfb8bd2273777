#include "frames/checksum_frame.h"

#include "frames/frame_text.h"

#include <algorithm>
#include <cstdint>

namespace tessa {

ChecksumFrameResult buildChecksumFrame(const std::array<QString, kChecksumBoxCount>& boxes, bool withChecksum)
{
    ChecksumFrameResult result;
    // Every filled box is checked, also one that lies past the frame: a typo anywhere refuses.
    for (int k = 0; k < kChecksumBoxCount; ++k) {
        if (!boxes[k].isEmpty() && !parseHexByte(boxes[k])) {
            result.badBox = k;
            return result;
        }
    }

    int n =
        static_cast<int>(std::count_if(boxes.begin(), boxes.end(), [](const QString& box) { return !box.isEmpty(); }));
    if (withChecksum)
        ++n;

    result.frame = QByteArray(n, '\0');
    unsigned sum = 0;
    for (int k = 0; k < std::min(n, kChecksumBoxCount); ++k) {
        const std::uint8_t value = *parseHexByte(boxes[k]);
        result.frame[k] = static_cast<char>(value);
        sum = (sum + value) % 256;
    }
    if (withChecksum)
        result.frame[n - 1] = static_cast<char>(sum);
    return result;
}

}  // namespace tessa
