// Planned blocks as the card's queued line moves. A queued move on the card starts at its own
// start speed (FL), ramps up to its top speed (FH) and, with no deceleration time, ends there.
// So a block becomes: ramp pieces that rise from one move's top speed to the next's (each move
// starts where the one before ended), cruise pieces, and a staircase down: constant-speed moves,
// each a step lower by at most what every axis takes at once (its start speed), each lasting
// step / acceleration, so the speed falls no faster than the axes' acceleration on average.
// Long pieces are cut so that no move runs longer than a given time: a hold waits for at most
// the running and the queued move.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "machine/machine.h"
#include "planner/planner.h"

namespace ktr4path {

struct CardMove {
    int line = 0;  // program line
    Position start {}, end {};  // units
    std::array<int64_t, kAxisCount> target {};  // absolute pulses of every present axis at the end
    double startSpeed = 0;  // units/s where the move begins (FL)
    double topSpeed = 0;  // units/s it rises to and ends at (FH)
    double accel = 0;  // units/s², the rise's rate
    double length = 0;  // units along the path
    double endAlong = 0;  // units from the block's start to the move's end
    double pulsesPerUnit = 0;  // path pulses per unit along the move (pathPulsesPerUnit)
    std::array<double, kAxisCount> unit {};  // direction of travel
};

// How the card moves as a block begins: the speed (units/s) and direction of the move before it.
// A speed of 0 is a start from rest.
struct Incoming {
    double speed = 0;
    std::array<double, kAxisCount> unit {};
};

struct MoveShape {
    double maxSeconds = 0.02;  // no piece runs longer: a hold or override waits for two of them
    // The shortest stair: when the axes' start speeds allow only tiny steps, the steps grow to
    // accel × this, so a slowdown never needs more than one move per this many seconds.
    double minStairSeconds = 0.002;
};

// The largest speed step (units/s) along the segment that every moving axis takes at once:
// min over the axes of start_speed / |unit|, at least accel × shape.minStairSeconds.
double stairStep(const Segment& segment, const Machine& machine, const MoveShape& shape);

// Appends the card moves of one planned block (its segment may be part of a program segment).
// `incoming` is the move the card runs before it: a step down at the block's start comes on top of
// the step the joint's change of direction takes, and both together stay within each axis's start
// speed. `next` is the segment after the block (nullptr when not known): a drop to the exit too
// small for a stair of its own is taken at once at the joint only when the joint's turn leaves
// room for it, otherwise the exit is a stair of the shortest move.
void appendCardMoves(const PlannedBlock& block, const Machine& machine, const MoveShape& shape,
                     const Incoming& incoming, const Segment* next, std::vector<CardMove>& out);

// Pulses along the card's path per unit along the segment's direction: the path speed the card
// is given is the speed in units/s times this.
double pathPulsesPerUnit(const std::array<double, kAxisCount>& unit, const Machine& machine);

}  // namespace ktr4path
