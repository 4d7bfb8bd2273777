// Where the axes of an interpolated move stand after a number of pulses along the move.
#pragma once

#include <array>
#include <cstdint>

namespace ktr4sim::motion {

// A straight line: the card paces it by the axis with the longest distance (`span` pulses),
// and every other axis follows in proportion, so all of them arrive on the same tick.
struct LinePath {
    std::array<int64_t, 4> distance {};  // signed, per axis
    int64_t span = 0;  // the longest |distance|

    static LinePath of(const std::array<int64_t, 4>& distance);
    int64_t offset(int axis, int64_t pulses) const;
};

// A circular arc from (0, 0) about the centre (cx, cy), counter-clockwise or clockwise, to
// the end point (ex, ey). The move runs `length` pulses along the circle at constant speed;
// the last pulse puts the axes on the end point.
struct ArcPath {
    double cx = 0, cy = 0, radius = 0, start_angle = 0, sweep = 0;
    int64_t ex = 0, ey = 0;
    int64_t length = 0;

    static ArcPath of(int64_t cx, int64_t cy, int64_t ex, int64_t ey, bool counter_clockwise);
    void point(int64_t pulses, int64_t* x, int64_t* y) const;
    // The share of the path speed that falls on x and on y there (|cos| and |sin| of the heading).
    void speed_share(int64_t pulses, double* x, double* y) const;
};

}  // namespace ktr4sim::motion
