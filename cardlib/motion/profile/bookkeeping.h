// The commanded end position: where the axis's last move was to end. Moves turn their
// position argument into a distance through it; a stop recorded by note_axis_stop has
// already moved it to where the axis really stopped.
#pragma once

#include <cstdint>

#include "frame/card_table.h"

namespace ktr4::motion {

// Relative move: the distance is dist, plus the lost pulses of a stopped arc once (when both
// correction pending and correction enable are 1, which clears them). Returns the distance.
int32_t book_relative_move(AxisState& axis, int32_t dist);
// Absolute move to `target`: clears correction pending; returns target − commanded end.
int32_t book_absolute_move(AxisState& axis, int32_t target);

inline int32_t book_move(AxisState& axis, int32_t dist, bool absolute) {
  return absolute ? book_absolute_move(axis, dist) : book_relative_move(axis, dist);
}

// A new end for the move that is running: `running_target` is its target amount as the card
// holds it. new_dist is a distance from the running move's start point, or (absolute) the
// new end position.
struct TargetChange {
  int32_t commanded_end = 0;  // the new commanded end position
  int32_t target = 0;         // the new target amount of pulses
};
TargetChange change_running_target(int32_t commanded_end, int32_t running_target, int32_t new_dist, bool absolute);

}  // namespace ktr4::motion
