// What an interpolation or arc checks on its group before it programs it.
#pragma once

#include <cstdint>

#include "axis_groups.h"

namespace ktr4::motion {

// Every axis of the group in the first axis's continuous mode (else 306, before any status
// is read); then each axis admitted like a position move, in group order (303 / 304, or a
// failed status read's code); then the stop bookkeeping of each axis brought up to date (a
// failed position read refuses the move with its code, as a single-axis move does).
int32_t admit_group(uint8_t card, const AxisGroup& group);

// Whether all the group's axes share the first axis's continuous mode.
bool continuous_consistent(uint8_t card, const AxisGroup& group);

}  // namespace ktr4::motion
