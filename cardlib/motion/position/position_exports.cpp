// Single-axis position moves (T-curve and S-curve, relative and absolute) and the change of
// a running move's end.
#include "frame/card_table.h"
#include "frame/end_position.h"
#include "frame/export_call.h"
#include "frame/register_access.h"
#include "ktr4.h"
#include "motion/profile/arithmetic.h"
#include "motion/profile/axis_bit.h"
#include "motion/profile/magnification.h"
#include "motion/profile/move_admission.h"
#include "motion/profile/position_profile.h"
#include "motion/profile/profile_writes.h"
#include "motion/profile/register_codes.h"
#include "position_move.h"

using namespace ktr4;
using namespace ktr4::motion;

namespace ktr4::motion {

int32_t position_move(uint8_t card, uint8_t axis, int32_t dist, bool absolute, const PositionMove& move, Curve curve)
{
    if (!position_move_arguments_valid(move.start_speed, move.max_speed, move.t_acc, move.t_dec))
        return KTR4_ERR_RANGE;
    if (int32_t rc = admit_position_move(card, axis))
        return rc;
    // A stop whose position could not be read leaves the commanded end position stale; a move
    // computed from it would go to the wrong place.
    if (int32_t rc = note_axis_stop(card, axis))
        return rc;
    if (!speed_within_limit(move.max_speed))
        return KTR4_ERR_RANGE;

    AxisState& state = axis_state(card, axis);
    const bool continuous = state.profile.continuous != 0;
    const AxisContext context {magnification_for_move(state, move.max_speed, continuous), state.profile.operation_mode,
                               state.profile.mode_variant, state.profile.correction_speed};
    const int32_t distance = book_move(state.end, dist, absolute);
    const ProfileRegisters r = curve == Curve::kT ? t_curve_position_profile(move, context, distance)
                                                  : s_curve_position_profile(move, context, distance);
    state.profile.operation_mode = r.operation_mode;

    if (curve == Curve::kT) {
        write_burst(card, axis, continuous, r, kTCurveBurst);
    } else {
        write_burst(card, axis, continuous, r, kSCurveBurst);
    }
    // A move whose registers were not all written is not started.
    if (int32_t rc = last_result())
        return rc;
    return write_command(card, axis_bit(axis), kStartCommand);
}

}  // namespace ktr4::motion

namespace {

// The body of the position-move shells.
int32_t checked_position_move(ktr4_u8 card_slot, ktr4_u8 axis_slot, int32_t dist, bool absolute,
                              const PositionMove& move, Curve curve)
{
    const uint8_t card = low_byte(card_slot), axis = low_byte(axis_slot);
    if (int32_t rc = check_card_axis(card, axis))
        return rc;
    return position_move(card, axis, dist, absolute, move, curve);
}

}  // namespace

extern "C" {

KTR4_API int32_t KTR4_CALL KTR4_T_curve_position_move(ktr4_u8 card_slot, ktr4_u8 axis_slot, int32_t dist, ktr4_u8 mode,
                                                      int32_t start_speed, int32_t max_speed, double t_acc,
                                                      double t_dec)
{
    ExportCall call;
    const PositionMove move {start_speed, max_speed, t_acc, t_dec, 0, 0};
    return checked_position_move(card_slot, axis_slot, dist, low_byte(mode) != 0, move, Curve::kT);
}

KTR4_API int32_t KTR4_CALL KTR4_TR_position_move(ktr4_u8 card, ktr4_u8 axis, int32_t dist, int32_t start_speed,
                                                 int32_t max_speed, double t_acc, double t_dec)
{
    ExportCall call;
    const PositionMove move {start_speed, max_speed, t_acc, t_dec, 0, 0};
    return recorded(checked_position_move(card, axis, dist, false, move, Curve::kT));
}

KTR4_API int32_t KTR4_CALL KTR4_TA_position_move(ktr4_u8 card, ktr4_u8 axis, int32_t dist, int32_t start_speed,
                                                 int32_t max_speed, double t_acc, double t_dec)
{
    ExportCall call;
    const PositionMove move {start_speed, max_speed, t_acc, t_dec, 0, 0};
    return recorded(checked_position_move(card, axis, dist, true, move, Curve::kT));
}

KTR4_API int32_t KTR4_CALL KTR4_S_curve_position_move(ktr4_u8 card_slot, ktr4_u8 axis_slot, int32_t dist, ktr4_u8 mode,
                                                      int32_t start_speed, int32_t max_speed, double t_acc,
                                                      double t_dec, int32_t sv_acc, int32_t sv_dec)
{
    ExportCall call;
    const PositionMove move {start_speed, max_speed, t_acc, t_dec, sv_acc, sv_dec};
    return checked_position_move(card_slot, axis_slot, dist, low_byte(mode) != 0, move, Curve::kS);
}

KTR4_API int32_t KTR4_CALL KTR4_SR_position_move(ktr4_u8 card, ktr4_u8 axis, int32_t dist, int32_t start_speed,
                                                 int32_t max_speed, double t_acc, double t_dec, int32_t sv_acc,
                                                 int32_t sv_dec)
{
    ExportCall call;
    const PositionMove move {start_speed, max_speed, t_acc, t_dec, sv_acc, sv_dec};
    return recorded(checked_position_move(card, axis, dist, false, move, Curve::kS));
}

KTR4_API int32_t KTR4_CALL KTR4_SA_position_move(ktr4_u8 card, ktr4_u8 axis, int32_t dist, int32_t start_speed,
                                                 int32_t max_speed, double t_acc, double t_dec, int32_t sv_acc,
                                                 int32_t sv_dec)
{
    ExportCall call;
    const PositionMove move {start_speed, max_speed, t_acc, t_dec, sv_acc, sv_dec};
    return recorded(checked_position_move(card, axis, dist, true, move, Curve::kS));
}

KTR4_API int32_t KTR4_CALL KTR4_position_change(ktr4_u8 card_slot, ktr4_u8 axis_slot, int32_t new_dist, ktr4_u8 mode)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    AxisState& state = axis_state(card, axis);
    if (state.profile.continuous != 0)
        return KTR4_ERR_CHANGE_REFUSED;
    // Without a status or the running target nothing is known to change: a failed read
    // returns its code and leaves card and bookkeeping alone.
    uint8_t stopped = 0;
    if (int32_t rc = read_motion_flag(card, axis, MotionFlag::kStopped, &stopped))
        return rc;
    if (stopped)
        return KTR4_ERR_CHANGE_REFUSED;
    uint32_t running_target = 0;
    if (int32_t rc = read_register(card, axis, kReadTargetCode, &running_target))
        return rc;

    const int32_t target =
        book_running_change(state.end, static_cast<int32_t>(running_target), new_dist, low_byte(mode) != 0);
    return write_register(card, axis, kTargetCode, static_cast<uint32_t>(target));
}

}  // extern "C"
