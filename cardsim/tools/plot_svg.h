// The SVG pictures of ktr4-plot: position and speed of each axis against time, and the X-Y
// path when two axes move together.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ktr4plot {

// One moment of a run: time in seconds, and the position and speed of each plotted axis.
struct Sample {
    double t = 0;
    int32_t pos[4] = {};
    double speed[4] = {};
};

// A run to draw: the axes plotted (up to four), in the order of the samples' values.
struct Run {
    std::string title;
    std::vector<uint8_t> axes;
    std::vector<Sample> samples;
};

// Writes the picture of the run to `path`; false when the file cannot be written.
bool write_svg(const std::string& path, const Run& run);

}  // namespace ktr4plot
