// The 44-byte interrupt status block the driver fills (little-endian).
#pragma once

#include <cstdint>

namespace ktr4 {

struct InterruptStatus {
    unsigned char bytes[44] = {};

    uint8_t field(uint8_t axis) const { return static_cast<uint8_t>((bytes[0] >> (2 * axis)) & 3u); }
    uint16_t cause(uint8_t axis) const
    {
        const unsigned at = 2 + 2u * axis;
        return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
    }
    uint32_t event_word(uint8_t axis) const { return u32_at(12 + 4u * axis); }
    uint32_t last_word(uint8_t axis) const { return u32_at(28 + 4u * axis); }

private:
    uint32_t u32_at(unsigned at) const
    {
        return static_cast<uint32_t>(bytes[at]) | (static_cast<uint32_t>(bytes[at + 1]) << 8)
            | (static_cast<uint32_t>(bytes[at + 2]) << 16) | (static_cast<uint32_t>(bytes[at + 3]) << 24);
    }
};

}  // namespace ktr4
