// Canonical moves as straight segments the planner can join: arcs become chords within the
// machine's chord tolerance, and every segment carries the speed and acceleration its axes allow
// along its direction.
#pragma once

#include <array>
#include <vector>

#include "gcode/canonical.h"
#include "machine/machine.h"

namespace ktr4path {

struct Segment {
    int line = 0;
    MoveKind kind = MoveKind::StraightFeed;  // StraightTraverse, StraightFeed, or ArcFeed for a chord
    Position start {}, end {};
    double length = 0;  // mm along X, Y, Z; degrees of A when only A moves
    std::array<double, 4> unit {};  // each axis's travel per unit of length
    double maxSpeed = 0;  // units/s: the feed (or rapid), capped by every axis's max_feed
    double limitSpeed = 0;  // units/s: the axes' (and an arc's) cap alone, whatever the feed
    double accel = 0;  // units/s²: capped by every axis's max_accel
    bool stopBefore = false;  // a dwell, output or stop comes first: enter at speed 0
};

// The segments of a whole program. Dwells, outputs and stops make the next segment start from
// rest (stopBefore); moves too short to matter (below a nanometre) are dropped.
std::vector<Segment> toSegments(const Program& program, const Machine& machine);

// The segments of one motion (a straight move, or an arc's chords), appended to out; none for a
// move too short to matter or for a move that is not a motion.
void appendMoveSegments(const CanonicalMove& move, const Machine& machine, std::vector<Segment>& out);

// The chords of one arc, appended to out (exposed for the tests of the chord tolerance).
void appendArcChords(const CanonicalMove& arc, const Machine& machine, std::vector<Segment>& out);

// Fills in length, unit, maxSpeed and accel of a segment from its ends and its programmed feed
// (units/min; 0 for a traverse). Returns false for a segment of no length.
bool describeSegment(Segment& segment, double feedPerMinute, const Machine& machine);

}  // namespace ktr4path
