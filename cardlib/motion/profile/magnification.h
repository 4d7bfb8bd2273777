// Speed magnification (MG): it sets the speed range, 300 / (MG + 1) pps per register unit
// and at most 65 535 × 300 / (MG + 1) pps.
#pragma once

#include <cstdint>

#include "frame/card_table.h"

namespace ktr4::motion {

// The largest MG for which |speed| still fits the 16-bit speed register, within 2..4095;
// speeds 0 and 1 give 4095.
uint32_t speed_magnification(int32_t speed);

// The axis's fixed magnification when honour_fixed and its range is fixed, else the
// magnification of max_speed.
uint32_t magnification_for_move(const AxisState& axis, int32_t max_speed, bool honour_fixed);

}  // namespace ktr4::motion
