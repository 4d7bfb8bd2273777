// A two-axis line, as the line exports and the arcs that fall back to a line start it.
#pragma once

#include <cstdint>

#include "group_profile.h"
#include "motion/profile/position_profile.h"

namespace ktr4::motion {

// The pair by its selector (0-5, else 302), `mode` 0 relative, else absolute; checks the
// arguments and both axes, books the line and starts it. The card is valid.
int32_t line2(uint8_t card, uint8_t pair, int32_t d1, int32_t d2, uint8_t mode, const PositionMove& move,
              GroupCurve curve);

}  // namespace ktr4::motion
