// Runs of short straight feeds that lie on one line within a tolerance, joined into one segment.
// CAM output approximates curves by many tiny G1 lines; each would be a card move of its own, and
// the card takes about 500 queued moves a second. Joined within the chord tolerance (as open
// controllers blend such runs), a 0.1 mm chord circle at full feed needs a move every few
// milliseconds instead of one every half. The joined segment is planned like any other, so every
// joint and axis limit still holds; the program's own segments stay for line numbers, single
// block and holds.
#pragma once

#include <cstddef>
#include <vector>

#include "machine/machine.h"
#include "planner/segments.h"

namespace ktr4path {

// Most segments one joined run takes.
inline constexpr size_t kMostJoined = 128;

// The end (exclusive) of the longest run from `first` up to `limit` (exclusive) that may be one
// straight segment: straight feeds (G1) only, no stop between them, A not moving, one feed, every
// joint within the machine's chord tolerance of the line from the run's start to its end and each
// further along it than the one before, and no piece turned off that line by more than a share of
// each axis's start speed allows at the feed times `speedFactor` (the feed override, 0.1..2).
// Returns first + 1 when nothing joins.
size_t straightRunEnd(const std::vector<Segment>& segments, size_t first, size_t limit, const Machine& machine,
                      double speedFactor = 1.0);

// The segment from segments[first].start to segments[end - 1].end, its speeds and acceleration
// within those of every segment it replaces.
Segment joinedSegment(const std::vector<Segment>& segments, size_t first, size_t end, const Machine& machine);

// Where a point `along` units into the joined segment [first, end) lies on the program's own
// segments: the segment's index and the units along it (its joint's projection decides).
struct PieceAt {
    size_t index = 0;
    double along = 0;
};
PieceAt pieceAt(const std::vector<Segment>& segments, size_t first, size_t end, double along);

}  // namespace ktr4path
