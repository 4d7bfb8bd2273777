#include "arc_geometry.h"

#include <utility>

#include "ktr4.h"
#include "motion/profile/arithmetic.h"

namespace ktr4::motion {
namespace {

// An unsigned 128-bit number: distances² over the whole 32-bit range reach 2^65, and their
// comparison squares a difference of them. (The 32-bit Windows build has no __int128.)
struct Wide {
    uint64_t hi = 0, lo = 0;
};

bool operator<(Wide a, Wide b)
{
    return a.hi != b.hi ? a.hi < b.hi : a.lo < b.lo;
}

Wide plus(Wide a, Wide b)
{
    const uint64_t lo = a.lo + b.lo;
    return {a.hi + b.hi + (lo < a.lo ? 1u : 0u), lo};
}

Wide minus(Wide a, Wide b)  // a >= b
{
    return {a.hi - b.hi - (a.lo < b.lo ? 1u : 0u), a.lo - b.lo};
}

Wide product(uint64_t a, uint64_t b)
{
    const uint64_t a0 = a & 0xFFFFFFFFu, a1 = a >> 32, b0 = b & 0xFFFFFFFFu, b1 = b >> 32;
    const uint64_t low = a0 * b0, mid1 = a1 * b0, mid2 = a0 * b1, high = a1 * b1;
    const uint64_t mid = (low >> 32) + (mid1 & 0xFFFFFFFFu) + (mid2 & 0xFFFFFFFFu);
    return {high + (mid1 >> 32) + (mid2 >> 32) + (mid >> 32), (mid << 32) | (low & 0xFFFFFFFFu)};
}

uint64_t magnitude64(int64_t value)
{
    return value < 0 ? 0u - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
}

// a² + b² for |a|, |b| < 2^32 (differences of two 32-bit coordinates), exact.
Wide wide_square_sum(int64_t a, int64_t b)
{
    const uint64_t ma = magnitude64(a), mb = magnitude64(b);
    return plus(product(ma, ma), product(mb, mb));
}

// Distance² of the centre from the start and from the end, exact: the end's offset from the
// centre is the true difference of the two coordinates, not one wrapped to 32 bits (a centre
// 2e9 pulses one way and an end 2e9 pulses the other way are 4e9 pulses apart).
Wide start_distance2(int32_t cx, int32_t cy)
{
    return wide_square_sum(cx, cy);
}

Wide end_distance2(int32_t ex, int32_t ey, int32_t cx, int32_t cy)
{
    return wide_square_sum(static_cast<int64_t>(cx) - ex, static_cast<int64_t>(cy) - ey);
}

bool start_at_least_as_far(int32_t ex, int32_t ey, int32_t cx, int32_t cy)
{
    return !(start_distance2(cx, cy) < end_distance2(ex, ey, cx, cy));
}

}  // namespace

bool end_on_start_circle(int32_t ex, int32_t ey, int32_t cx, int32_t cy)
{
    Wide big = start_distance2(cx, cy), small = end_distance2(ex, ey, cx, cy);
    if (big < small)
        std::swap(big, small);
    // √big − √small ≤ T  ⟺  d = big − small − T² ≤ 2T·√small  ⟺  d ≤ 0 or d² ≤ 4T²·small.
    const uint64_t t2 = uint64_t {kArcEndTolerance} * kArcEndTolerance;
    const Wide reach = plus(small, {0, t2});
    if (!(reach < big))
        return true;
    const Wide d = minus(big, reach);
    if (d.hi != 0)
        return false;  // d² ≥ 2^128, beyond 4T²·small (small < 2^65)
    const Wide bound = plus(product(small.lo, 4 * t2), {small.hi * 4 * t2, 0});
    return !(bound < product(d.lo, d.lo));
}

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
