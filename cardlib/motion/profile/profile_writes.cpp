#include "profile_writes.h"

#include "frame/register_access.h"
#include "ktr4.h"
#include "register_codes.h"

namespace ktr4::motion {
namespace {

uint32_t value_of(const ProfileRegisters& r, uint8_t code)
{
    switch (code) {
    case kTargetCode:
        return static_cast<uint32_t>(r.target);
    case kStartSpeedCode:
        return r.fl;
    case kOperatingSpeedCode:
        return r.fh;
    case kAccelerationRateCode:
        return r.ur;
    case kDecelerationRateCode:
        return r.dr;
    case kMagnificationCode:
        return r.mg;
    case kRampDownPointCode:
        return r.dp;
    case kOperationModeCode:
        return r.operation_mode;
    case kArcCentreCode:
        return static_cast<uint32_t>(r.centre);
    case kSCurveAccelerationCode:
        return r.s_acc;
    case kSCurveDecelerationCode:
        return r.s_dec;
    default:
        return r.correction;  // kCorrectionSpeedCode
    }
}

}  // namespace

int32_t write_burst(uint8_t card, uint8_t axis, bool continuous, const ProfileRegisters& r,
                    std::span<const uint8_t> order)
{
    int32_t rc = KTR4_OK;
    for (uint8_t code : order) {
        const uint8_t written = code == kCorrectionSpeedCode ? code : profile_code(code, continuous);
        rc = write_register(card, axis, written, value_of(r, code));
    }
    return rc;
}

}  // namespace ktr4::motion
