#include "homing.h"

#include <cmath>

#include "frame/card_table.h"
#include "frame/export_call.h"
#include "frame/register_access.h"
#include "ktr4.h"
#include "motion/profile/arithmetic.h"
#include "motion/profile/axis_bit.h"
#include "motion/profile/magnification.h"
#include "motion/profile/move_admission.h"
#include "motion/profile/operation_mode.h"
#include "motion/profile/register_codes.h"
#include "motion/profile/speed_register.h"
#include "motion/profile/profile_writes.h"

using namespace ktr4;
using namespace ktr4::motion;

namespace ktr4 {

uint32_t homing_rate(double accel_time, uint32_t fl, uint32_t fh)
{
    constexpr double kTwoTo32 = 4294967296.0;
    const uint32_t divisor = 4u * (fh - fl);
    uint32_t quotient = 0x80000000u;  // integer indefinite: no divisor, or no finite quotient
    if (divisor != 0) {
        const double q = std::trunc(accel_time * 19660800.0 / static_cast<double>(divisor));
        if (std::isfinite(q)) {
            double wrapped = std::fmod(q, kTwoTo32);
            if (wrapped < 0)
                wrapped += kTwoTo32;
            quotient = static_cast<uint32_t>(wrapped);
        }
    }
    uint32_t rate = quotient - 1u;
    if (rate == 0)
        rate = 1;
    if (rate > 65535u)
        rate = 65535u;
    return rate;
}

}  // namespace ktr4

namespace {

struct HomingRequest {
    int32_t start_speed, max_speed;
    double accel_time;
    bool positive;
    bool search;  // origin search over `amount`, home mode cleared
    int32_t amount;
};

int32_t start_homing(uint8_t card, uint8_t axis, const HomingRequest& request)
{
    if (!speed_within_limit(request.start_speed) || !time_valid(request.accel_time))
        return KTR4_ERR_RANGE;
    if (int32_t rc = admit_position_move(card, axis))
        return rc;
    if (!speed_within_limit(request.max_speed))
        return KTR4_ERR_RANGE;

    AxisState& state = axis_state(card, axis);
    const uint32_t mg = magnification_for_move(state, request.max_speed, true);
    const uint32_t fh = speed_register(request.max_speed, mg);
    const uint32_t fl = speed_register(request.start_speed, mg);
    const uint32_t rate = homing_rate(request.accel_time, fl, fh);
    const uint32_t correction = speed_register_of_magnitude(state.profile.correction_speed, mg);

    uint32_t code = request.positive ? kHomeReturnPlusCode : kHomeReturnMinusCode;
    if (request.search)
        code = request.positive ? kHomeSearchPlusCode : kHomeSearchMinusCode;
    state.profile.operation_mode =
        with_bits(with_operation_code(state.profile.operation_mode, code), kSCurveBit, false);

    ProfileRegisters r;
    r.target = request.amount;
    r.fl = fl;
    r.fh = fh;
    r.ur = r.dr = rate;
    r.mg = mg;
    r.operation_mode = state.profile.operation_mode;
    r.correction = correction;
    const auto order =
        request.search ? std::span<const uint8_t>(kHomingSearchBurst) : std::span<const uint8_t>(kHomingBurst);
    write_burst(card, axis, state.profile.continuous != 0, r, order);
    if (request.search)
        modify_register(card, axis, kWord3Code, [](uint32_t word) { return word & ~0xFu; });
    // A move whose registers were not all written is not started.
    if (int32_t rc = last_result())
        return rc;
    return write_command(card, axis_bit(axis), kStartCommand);
}

}  // namespace

extern "C" {

KTR4_API int32_t KTR4_CALL KTR4_config_home_mode(ktr4_u8 card_slot, ktr4_u8 axis_slot, ktr4_u8 mode_slot,
                                                 ktr4_u8 count_slot)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    const uint32_t mode = low_byte(mode_slot), count = low_byte(count_slot);
    if (mode > 12 || count > 15)
        return KTR4_ERR_RANGE;
    return modify_register(card, axis, kWord3Code,
                           [&](uint32_t word) { return (word & ~0xFFu) | (count * 16 + mode); });
}

KTR4_API int32_t KTR4_CALL KTR4_start_homing(ktr4_u8 card_slot, ktr4_u8 axis_slot, int32_t start_speed,
                                             int32_t max_speed, double accel_time, ktr4_u8 direction)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    return start_homing(card, axis, {start_speed, max_speed, accel_time, low_byte(direction) == 0, false, 0});
}

KTR4_API int32_t KTR4_CALL KTR4_start_origin_search_homing(ktr4_u8 card_slot, ktr4_u8 axis_slot, int32_t start_speed,
                                                           int32_t max_speed, double accel_time, ktr4_u8 direction,
                                                           int32_t amount)
{
    KTR4_AXIS_EXPORT(card_slot, axis_slot);
    return start_homing(card, axis, {start_speed, max_speed, accel_time, low_byte(direction) == 0, true, amount});
}

}  // extern "C"
