// How far a program reaches on each axis, arcs included, so the machine's soft limits are
// checked over the whole program before anything moves.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "gcode/canonical.h"
#include "machine/machine.h"

namespace ktr4path {

struct AxisReach {
    double low = 0, high = 0;  // units
    int lowLine = 0, highLine = 0;  // the first line that reaches each (0: the start position)
};
using Extent = std::array<AxisReach, 4>;

Extent programExtent(const Program& program, const Position& start);

// Every place the program leaves a soft limit of the machine, one sentence each (empty: none).
std::vector<std::string> softLimitViolations(const Program& program, const Machine& machine, const Position& start);

}  // namespace ktr4path
