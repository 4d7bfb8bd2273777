// Axis bit of a command word: bit n stands for axis n.
#pragma once

#include <cstdint>

namespace ktr4::motion {

// Axis 1 → 2, 2 → 4, 3 → 8; every other value, 0 included, → 1.
inline uint8_t axis_bit(uint8_t axis)
{
    switch (axis) {
    case 1:
        return 0x02;
    case 2:
        return 0x04;
    case 3:
        return 0x08;
    default:
        return 0x01;
    }
}

}  // namespace ktr4::motion
