// Reads a whole part program into canonical moves, as RS274/NGC reads it: modal groups, the
// order in which one line's words act, and an error (line, column) for anything it cannot run.
// The whole program is read before anything can move, so a fault on the last line stops it too.
#pragma once

#include <string_view>

#include "gcode/canonical.h"
#include "machine/machine.h"

namespace ktr4path {

// How far the end of a centre-form arc may lie off the circle through its start: the radii at
// the two ends may differ by this much, or by kArcRadiusRelativeTolerance of the radius when
// that is more (the same rule for programs in inches, converted to mm).
inline constexpr double kArcRadiusTolerance = 0.01;  // mm
inline constexpr double kArcRadiusRelativeTolerance = 0.001;  // of the start radius

// Throws ProgramError. start is where the machine stands when the program begins.
Program interpret(std::string_view text, const Machine& machine, const Position& start = {});

}  // namespace ktr4path
