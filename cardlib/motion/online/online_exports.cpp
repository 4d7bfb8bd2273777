// On-line change of a running T-curve position move or linear interpolation: a new end,
// speeds and times written into the operating registers of the running axes.
#include "frame/card_table.h"
#include "frame/end_position.h"
#include "frame/export_call.h"
#include "frame/register_access.h"
#include "ktr4.h"
#include "online_change.h"
#include "motion/linear/axis_groups.h"
#include "motion/linear/group_profile.h"
#include "motion/profile/arithmetic.h"
#include "motion/profile/magnification.h"
#include "motion/profile/operation_mode.h"
#include "motion/profile/ramp_down.h"
#include "motion/profile/rates.h"
#include "motion/profile/register_codes.h"
#include "motion/profile/speed_register.h"

using namespace ktr4;
using namespace ktr4::motion;

namespace {

inline constexpr uint16_t kStoppedBit = 0x0008;

// 305 when the axis reports stopped: there is no move to change. A failed status read
// refuses the change with the driver's code: registers of an axis in an unknown state are
// not rewritten.
int32_t require_running(uint8_t card, uint8_t axis)
{
    uint16_t word = 0;
    if (int32_t rc = read_main_status(card, axis, &word))
        return rc;
    return (word & kStoppedBit) != 0 ? KTR4_ERR_CHANGE_REFUSED : KTR4_OK;
}

// Always the operating registers: the change applies to the move in progress.
int32_t write_change(uint8_t card, uint8_t axis, const ProfileRegisters& r)
{
    write_register(card, axis, kTargetCode, static_cast<uint32_t>(r.target));
    write_register(card, axis, kMagnificationCode, r.mg);
    write_register(card, axis, kOperatingSpeedCode, r.fh);
    write_register(card, axis, kStartSpeedCode, r.fl);
    write_register(card, axis, kAccelerationRateCode, r.ur);
    write_register(card, axis, kDecelerationRateCode, r.dr);
    write_register(card, axis, kRampDownPointCode, r.dp);
    return write_register(card, axis, kOperationModeCode, r.operation_mode);
}

int32_t change_group(uint8_t card, const AxisGroup& group, const int32_t* positions, bool absolute,
                     const PositionMove& move)
{
    if (!position_move_arguments_valid(move.start_speed, move.max_speed, move.t_acc, move.t_dec))
        return KTR4_ERR_RANGE;
    for (uint8_t i = 0; i < group.count; ++i)
        if (int32_t rc = require_running(card, group.axes[i]))
            return rc;
    uint32_t running[kMaxGroupAxes] = {};
    // Without the running target the move's start point is unknown: nothing is changed.
    for (uint8_t i = 0; i < group.count; ++i)
        if (int32_t rc = read_register(card, group.axes[i], kReadTargetCode, &running[i]))
            return rc;
    if (!speed_within_limit(move.max_speed))
        return KTR4_ERR_RANGE;

    GroupAxis axes[kMaxGroupAxes];
    for (uint8_t i = 0; i < group.count; ++i) {
        AxisState& state = axis_state(card, group.axes[i]);
        const int32_t target = book_running_change(state.end, static_cast<int32_t>(running[i]), positions[i], absolute);
        axes[i] = GroupAxis {target, state.profile.operation_mode, state.profile.mode_variant};
    }
    const AxisState& first = axis_state(card, group.axes[0]);
    const uint32_t mg = magnification_for_move(first, move.max_speed, first.profile.continuous != 0);
    ProfileRegisters regs[kMaxGroupAxes];
    group_profile(move, GroupCurve::kOnLineT, mg, first.profile.correction_speed,
                  std::span<const GroupAxis>(axes, group.count), std::span<ProfileRegisters>(regs, group.count));

    int32_t rc = KTR4_OK;
    for (uint8_t i = 0; i < group.count; ++i) {
        axis_state(card, group.axes[i]).profile.operation_mode = regs[i].operation_mode;
        rc = write_change(card, group.axes[i], regs[i]);
    }
    return rc;
}

}  // namespace

namespace ktr4::motion {

int32_t online_change(uint8_t card, uint8_t axis, int32_t dist, bool absolute, int32_t start_speed, int32_t max_speed,
                      double t_acc, double t_dec)
{
    if (!position_move_arguments_valid(start_speed, max_speed, t_acc, t_dec))
        return KTR4_ERR_RANGE;
    if (int32_t rc = require_running(card, axis))
        return rc;
    if (!speed_within_limit(max_speed))
        return KTR4_ERR_RANGE;

    AxisState& state = axis_state(card, axis);
    RampInput in;
    in.mg = magnification_for_move(state, max_speed, state.profile.continuous != 0);
    in.fh = speed_register(max_speed, in.mg);
    in.fl = speed_register(start_speed, in.mg);
    in.ur = with_zero_time_rule(t_rate(t_acc, in.fl, in.fh), t_acc);
    in.dr = with_zero_time_rule(t_rate(t_dec, in.fl, in.fh), t_dec);
    in.t_acc = t_acc;
    in.t_dec = t_dec;

    uint32_t running = 0;
    if (int32_t rc = read_register(card, axis, kReadTargetCode, &running))
        return rc;
    const int32_t target = book_running_change(state.end, static_cast<int32_t>(running), dist, absolute);

    const uint32_t distance = magnitude(target);
    const RampDown ramp = shape_ramp_T(in, ramp_case_T_manual(in, distance), distance);
    const uint32_t op =
        with_operation_code(state.profile.operation_mode, position_code(state.profile.mode_variant)) & ~kSCurveBit;
    state.profile.operation_mode = with_ramp_bits(op, ramp.kind);

    ProfileRegisters r;
    r.target = target;
    r.mg = in.mg, r.fh = ramp.fh, r.fl = in.fl, r.ur = in.ur, r.dr = in.dr, r.dp = ramp.dp;
    r.operation_mode = state.profile.operation_mode;
    return write_change(card, axis, r);
}

}  // namespace ktr4::motion

extern "C" {

KTR4_API int32_t KTR4_CALL KTR4_OnLine_T_curve_change(ktr4_u8 card_slot, ktr4_u8 axis_slot, int32_t dist, ktr4_u8 mode,
                                                      int32_t start_speed, int32_t max_speed, double t_acc,
                                                      double t_dec)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    return online_change(card, axis, dist, low_byte(mode) != 0, start_speed, max_speed, t_acc, t_dec);
}

KTR4_API int32_t KTR4_CALL KTR4_OnLine_T_curve_change_LINE2(ktr4_u8 card_slot, ktr4_u8 pair, int32_t d1, int32_t d2,
                                                            ktr4_u8 mode, int32_t start_speed, int32_t max_speed,
                                                            double t_acc, double t_dec)
{
    KTR4_CARD_EXPORT(card_slot);
    AxisGroup group;
    if (!pair_group(low_byte(pair), group))
        return KTR4_ERR_RANGE;
    const int32_t positions[] = {d1, d2};
    const PositionMove move {start_speed, max_speed, t_acc, t_dec, 0, 0};
    return change_group(card, group, positions, low_byte(mode) != 0, move);
}

KTR4_API int32_t KTR4_CALL KTR4_OnLine_T_curve_change_LINE3(ktr4_u8 card_slot, ktr4_u8 triple, int32_t d1, int32_t d2,
                                                            int32_t d3, ktr4_u8 mode, int32_t start_speed,
                                                            int32_t max_speed, double t_acc, double t_dec)
{
    KTR4_CARD_EXPORT(card_slot);
    AxisGroup group;
    if (!triple_group(low_byte(triple), group))
        return KTR4_ERR_RANGE;
    const int32_t positions[] = {d1, d2, d3};
    const PositionMove move {start_speed, max_speed, t_acc, t_dec, 0, 0};
    return change_group(card, group, positions, low_byte(mode) != 0, move);
}

KTR4_API int32_t KTR4_CALL KTR4_OnLine_T_curve_change_LINE4(ktr4_u8 card_slot, int32_t d1, int32_t d2, int32_t d3,
                                                            int32_t d4, ktr4_u8 mode, int32_t start_speed,
                                                            int32_t max_speed, double t_acc, double t_dec)
{
    KTR4_CARD_EXPORT(card_slot);
    const int32_t positions[] = {d1, d2, d3, d4};
    const PositionMove move {start_speed, max_speed, t_acc, t_dec, 0, 0};
    return change_group(card, all_axes_group(), positions, low_byte(mode) != 0, move);
}

}  // extern "C"
