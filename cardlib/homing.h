// Origin return and origin search: the card runs the axis on a trapezoidal profile until it
// sees its HOME (and, by home mode, EZ) signals.
#pragma once

#include <cstdint>

namespace ktr4 {

// Acceleration and deceleration rate of a homing profile from start speed register `fl` to
// operating speed register `fh`. Unlike a move's rate it works in unsigned 32-bit steps: an
// acceleration time of 0, equal speeds or a start speed above the maximum give the slowest
// rate, 65535.
uint32_t homing_rate(double accel_time, uint32_t fl, uint32_t fh);

}  // namespace ktr4
