// The profile engine's choice between an operating register and its pre-register.
#pragma once

#include <cstdint>

#include "frame/register_map.h"

namespace ktr4::motion {

inline uint8_t profile_code(uint8_t operating_code, bool continuous)
{
    return continuous ? static_cast<uint8_t>(operating_code - kPreRegisterOffset) : operating_code;
}

}  // namespace ktr4::motion
