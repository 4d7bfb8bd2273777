// Setting the operation code and the bits of the operation-mode word that the moves set
// (their values are in the register map).
#pragma once

#include <cstdint>

#include "frame/register_map.h"

namespace ktr4::motion {

inline uint32_t with_operation_code(uint32_t mode, uint32_t code)
{
    return (mode & ~kOperationCodeMask) | code;
}
inline uint32_t with_bits(uint32_t mode, uint32_t bits, bool on)
{
    return on ? (mode | bits) : (mode & ~bits);
}

inline uint32_t position_code(uint8_t mode_variant)
{
    return mode_variant ? kPositionVariantCode : kPositionCode;
}
inline uint32_t interpolation_code(uint8_t mode_variant)
{
    return mode_variant ? kInterpolationVariantCode : kInterpolationCode;
}
inline uint32_t velocity_code(int32_t speed)
{
    return speed < 0 ? kVelocityMinusCode : kVelocityPlusCode;
}

}  // namespace ktr4::motion
