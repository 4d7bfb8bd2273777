// What a position-type move checks on an axis before it programs it.
#pragma once

#include <cstdint>

namespace ktr4::motion {

// Continuous flag set: a full continuous buffer → 304; else an axis that does not report
// stopped → 303. A status read that fails returns the driver's code: without a status the
// axis may not be programmed (a full buffer would be overwritten).
int32_t admit_position_move(uint8_t card, uint8_t axis);

}  // namespace ktr4::motion
