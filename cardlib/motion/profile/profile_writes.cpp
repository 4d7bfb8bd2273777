#include "profile_writes.h"

#include "frame/register_access.h"
#include "register_codes.h"

namespace ktr4::motion {
namespace {

struct Burst {
  uint8_t card, axis;
  bool continuous;
  int32_t write(uint8_t operating_code, uint32_t value) const {
    return write_register(card, axis, profile_code(operating_code, continuous), value);
  }
  int32_t correction(uint32_t value) const { return write_register(card, axis, kCorrectionSpeedCode, value); }
};

}  // namespace

int32_t write_t_curve_registers(uint8_t card, uint8_t axis, bool continuous, const ProfileRegisters& r) {
  const Burst b{card, axis, continuous};
  b.write(kTargetCode, static_cast<uint32_t>(r.target));
  b.write(kStartSpeedCode, r.fl);
  b.write(kOperatingSpeedCode, r.fh);
  b.write(kAccelerationRateCode, r.ur);
  b.write(kDecelerationRateCode, r.dr);
  b.write(kMagnificationCode, r.mg);
  b.write(kRampDownPointCode, r.dp);
  b.write(kOperationModeCode, r.operation_mode);
  return b.correction(r.correction);
}

int32_t write_s_curve_registers(uint8_t card, uint8_t axis, bool continuous, const ProfileRegisters& r) {
  const Burst b{card, axis, continuous};
  b.write(kTargetCode, static_cast<uint32_t>(r.target));
  b.write(kStartSpeedCode, r.fl);
  b.write(kOperatingSpeedCode, r.fh);
  b.write(kAccelerationRateCode, r.ur);
  b.write(kDecelerationRateCode, r.dr);
  b.write(kMagnificationCode, r.mg);
  b.write(kOperationModeCode, r.operation_mode);
  b.write(kRampDownPointCode, r.dp);
  b.write(kSCurveAccelerationCode, r.s_acc);
  b.write(kSCurveDecelerationCode, r.s_dec);
  return b.correction(r.correction);
}

}  // namespace ktr4::motion
