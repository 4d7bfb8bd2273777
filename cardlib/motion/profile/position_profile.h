// The whole register set of a single-axis position move, computed from the move's arguments
// and the axis's settings without touching the card.
#pragma once

#include <cstdint>

#include "ramp_down.h"

namespace ktr4::motion {

struct PositionMove {
    int32_t start_speed = 0;  // pps, magnitude used
    int32_t max_speed = 0;  // pps, magnitude used
    double t_acc = 0.0;  // s
    double t_dec = 0.0;  // s
    int32_t sv_acc = 0;  // S-curve sections, pps (S-curve moves only)
    int32_t sv_dec = 0;
};

// What a move takes from the axis's card-table entry.
struct AxisContext {
    uint32_t magnification = 299;  // from magnification_for_move
    uint32_t operation_mode = 0x01000041u;
    uint8_t mode_variant = 0;
    uint32_t correction_speed = 1000;
};

struct ProfileRegisters {
    int32_t target = 0;  // target amount of pulses
    uint32_t fl = 1, fh = 1, ur = 1, dr = 1, mg = 2, dp = 0;
    uint32_t operation_mode = 0;
    uint32_t s_acc = 0, s_dec = 0;  // S-curve moves only
    uint32_t correction = 1;  // correction speed register
    int32_t centre = 0;  // arc centre (arcs only)
    RampCase ramp = RampCase::kNoDeceleration;
};

// `distance` is the target amount after the commanded end position bookkeeping.
ProfileRegisters t_curve_position_profile(const PositionMove& move, const AxisContext& axis, int32_t distance);
ProfileRegisters s_curve_position_profile(const PositionMove& move, const AxisContext& axis, int32_t distance);

}  // namespace ktr4::motion
