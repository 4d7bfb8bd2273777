#include "group_profile.h"

#include "motion/profile/arithmetic.h"
#include "motion/profile/operation_mode.h"
#include "motion/profile/rates.h"
#include "motion/profile/ramp_down.h"
#include "motion/profile/speed_register.h"
#include "path_scaling.h"

namespace ktr4::motion {
namespace {

inline constexpr uint32_t kQueueBit = 0x00008000u;  // bit 15, cleared by every interpolation

uint32_t group_operation_mode(const GroupAxis& axis, GroupCurve curve)
{
    const uint32_t mode = with_operation_code(axis.operation_mode, interpolation_code(axis.mode_variant)) & ~kQueueBit;
    return with_bits(mode, kSCurveBit, curve == GroupCurve::kS);
}

}  // namespace

void group_profile(const PositionMove& move, GroupCurve curve, uint32_t mg, uint32_t correction_speed,
                   std::span<const GroupAxis> axes, std::span<ProfileRegisters> out)
{
    const size_t n = axes.size() < out.size() ? axes.size() : out.size();
    if (n == 0)
        return;

    int32_t targets[4] = {};
    const size_t scaled_count = n < 4 ? n : 4;
    for (size_t i = 0; i < scaled_count; ++i)
        targets[i] = axes[i].target;
    const double share = path_share(std::span<const int32_t>(targets, scaled_count));

    RampInput in;
    in.mg = mg;
    in.fh = speed_register(scaled_speed(move.max_speed, share), mg);
    in.fl = speed_register(scaled_speed(move.start_speed, share), mg);
    in.t_acc = move.t_acc;
    in.t_dec = move.t_dec;
    if (curve == GroupCurve::kS) {
        // The section speeds are not scaled: they shape the ramp, not the path speed.
        in.s_acc = s_curve_range(move.sv_acc, mg);
        in.s_dec = s_curve_range(move.sv_dec, mg);
        in.ur = with_zero_time_rule(s_rate(move.t_acc, in.fl, in.fh, in.s_acc), move.t_acc);
        in.dr = with_zero_time_rule(s_rate(move.t_dec, in.fl, in.fh, in.s_dec), move.t_dec);
    } else {
        in.ur = with_zero_time_rule(t_rate(move.t_acc, in.fl, in.fh), move.t_acc);
        in.dr = with_zero_time_rule(t_rate(move.t_dec, in.fl, in.fh), move.t_dec);
    }

    // One decision for the group, on the first axis's distance.
    const uint32_t first = magnitude(axes[0].target);
    RampCase kind {};
    switch (curve) {
    case GroupCurve::kT:
        kind = ramp_case_T(in, first);
        break;
    case GroupCurve::kS:
        kind = ramp_case_S(in, first);
        break;
    case GroupCurve::kOnLineT:
        kind = ramp_case_T_manual(in, first);
        break;
    }

    const uint32_t correction = speed_register_of_magnitude(correction_speed, mg);
    for (size_t i = 0; i < n; ++i) {
        const uint32_t distance = magnitude(axes[i].target);
        const RampDown ramp =
            curve == GroupCurve::kS ? shape_ramp_S(in, kind, distance) : shape_ramp_T(in, kind, distance);
        ProfileRegisters& r = out[i];
        r = ProfileRegisters {};
        r.target = axes[i].target;
        r.fl = in.fl;
        r.fh = ramp.fh;
        r.ur = in.ur;
        r.dr = in.dr;
        r.mg = mg;
        r.dp = ramp.dp;
        r.s_acc = ramp.ranges_zeroed ? 0 : in.s_acc;
        r.s_dec = ramp.ranges_zeroed ? 0 : in.s_dec;
        r.correction = correction;
        r.ramp = kind;
        r.operation_mode = with_ramp_bits(group_operation_mode(axes[i], curve), kind);
    }
}

}  // namespace ktr4::motion
