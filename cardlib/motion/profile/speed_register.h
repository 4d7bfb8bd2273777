// Speeds in pulses per second to register units at a magnification.
#pragma once

#include <cstdint>

namespace ktr4::motion {

// floor((MG + 1) × |speed| / 300), clamped to 1..65535.
uint32_t speed_register(int32_t speed, uint32_t mg);
// The same for a speed already given as a magnitude (the correction speed is a u32 field).
uint32_t speed_register_of_magnitude(uint32_t speed, uint32_t mg);

// S-curve section speed (used as unsigned) to an S-curve range: 0 stays 0 (pure S-curve),
// anything else floor((MG + 1) × section / 300) clamped to 1..32767.
uint32_t s_curve_range(int32_t section, uint32_t mg);

}  // namespace ktr4::motion
