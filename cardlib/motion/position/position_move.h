// A single-axis position move, as the position-move exports and the pulser follower start it.
#pragma once

#include <cstdint>

#include "motion/profile/position_profile.h"

namespace ktr4::motion {

enum class Curve : uint8_t { kT, kS };

// Checks the arguments and the axis, books the move and starts it; returns 302, 303 or 304
// before anything is written, else the export's first failure. The card and axis are valid.
int32_t position_move(uint8_t card, uint8_t axis, int32_t dist, bool absolute, const PositionMove& move, Curve curve);

}  // namespace ktr4::motion
