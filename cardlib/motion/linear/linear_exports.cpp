// Linear interpolation of two, three or four axes (T-curve and S-curve), and the XY and ZA
// wrappers of the two-axis forms.
#include "frame/card_table.h"
#include "frame/end_position.h"
#include "frame/export_call.h"
#include "frame/register_access.h"
#include "ktr4.h"
#include "motion/profile/arithmetic.h"
#include "motion/profile/magnification.h"
#include "motion/profile/register_codes.h"
#include "motion/profile/profile_writes.h"
#include "axis_groups.h"
#include "group_admission.h"
#include "group_profile.h"
#include "line_move.h"

using namespace ktr4;
using namespace ktr4::motion;

namespace {

// `positions` holds the group's arguments in group order.
int32_t line_move(uint8_t card, const AxisGroup& group, const int32_t* positions, bool absolute,
                  const PositionMove& move, GroupCurve curve)
{
    if (!position_move_arguments_valid(move.start_speed, move.max_speed, move.t_acc, move.t_dec))
        return KTR4_ERR_RANGE;
    if (int32_t rc = admit_group(card, group))
        return rc;
    if (!speed_within_limit(move.max_speed))
        return KTR4_ERR_RANGE;

    const AxisState& first = axis_state(card, group.axes[0]);
    const uint32_t mg = magnification_for_move(first, move.max_speed, first.profile.continuous != 0);
    GroupAxis axes[kMaxGroupAxes];
    for (uint8_t i = 0; i < group.count; ++i) {
        AxisState& state = axis_state(card, group.axes[i]);
        axes[i] = GroupAxis {book_move(state.end, positions[i], absolute), state.profile.operation_mode,
                             state.profile.mode_variant};
    }
    ProfileRegisters regs[kMaxGroupAxes];
    group_profile(move, curve, mg, first.profile.correction_speed, std::span<const GroupAxis>(axes, group.count),
                  std::span<ProfileRegisters>(regs, group.count));

    for (uint8_t i = 0; i < group.count; ++i) {
        axis_state(card, group.axes[i]).profile.operation_mode = regs[i].operation_mode;
        // Operating or pre-register codes by each axis's own continuous flag.
        write_burst(card, group.axes[i], axis_state(card, group.axes[i]).profile.continuous != 0, regs[i],
                    curve == GroupCurve::kS ? std::span<const uint8_t>(kSInterpolationBurst)
                                            : std::span<const uint8_t>(kTInterpolationBurst));
    }
    for (uint8_t i = 0; i < group.count; ++i)
        write_register(card, group.axes[i], kCorrectionSpeedCode, regs[i].correction);
    // A move whose registers were not all written is not started.
    if (int32_t rc = last_result())
        return rc;
    return write_command(card, group.bits(), kStartCommand);
}

int32_t line3(uint8_t card, uint8_t triple, int32_t d1, int32_t d2, int32_t d3, uint8_t mode, const PositionMove& move,
              GroupCurve curve)
{
    AxisGroup group;
    if (!triple_group(triple, group))
        return KTR4_ERR_RANGE;
    const int32_t positions[] = {d1, d2, d3};
    return line_move(card, group, positions, mode != 0, move, curve);
}

}  // namespace

namespace ktr4::motion {

int32_t line2(uint8_t card, uint8_t pair, int32_t d1, int32_t d2, uint8_t mode, const PositionMove& move,
              GroupCurve curve)
{
    AxisGroup group;
    if (!pair_group(pair, group))
        return KTR4_ERR_RANGE;
    const int32_t positions[] = {d1, d2};
    return line_move(card, group, positions, mode != 0, move, curve);
}

}  // namespace ktr4::motion

namespace {

// The body of the two-axis line shells.
int32_t checked_line2(ktr4_u8 card_slot, uint8_t pair, int32_t d1, int32_t d2, uint8_t mode, const PositionMove& move,
                      GroupCurve curve)
{
    const uint8_t card = low_byte(card_slot);
    if (int32_t rc = check_card(card))
        return rc;
    return line2(card, pair, d1, d2, mode, move, curve);
}

}  // namespace

extern "C" {

KTR4_API int32_t KTR4_CALL KTR4_T_curve_move_LINE2(ktr4_u8 card_slot, ktr4_u8 pair, int32_t d1, int32_t d2,
                                                   ktr4_u8 mode, int32_t start_speed, int32_t max_speed, double t_acc,
                                                   double t_dec)
{
    ExportCall call;
    const PositionMove move {start_speed, max_speed, t_acc, t_dec, 0, 0};
    return checked_line2(card_slot, low_byte(pair), d1, d2, low_byte(mode), move, GroupCurve::kT);
}

KTR4_API int32_t KTR4_CALL KTR4_S_curve_move_LINE2(ktr4_u8 card_slot, ktr4_u8 pair, int32_t d1, int32_t d2,
                                                   ktr4_u8 mode, int32_t start_speed, int32_t max_speed, double t_acc,
                                                   double t_dec, int32_t sv_acc, int32_t sv_dec)
{
    ExportCall call;
    const PositionMove move {start_speed, max_speed, t_acc, t_dec, sv_acc, sv_dec};
    return checked_line2(card_slot, low_byte(pair), d1, d2, low_byte(mode), move, GroupCurve::kS);
}

KTR4_API int32_t KTR4_CALL KTR4_T_curve_move_XY(ktr4_u8 card, int32_t d1, int32_t d2, ktr4_u8 mode, int32_t start_speed,
                                                int32_t max_speed, double t_acc, double t_dec)
{
    ExportCall call;
    const PositionMove move {start_speed, max_speed, t_acc, t_dec, 0, 0};
    return recorded(checked_line2(card, 0, d1, d2, low_byte(mode), move, GroupCurve::kT));
}

KTR4_API int32_t KTR4_CALL KTR4_T_curve_move_ZA(ktr4_u8 card, int32_t d1, int32_t d2, ktr4_u8 mode, int32_t start_speed,
                                                int32_t max_speed, double t_acc, double t_dec)
{
    ExportCall call;
    const PositionMove move {start_speed, max_speed, t_acc, t_dec, 0, 0};
    return recorded(checked_line2(card, 5, d1, d2, low_byte(mode), move, GroupCurve::kT));
}

KTR4_API int32_t KTR4_CALL KTR4_S_curve_move_XY(ktr4_u8 card, int32_t d1, int32_t d2, ktr4_u8 mode, int32_t start_speed,
                                                int32_t max_speed, double t_acc, double t_dec, int32_t sv_acc,
                                                int32_t sv_dec)
{
    ExportCall call;
    const PositionMove move {start_speed, max_speed, t_acc, t_dec, sv_acc, sv_dec};
    return recorded(checked_line2(card, 0, d1, d2, low_byte(mode), move, GroupCurve::kS));
}

KTR4_API int32_t KTR4_CALL KTR4_S_curve_move_ZA(ktr4_u8 card, int32_t d1, int32_t d2, ktr4_u8 mode, int32_t start_speed,
                                                int32_t max_speed, double t_acc, double t_dec, int32_t sv_acc,
                                                int32_t sv_dec)
{
    ExportCall call;
    const PositionMove move {start_speed, max_speed, t_acc, t_dec, sv_acc, sv_dec};
    return recorded(checked_line2(card, 5, d1, d2, low_byte(mode), move, GroupCurve::kS));
}

KTR4_API int32_t KTR4_CALL KTR4_T_curve_move_LINE3(ktr4_u8 card_slot, ktr4_u8 triple, int32_t d1, int32_t d2,
                                                   int32_t d3, ktr4_u8 mode, int32_t start_speed, int32_t max_speed,
                                                   double t_acc, double t_dec)
{
    KTR4_CARD_EXPORT(card_slot);
    const PositionMove move {start_speed, max_speed, t_acc, t_dec, 0, 0};
    return line3(card, low_byte(triple), d1, d2, d3, low_byte(mode), move, GroupCurve::kT);
}

KTR4_API int32_t KTR4_CALL KTR4_S_curve_move_LINE3(ktr4_u8 card_slot, ktr4_u8 triple, int32_t d1, int32_t d2,
                                                   int32_t d3, ktr4_u8 mode, int32_t start_speed, int32_t max_speed,
                                                   double t_acc, double t_dec, int32_t sv_acc, int32_t sv_dec)
{
    KTR4_CARD_EXPORT(card_slot);
    const PositionMove move {start_speed, max_speed, t_acc, t_dec, sv_acc, sv_dec};
    return line3(card, low_byte(triple), d1, d2, d3, low_byte(mode), move, GroupCurve::kS);
}

KTR4_API int32_t KTR4_CALL KTR4_T_curve_move_LINE4(ktr4_u8 card_slot, int32_t d1, int32_t d2, int32_t d3, int32_t d4,
                                                   ktr4_u8 mode, int32_t start_speed, int32_t max_speed, double t_acc,
                                                   double t_dec)
{
    KTR4_CARD_EXPORT(card_slot);
    const PositionMove move {start_speed, max_speed, t_acc, t_dec, 0, 0};
    const int32_t positions[] = {d1, d2, d3, d4};
    return line_move(card, all_axes_group(), positions, low_byte(mode) != 0, move, GroupCurve::kT);
}

KTR4_API int32_t KTR4_CALL KTR4_S_curve_move_LINE4(ktr4_u8 card_slot, int32_t d1, int32_t d2, int32_t d3, int32_t d4,
                                                   ktr4_u8 mode, int32_t start_speed, int32_t max_speed, double t_acc,
                                                   double t_dec, int32_t sv_acc, int32_t sv_dec)
{
    KTR4_CARD_EXPORT(card_slot);
    const PositionMove move {start_speed, max_speed, t_acc, t_dec, sv_acc, sv_dec};
    const int32_t positions[] = {d1, d2, d3, d4};
    return line_move(card, all_axes_group(), positions, low_byte(mode) != 0, move, GroupCurve::kS);
}

}  // extern "C"
