// Reading a run recorded as CSV: the simulated card's record (KTR4SIM_RECORD), ktr4-scope's
// "Record" and ktr4-plot's own files share the columns time_s, position_N, speed_N.
#pragma once

#include <string>

#include "plot_svg.h"

namespace ktr4plot {

// Reads the file into `run` (every axis in its columns, in column order); false with a message
// in `error` when it cannot be read or is not such a file.
bool read_recording(const std::string& path, Run& run, std::string& error);

// The axes whose position or speed changes during the run (all of them if none does).
std::vector<uint8_t> moving_axes(const Run& run);
// The run reduced to the given axes.
Run only_axes(const Run& run, const std::vector<uint8_t>& axes);

}  // namespace ktr4plot
