#include "velocity_profile.h"

#include "motion/profile/operation_mode.h"
#include "motion/profile/rates.h"
#include "motion/profile/register_codes.h"
#include "motion/profile/speed_register.h"

namespace ktr4::motion {
namespace {

VelocityRegisters speeds(const VelocityMove& move, uint32_t mg, uint32_t operation_mode, bool s_curve)
{
    VelocityRegisters r;
    r.mg = mg;
    r.fh = speed_register(move.max_speed, mg);
    r.fl = speed_register(move.start_speed, mg);
    const uint32_t mode = with_operation_code(operation_mode, velocity_code(move.max_speed));
    r.operation_mode = with_bits(mode, kSCurveBit, s_curve);
    return r;
}

}  // namespace

VelocityRegisters t_velocity_profile(const VelocityMove& move, uint32_t mg, uint32_t operation_mode)
{
    VelocityRegisters r = speeds(move, mg, operation_mode, false);
    if (r.fl > r.fh) {
        // Starting above the operating speed: the axis ramps down to it.
        r.rate_code = kDecelerationRateCode;
        r.rate = t_rate(move.t_acc, r.fh, r.fl);
    } else {
        r.rate_code = kAccelerationRateCode;
        r.rate = t_rate(move.t_acc, r.fl, r.fh);
    }
    return r;
}

VelocityRegisters s_velocity_profile(const VelocityMove& move, uint32_t mg, uint32_t operation_mode)
{
    VelocityRegisters r = speeds(move, mg, operation_mode, true);
    r.s_range = s_curve_range(move.sv, mg);
    if (r.fl > r.fh) {
        r.rate_code = kDecelerationRateCode;
        r.range_code = kSCurveDecelerationCode;
        r.rate = s_rate(move.t_acc, r.fh, r.fl, r.s_range);
    } else {
        r.rate_code = kAccelerationRateCode;
        r.range_code = kSCurveAccelerationCode;
        r.rate = s_rate(move.t_acc, r.fl, r.fh, r.s_range);
    }
    return r;
}

SpeedChange speed_change(int32_t new_speed, double t_change, uint32_t mg, uint32_t f_old, uint32_t s_acc,
                         uint32_t s_dec, uint32_t operation_mode)
{
    SpeedChange c;
    c.fh = speed_register(new_speed, mg);
    const bool s_curve = (operation_mode & kSCurveBit) != 0;
    if (c.fh >= f_old) {
        c.rate_code = kAccelerationRateCode;
        c.rate = s_curve ? s_rate(t_change, f_old, c.fh, s_acc) : t_rate(t_change, f_old, c.fh);
    } else {
        c.rate_code = kDecelerationRateCode;
        c.rate = s_curve ? s_rate(t_change, c.fh, f_old, s_dec) : t_rate(t_change, c.fh, f_old);
    }
    c.operation_mode = with_operation_code(operation_mode, velocity_code(new_speed));
    return c;
}

}  // namespace ktr4::motion
