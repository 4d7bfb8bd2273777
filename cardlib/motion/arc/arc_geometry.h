// Geometry of the arcs, relative to the start point (0, 0): the one-pulse centre correction
// that keeps the end point from lying outside the circle, and the centre of the circle
// through three points.
#pragma once

#include <cstdint>

namespace ktr4::motion {

// Internal result of a correction step that moved the centre but is not done yet.
inline constexpr int32_t kArcCentreStillShort = 310;

// One correction step for an arc from (0, 0) to (ex, ey) about (cx, cy). Differences, squares
// and their sums are exact over the whole 32-bit range (no wrap), so a large arc is corrected
// as its scaled-down copy is.
// 0: the (possibly moved) centre is at least as far from the start as from the end;
// 310: the centre was moved one pulse and is still short; 308: the step would put the
// centre on the end point's y coordinate above it, nothing is written to the outputs.
int32_t correct_arc_centre(int32_t ex, int32_t ey, int32_t cx, int32_t cy, int32_t* cx_out, int32_t* cy_out);

// The largest number of 310 steps a centre correction may take (one pulse each); a larger
// correction is 302.
inline constexpr uint32_t kMaxCentreCorrections = 65'536;

// Whether the end point (ex, ey) lies on the circle about (cx, cy) through the start (0, 0):
// the two radii differ by at most kArcEndTolerance pulses, decided exactly (no rounding, no
// wrap). An end off that circle would leave the card no path to it.
bool end_on_start_circle(int32_t ex, int32_t ey, int32_t cx, int32_t cy);

inline constexpr uint32_t kArcEndTolerance = 1;  // pulses

struct ThreePointCentre {
    bool degenerate = false;  // the two bisectors have equal slopes: no single circle
    int32_t cx = 0, cy = 0;  // valid when not degenerate
    uint32_t direction = 0;  // 1 counter-clockwise or collinear (z ≥ 0), 0 clockwise
};

// Centre of the circle through (0, 0), (x1, y1) and (x2, y2). A vertical bisector's slope
// is the stand-in value kInfiniteSlope, and slopes are compared for exact equality.
ThreePointCentre three_point_centre(int32_t x1, int32_t y1, int32_t x2, int32_t y2);

inline constexpr double kInfiniteSlope = 1.7e308;

// a² + b², exact: the comparison value of the correction.
uint64_t square_sum(int32_t a, int32_t b);

}  // namespace ktr4::motion
