// The commanded end position of an axis: where its last move was to end. It has one owner:
// every change of it goes through these functions. Moves turn their position argument into
// a distance through it; a stop recorded by note_axis_stop moves it to where the axis
// really stopped.
#pragma once

#include <cstdint>

#include "card_table.h"

namespace ktr4 {

// Relative move: the distance is dist, plus the lost pulses of a stopped arc once (when both
// correction pending and correction enable are 1, which clears them). Returns the distance.
int32_t book_relative_move(AxisEnd& axis, int32_t dist);
// Absolute move to `target`: clears correction pending; returns target − commanded end.
int32_t book_absolute_move(AxisEnd& axis, int32_t target);

inline int32_t book_move(AxisEnd& axis, int32_t dist, bool absolute)
{
    return absolute ? book_absolute_move(axis, dist) : book_relative_move(axis, dist);
}

// A move that takes its argument as it is, without lost pulses or correction flags (arcs,
// the pulser's position move): returns the distance.
int32_t book_plain_move(AxisEnd& axis, int32_t value, bool absolute);

// The axis is known to be at `position` (a position set or read back).
void book_position(AxisEnd& axis, int32_t position);

// The axis stopped at `position`: the pulses it lost on the way to its end are recorded and
// wait to be added to the next relative move that asks for them.
void book_stop(AxisEnd& axis, int32_t position);

// An absolute coordinate as a distance from the commanded end position.
int32_t relative_to_end(const AxisEnd& axis, int32_t coordinate);

// A new end for the move that is running: `running_target` is its target amount as the card
// holds it. new_dist is a distance from the running move's start point, or (absolute) the
// new end position.
struct TargetChange {
    int32_t commanded_end = 0;  // the new commanded end position
    int32_t target = 0;  // the new target amount of pulses
};
TargetChange change_running_target(int32_t commanded_end, int32_t running_target, int32_t new_dist, bool absolute);
// Books that change; returns the new target amount.
int32_t book_running_change(AxisEnd& axis, int32_t running_target, int32_t new_dist, bool absolute);

}  // namespace ktr4
