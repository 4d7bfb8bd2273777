// Arcs about a centre, arcs and circles through three points, and the resynchronisation of
// an axis's commanded end position with where it stands.
#include "arc_geometry.h"
#include "frame/card_table.h"
#include "frame/end_position.h"
#include "frame/export_call.h"
#include "frame/register_access.h"
#include "ktr4.h"
#include "motion/linear/axis_groups.h"
#include "motion/linear/group_admission.h"
#include "motion/linear/line_move.h"
#include "motion/profile/arithmetic.h"
#include "motion/profile/axis_bit.h"
#include "motion/profile/magnification.h"
#include "motion/profile/operation_mode.h"
#include "motion/profile/register_codes.h"
#include "motion/profile/speed_register.h"
#include "motion/profile/profile_writes.h"

using namespace ktr4;
using namespace ktr4::motion;

namespace {

inline constexpr uint32_t kQueueBit = 0x00008000u;  // bit 15
inline constexpr uint32_t kArcBit = 0x08000000u;  // bit 27
inline constexpr uint32_t kCorrectionModeBits = 0x3000;  // bits 12 and 13

uint32_t arc_operation_mode(uint32_t mode, uint32_t direction)
{
    const uint32_t code = (direction & 0xFFu) != 0 ? kArcReverseCode : kArcCode;
    return (with_operation_code(mode, code) & ~(kSCurveBit | kQueueBit)) | kArcBit;
}

// Relative coordinates of the pair: absolute ones less the commanded end positions.
void to_relative(uint8_t card, const AxisGroup& pair, int32_t& x, int32_t& y)
{
    x = relative_to_end(axis_state(card, pair.axes[0]).end, x);
    y = relative_to_end(axis_state(card, pair.axes[1]).end, y);
}

// The centre register value of an arc: the centre moved, one pulse at a time, until the
// start is at least as far from it as the end.
struct ArcCentre {
    int32_t result = KTR4_OK;  // KTR4_OK, KTR4_ERR_ARC_GEOMETRY, or KTR4_ERR_RANGE when it never settles
    int32_t cx = 0, cy = 0;
};

ArcCentre corrected_centre(int32_t ex, int32_t ey, int32_t cx, int32_t cy)
{
    ArcCentre c {KTR4_OK, cx, cy};
    for (uint32_t count = 0;;) {
        c.result = correct_arc_centre(ex, ey, c.cx, c.cy, &c.cx, &c.cy);
        if (c.result == KTR4_OK || c.result == KTR4_ERR_ARC_GEOMETRY)
            return c;
        if (++count == kMaxCentreCorrections) {
            c.result = KTR4_ERR_RANGE;
            return c;
        }
    }
}

// The T-curve line at the arc's speed that runs where the arc cannot.
int32_t line_instead(uint8_t card, uint8_t selector, int32_t ex, int32_t ey, uint8_t mode, int32_t speed)
{
    return line2(card, selector, ex, ey, mode, PositionMove {speed, speed, 0.0, 0.0, 0, 0}, GroupCurve::kT);
}

int32_t centre_move(uint8_t card, uint8_t selector, const AxisGroup& pair, int32_t cx, int32_t cy, int32_t ex,
                    int32_t ey, uint8_t mode, int32_t speed, uint32_t direction)
{
    // A speed of 0 would creep along the arc for ever.
    if (speed == 0)
        return KTR4_ERR_RANGE;
    if (int32_t rc = admit_group(card, pair))
        return rc;
    if (!speed_within_limit(speed))
        return KTR4_ERR_RANGE;

    AxisState& xs = axis_state(card, pair.axes[0]);
    AxisState& ys = axis_state(card, pair.axes[1]);
    // An arc honours a fixed speed range whatever the continuous flag.
    const uint32_t mg = magnification_for_move(xs, speed, true);
    const uint32_t f = speed_register(speed, mg);

    const bool absolute = mode != 0;
    if (absolute) {
        cx = relative_to_end(xs.end, cx);
        cy = relative_to_end(ys.end, cy);
    }
    const int32_t ex_rel = absolute ? relative_to_end(xs.end, ex) : ex;
    const int32_t ey_rel = absolute ? relative_to_end(ys.end, ey) : ey;
    const ArcCentre centre = corrected_centre(ex_rel, ey_rel, cx, cy);
    if (centre.result == KTR4_ERR_ARC_GEOMETRY) {
        // The line replaces the arc and books itself from where the pair stands; 308 says that
        // the line ran.
        if (int32_t rc = recorded(line_instead(card, selector, ex, ey, mode, speed)))
            return rc;
        return KTR4_ERR_ARC_GEOMETRY;
    }

    // A centre that never settles refuses the arc before anything is booked or written, and so
    // does an end the circle through the start misses: the card could only jump to it.
    if (centre.result != KTR4_OK || !end_on_start_circle(ex_rel, ey_rel, centre.cx, centre.cy))
        return KTR4_ERR_RANGE;
    book_plain_move(xs.end, ex, absolute);
    book_plain_move(ys.end, ey, absolute);

    xs.profile.operation_mode = arc_operation_mode(xs.profile.operation_mode, direction);
    ys.profile.operation_mode = arc_operation_mode(ys.profile.operation_mode, direction);
    // The arc runs without the correction mode a backlash compensation may have switched on.
    for (uint8_t i = 0; i < 2; ++i)
        modify_register(card, pair.axes[i], kEnvironmentCode, [](uint32_t w) { return w & ~kCorrectionModeBits; });

    const int32_t targets[2] = {ex_rel, ey_rel};
    const int32_t centres[2] = {centre.cx, centre.cy};
    for (uint8_t i = 0; i < 2; ++i) {
        const uint8_t axis = pair.axes[i];
        const AxisState& state = axis_state(card, axis);
        ProfileRegisters r;
        r.target = targets[i];
        r.fl = r.fh = f;
        r.mg = mg;
        r.operation_mode = state.profile.operation_mode;
        r.centre = centres[i];
        write_burst(card, axis, state.profile.continuous != 0, r, kArcBurst);
    }
    // An arc whose registers were not all written is not started.
    if (int32_t rc = last_result())
        return rc;
    const int32_t rc =
        write_command(card, static_cast<uint8_t>(axis_bit(pair.axes[0]) + axis_bit(pair.axes[1])), kStartCommand);
    // The next relative move of each axis adds back the pulses the arc may lose.
    for (AxisState* s : {&xs, &ys}) {
        s->end.bookkeeping_armed = 1;
        s->end.correction_enable = 1;
    }
    return rc;
}

// An arc about a centre on the pair named by its selector (0-5, else 302); the card is valid.
int32_t selected_centre_move(uint8_t card, uint8_t selector, int32_t cx, int32_t cy, int32_t ex, int32_t ey,
                             uint8_t mode, int32_t speed, uint32_t direction)
{
    AxisGroup pair;
    if (!pair_group(selector, pair))
        return KTR4_ERR_RANGE;
    return centre_move(card, selector, pair, cx, cy, ex, ey, mode, speed, direction);
}

// The body of the centre-arc shells.
int32_t checked_centre_move(ktr4_u8 card_slot, uint8_t selector, int32_t cx, int32_t cy, int32_t ex, int32_t ey,
                            uint8_t mode, int32_t speed, uint32_t direction)
{
    const uint8_t card = low_byte(card_slot);
    if (int32_t rc = check_card(card))
        return rc;
    return selected_centre_move(card, selector, cx, cy, ex, ey, mode, speed, direction);
}

enum class ThreePoint : uint8_t { kArc, kCircle };

int32_t three_point_move(uint8_t card_slot_byte, uint8_t selector, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                         uint8_t mode, int32_t speed, ThreePoint kind)
{
    AxisGroup pair;
    if (!pair_group(selector, pair))
        return KTR4_ERR_RANGE;
    const uint8_t card = card_slot_byte;
    if (int32_t rc = check_card(card))
        return rc;
    if (mode != 0) {
        to_relative(card, pair, x1, y1);
        to_relative(card, pair, x2, y2);
    }
    const ThreePointCentre c = three_point_centre(x1, y1, x2, y2);
    if (kind == ThreePoint::kArc) {
        if (c.degenerate) {
            // Three points on a line: the line to the end point runs instead, and 308 says so.
            if (int32_t rc = recorded(line_instead(card, selector, x2, y2, 0, speed)))
                return rc;
            return KTR4_ERR_ARC_GEOMETRY;
        }
        return selected_centre_move(card, selector, c.cx, c.cy, x2, y2, 0, speed, c.direction);
    }
    // Three points on a line lie on no circle: nothing moves.
    if (c.degenerate)
        return KTR4_ERR_CIRCLE_GEOMETRY;
    return selected_centre_move(card, selector, c.cx, c.cy, 0, 0, 0, speed, c.direction);
}

}  // namespace

extern "C" {

KTR4_API int32_t KTR4_CALL KTR4_ARC2_center_move(ktr4_u8 card_slot, ktr4_u8 pair_slot, int32_t cx, int32_t cy,
                                                 int32_t ex, int32_t ey, ktr4_u8 mode, int32_t speed,
                                                 uint32_t direction)
{
    ExportCall call;
    return checked_centre_move(card_slot, low_byte(pair_slot), cx, cy, ex, ey, low_byte(mode), speed, direction);
}

KTR4_API int32_t KTR4_CALL KTR4_ARC_center_move_XY(ktr4_u8 card, int32_t cx, int32_t cy, int32_t ex, int32_t ey,
                                                   ktr4_u8 mode, int32_t speed, uint32_t direction)
{
    ExportCall call;
    return recorded(checked_centre_move(card, 0, cx, cy, ex, ey, low_byte(mode), speed, direction));
}

KTR4_API int32_t KTR4_CALL KTR4_ARC_center_move_ZA(ktr4_u8 card, int32_t cx, int32_t cy, int32_t ex, int32_t ey,
                                                   ktr4_u8 mode, int32_t speed, uint32_t direction)
{
    ExportCall call;
    return recorded(checked_centre_move(card, 5, cx, cy, ex, ey, low_byte(mode), speed, direction));
}

KTR4_API int32_t KTR4_CALL KTR4_ARC2_3P_move(ktr4_u8 card, ktr4_u8 pair, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                             ktr4_u8 mode, int32_t speed)
{
    ExportCall call;
    return three_point_move(low_byte(card), low_byte(pair), x1, y1, x2, y2, low_byte(mode), speed, ThreePoint::kArc);
}

KTR4_API int32_t KTR4_CALL KTR4_ARC_3P_move_XY(ktr4_u8 card, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                               ktr4_u8 mode, int32_t speed)
{
    ExportCall call;
    return recorded(three_point_move(low_byte(card), 0, x1, y1, x2, y2, low_byte(mode), speed, ThreePoint::kArc));
}

KTR4_API int32_t KTR4_CALL KTR4_ARC_3P_move_ZA(ktr4_u8 card, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                               ktr4_u8 mode, int32_t speed)
{
    ExportCall call;
    return recorded(three_point_move(low_byte(card), 5, x1, y1, x2, y2, low_byte(mode), speed, ThreePoint::kArc));
}

KTR4_API int32_t KTR4_CALL KTR4_CIR2_3P_move(ktr4_u8 card, ktr4_u8 pair, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                             ktr4_u8 mode, int32_t speed)
{
    ExportCall call;
    return three_point_move(low_byte(card), low_byte(pair), x1, y1, x2, y2, low_byte(mode), speed, ThreePoint::kCircle);
}

KTR4_API int32_t KTR4_CALL KTR4_correct_current_POS(ktr4_u8 card_slot, ktr4_u8 axis_slot)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    uint8_t stopped = 0;
    const int32_t status = read_motion_flag(card, axis, MotionFlag::kStopped, &stopped);
    // A failed status read tells nothing about the axis: nothing is changed.
    if (status != KTR4_OK || !stopped)
        return status;
    int32_t position = 0;
    const int32_t rc = read_command_position(card, axis, &position);
    // A failed position read has no position to take.
    if (rc == KTR4_OK)
        book_position(axis_state(card, axis).end, position);
    return rc;
}

}  // extern "C"
