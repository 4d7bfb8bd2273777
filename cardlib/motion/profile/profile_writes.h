// The register bursts of a single-axis position move, in the order the card takes them.
#pragma once

#include <cstdint>

#include "position_profile.h"

namespace ktr4::motion {

// Target amount, FL, FH, UR, DR, MG, DP, operation mode, then the correction speed register.
// Every write is made whatever the earlier ones returned; the result is the last one's.
int32_t write_t_curve_registers(uint8_t card, uint8_t axis, bool continuous, const ProfileRegisters& r);
// Target amount, FL, FH, UR, DR, MG, operation mode, DP, S_acc, S_dec, then correction speed.
int32_t write_s_curve_registers(uint8_t card, uint8_t axis, bool continuous, const ProfileRegisters& r);

}  // namespace ktr4::motion
