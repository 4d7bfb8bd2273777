// The on-line change of a running single-axis move, as its export and the pulser follower make it.
#pragma once

#include <cstdint>

namespace ktr4::motion {

// Moves the running move's end to `dist` (relative to where the move started, or absolute);
// 302 or 305 (or a failed read's code) before anything is written, else the export's first
// failure. The card and axis are valid.
int32_t online_change(uint8_t card, uint8_t axis, int32_t dist, bool absolute, int32_t start_speed, int32_t max_speed,
                      double t_acc, double t_dec);

}  // namespace ktr4::motion
