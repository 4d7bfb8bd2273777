#include "position_profile.h"

#include "arithmetic.h"
#include "operation_mode.h"
#include "rates.h"
#include "speed_register.h"

namespace ktr4::motion {
namespace {

ProfileRegisters common_registers(const PositionMove& move, const AxisContext& axis, int32_t distance)
{
    ProfileRegisters r;
    r.target = distance;
    r.mg = axis.magnification;
    r.fh = speed_register(move.max_speed, r.mg);
    r.fl = speed_register(move.start_speed, r.mg);
    r.correction = speed_register_of_magnitude(axis.correction_speed, r.mg);
    return r;
}

RampInput ramp_input(const ProfileRegisters& r, const PositionMove& move)
{
    RampInput in;
    in.fl = r.fl, in.fh = r.fh, in.ur = r.ur, in.dr = r.dr, in.mg = r.mg;
    in.s_acc = r.s_acc, in.s_dec = r.s_dec;
    in.t_acc = move.t_acc, in.t_dec = move.t_dec;
    return in;
}

}  // namespace

ProfileRegisters t_curve_position_profile(const PositionMove& move, const AxisContext& axis, int32_t distance)
{
    ProfileRegisters r = common_registers(move, axis, distance);
    // The deceleration runs over the same speed span as the acceleration.
    r.ur = with_zero_time_rule(t_rate(move.t_acc, r.fl, r.fh), move.t_acc);
    r.dr = with_zero_time_rule(t_rate(move.t_dec, r.fl, r.fh), move.t_dec);

    const RampDown ramp = ramp_down_T(ramp_input(r, move), magnitude(distance));
    r.ramp = ramp.kind;
    r.fh = ramp.fh;
    r.dp = ramp.dp;
    const uint32_t mode = with_operation_code(axis.operation_mode, position_code(axis.mode_variant)) & ~kSCurveBit;
    r.operation_mode = with_ramp_bits(mode, ramp.kind);
    return r;
}

ProfileRegisters s_curve_position_profile(const PositionMove& move, const AxisContext& axis, int32_t distance)
{
    ProfileRegisters r = common_registers(move, axis, distance);
    r.s_acc = s_curve_range(move.sv_acc, r.mg);
    r.s_dec = s_curve_range(move.sv_dec, r.mg);
    r.ur = with_zero_time_rule(s_rate(move.t_acc, r.fl, r.fh, r.s_acc), move.t_acc);
    r.dr = with_zero_time_rule(s_rate(move.t_dec, r.fl, r.fh, r.s_dec), move.t_dec);

    const RampDown ramp = ramp_down_S(ramp_input(r, move), magnitude(distance));
    r.ramp = ramp.kind;
    r.fh = ramp.fh;
    r.dp = ramp.dp;
    if (ramp.ranges_zeroed)
        r.s_acc = r.s_dec = 0;
    const uint32_t mode = with_operation_code(axis.operation_mode, position_code(axis.mode_variant)) | kSCurveBit;
    r.operation_mode = with_ramp_bits(mode, ramp.kind);
    return r;
}

}  // namespace ktr4::motion
