// The ramping-down point (DP) of a position-type move, and the shortened (triangle) profile
// of a move too short to reach its operating speed.
//
// The decision between the cases and the values of a case are separate steps: an
// interpolation decides once on its first axis and then shapes every axis with its own
// distance.
#pragma once

#include <cstdint>

namespace ktr4::motion {

struct RampInput {
    uint32_t fl = 1, fh = 1, ur = 1, dr = 1, mg = 2;  // register values of the move
    uint32_t s_acc = 0, s_dec = 0;  // S-curve ranges (S-curve moves only)
    double t_acc = 0.0, t_dec = 0.0;  // seconds, as passed
};

enum class RampCase : uint8_t {
    kNoDeceleration,  // Tdec = 0
    kCardFindsPoint,  // Tdec ≤ 2 × Tacc: the card finds the ramping-down point itself
    kFull,  // the whole profile fits the distance
    kTriangle,  // shortened without sections (T-curve, or a pure S-curve triangle)
    kSymmetricShortened,  // S-curve, equal sections, shortened
    kBothSectionsKept,  // S-curve, unequal sections, shortened with both sections
    kLargerSectionGivenUp,  // S-curve, unequal sections, shortened without the larger one
};

struct RampDown {
    RampCase kind = RampCase::kNoDeceleration;
    uint32_t fh = 1;  // operating speed register to write (FH', or FH unchanged)
    uint32_t dp = 0;  // ramping-down point register
    bool ranges_zeroed = false;  // a pure S-curve triangle writes both S-curve ranges as 0
};

// Bits 13 (manual ramping-down point) and 26 (shortened or no deceleration) of the
// operation mode for a case; every other bit is kept.
uint32_t with_ramp_bits(uint32_t mode, RampCase kind);

// Case decisions for a distance of `distance` pulses. All comparisons with a threshold are
// made in double precision and include equality.
RampCase ramp_case_T(const RampInput& in, uint32_t distance);
// The T-curve decision without the card-finds-the-point case (on-line changes).
RampCase ramp_case_T_manual(const RampInput& in, uint32_t distance);
RampCase ramp_case_S(const RampInput& in, uint32_t distance);

// The register values of a case for a distance.
RampDown shape_ramp_T(const RampInput& in, RampCase kind, uint32_t distance);
RampDown shape_ramp_S(const RampInput& in, RampCase kind, uint32_t distance);

inline RampDown ramp_down_T(const RampInput& in, uint32_t distance)
{
    return shape_ramp_T(in, ramp_case_T(in, distance), distance);
}
inline RampDown ramp_down_S(const RampInput& in, uint32_t distance)
{
    return shape_ramp_S(in, ramp_case_S(in, distance), distance);
}

}  // namespace ktr4::motion
