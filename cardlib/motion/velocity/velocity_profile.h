// Register values of velocity moves and of a change of speed while running, computed
// without touching the card.
#pragma once

#include <cstdint>

#include "frame/register_map.h"

namespace ktr4::motion {

struct VelocityMove {
    int32_t start_speed = 0;  // pps, magnitude used
    int32_t max_speed = 0;  // pps; its sign is the direction
    double t_acc = 0.0;  // s
    int32_t sv = 0;  // S-curve section, pps (S-curve moves only)
};

struct VelocityRegisters {
    uint32_t mg = 2, fl = 1, fh = 1;
    // One ramp: the acceleration rate, or the deceleration rate when the start speed is above
    // the operating speed; for an S-curve its range goes to the range register of that phase.
    uint8_t rate_code = kAccelerationRateCode;
    uint32_t rate = 1;
    uint8_t range_code = kSCurveAccelerationCode;
    uint32_t s_range = 0;
    uint32_t operation_mode = 0;
};

VelocityRegisters t_velocity_profile(const VelocityMove& move, uint32_t mg, uint32_t operation_mode);
VelocityRegisters s_velocity_profile(const VelocityMove& move, uint32_t mg, uint32_t operation_mode);

// A new operating speed for a running axis, ramped from the speed register the card holds
// (f_old) with the S-curve ranges it holds, by the curve kind recorded in the mode shadow.
struct SpeedChange {
    uint32_t fh = 1;
    uint8_t rate_code = kAccelerationRateCode;
    uint32_t rate = 1;
    uint32_t operation_mode = 0;
};

SpeedChange speed_change(int32_t new_speed, double t_change, uint32_t mg, uint32_t f_old, uint32_t s_acc,
                         uint32_t s_dec, uint32_t operation_mode);

}  // namespace ktr4::motion
