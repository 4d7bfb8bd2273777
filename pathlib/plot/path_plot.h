// A picture of a planned program: its X-Y path, coloured by the planned speed, and the speed
// along the path against the distance travelled.
#pragma once

#include <string>
#include <vector>

#include "planner/planner.h"

namespace ktr4path {

// An SVG document (800 x 900 px). title goes above both panels.
std::string pathPlotSvg(const std::vector<PlannedBlock>& blocks, const std::string& title);

}  // namespace ktr4path
