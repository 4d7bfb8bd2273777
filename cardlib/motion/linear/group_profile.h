// The register sets of every axis of an interpolation (and of an on-line change of one),
// computed from the move's arguments and the axes' settings without touching the card.
//
// Speed registers, rates and magnification are shared by the whole group; the shortening
// decision is made once on the first axis, and each axis is then shaped with its own distance.
#pragma once

#include <cstdint>
#include <span>

#include "motion/profile/position_profile.h"

namespace ktr4::motion {

enum class GroupCurve : uint8_t {
    kT,  // T-curve interpolation: the card may find the ramping-down point itself
    kS,  // S-curve interpolation
    kOnLineT,  // on-line change: always the manual ramping-down point unless Tdec = 0
};

struct GroupAxis {
    int32_t target = 0;  // target amount of pulses after the bookkeeping
    uint32_t operation_mode = 0x01000041u;
    uint8_t mode_variant = 0;
};

// `mg` is the group's magnification (from the first axis); `correction_speed` the first
// axis's correction speed in pps. out[i] receives the registers of axes[i]; both spans have
// the same length (1 to 4). Path speeds are scaled by the share of the longest distance.
void group_profile(const PositionMove& move, GroupCurve curve, uint32_t mg, uint32_t correction_speed,
                   std::span<const GroupAxis> axes, std::span<ProfileRegisters> out);

}  // namespace ktr4::motion
