#include "arc_geometry.h"

#include "ktr4.h"
#include "motion/profile/arithmetic.h"

namespace ktr4::motion {
namespace {

// Distance² from the start and from the end, exact: the coordinate differences wrap like
// the card's 32-bit counters, their squares and sums do not.
bool start_at_least_as_far(int32_t ex, int32_t ey, int32_t cx, int32_t cy)
{
    return square_sum(cx, cy) >= square_sum(wrapping_sub(cx, ex), wrapping_sub(cy, ey));
}

}  // namespace

uint64_t square_sum(int32_t a, int32_t b)
{
    const uint64_t ma = magnitude(a), mb = magnitude(b);
    return ma * ma + mb * mb;  // each square at most 2^62: the sum fits
}

int32_t correct_arc_centre(int32_t ex, int32_t ey, int32_t cx, int32_t cy, int32_t* cx_out, int32_t* cy_out)
{
    if (start_at_least_as_far(ex, ey, cx, cy)) {
        *cx_out = cx;
        *cy_out = cy;
        return KTR4_OK;
    }
    int32_t nx = cx;
    int32_t ny = cy;
    bool along_line = false;
    if (ex != cx) {
        // Along the line through the end point and the centre, one pulse in x toward the end.
        const double slope = (static_cast<double>(ey) - cy) / (static_cast<double>(ex) - cx);
        const double b = ey - ex * slope;
        nx = ex <= cx ? wrapping_sub(cx, 1) : wrapping_add(cx, 1);
        if (nx != ex) {
            ny = trunc_to_i32(nx * slope + b);
            along_line = true;
        } else {
            nx = cx;
        }
    }
    if (!along_line) {
        // Straight above or below the end point: step in y.
        ny = ey <= cy ? wrapping_sub(cy, 1) : wrapping_add(cy, 1);
        if (ny == ey)
            return KTR4_ERR_ARC_GEOMETRY;
    }
    *cx_out = nx;
    *cy_out = ny;
    return start_at_least_as_far(ex, ey, nx, ny) ? KTR4_OK : kArcCentreStillShort;
}

ThreePointCentre three_point_centre(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    ThreePointCentre out;
    const double z = static_cast<double>(wrapping_sub(0, x1)) * wrapping_sub(0, y2)
        - static_cast<double>(wrapping_sub(0, x2)) * wrapping_sub(0, y1);
    out.direction = z >= 0.0 ? 1u : 0u;

    const double fx1 = x1, fy1 = y1, fx2 = x2, fy2 = y2;
    const bool first_vertical = y1 == 0;
    const bool second_vertical = y2 == y1;
    const double g1 = first_vertical ? kInfiniteSlope : -fx1 / fy1;
    const double g2 = second_vertical ? kInfiniteSlope : (fx1 - fx2) / (fy2 - fy1);
    if (g1 == g2) {
        out.degenerate = true;
        return out;
    }
    const double mx1 = fx1 * 0.5, my1 = fy1 * 0.5;
    const double mx2 = (fx1 + fx2) * 0.5, my2 = (fy1 + fy2) * 0.5;
    if (!first_vertical && !second_vertical) {
        out.cx = trunc_to_i32((g2 * mx2 - g1 * mx1 + my1 - my2) / (g2 - g1));
        if (out.cx - mx1 == 0.0) {
            out.cy = trunc_to_i32((g1 * g2 * (mx2 - mx1) + g2 * my1 - g1 * my2) / (g2 - g1));
        } else {
            out.cy = wrapping_add(trunc_to_i32((out.cx - mx1) * g1), trunc_to_i32(my1));
        }
    } else if (!first_vertical) {
        out.cx = trunc_to_i32(mx2);
        out.cy = wrapping_add(trunc_to_i32((out.cx - mx1) * g1), trunc_to_i32(my1));
    } else {
        out.cx = trunc_to_i32(mx1);
        out.cy = wrapping_add(trunc_to_i32((out.cx - mx2) * g2), trunc_to_i32(my2));
    }
    return out;
}

}  // namespace ktr4::motion
