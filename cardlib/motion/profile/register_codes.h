// Register and command codes of the profile engine.
#pragma once

#include <cstdint>

namespace ktr4::motion {

// Write codes of the operating registers; each of 0x90-0x9A has a pre-register twin 0x10
// lower, used when the axis's continuous flag is set so the values queue behind the
// running move.
inline constexpr uint8_t kTargetCode = 0x90;
inline constexpr uint8_t kStartSpeedCode = 0x91;      // FL
inline constexpr uint8_t kOperatingSpeedCode = 0x92;  // FH
inline constexpr uint8_t kAccelerationRateCode = 0x93;
inline constexpr uint8_t kDecelerationRateCode = 0x94;
inline constexpr uint8_t kMagnificationCode = 0x95;
inline constexpr uint8_t kRampDownPointCode = 0x96;
inline constexpr uint8_t kOperationModeCode = 0x97;
inline constexpr uint8_t kSCurveAccelerationCode = 0x99;
inline constexpr uint8_t kSCurveDecelerationCode = 0x9A;
inline constexpr uint8_t kCorrectionSpeedCode = 0x9B;  // has no pre-register
inline constexpr uint8_t kPreRegisterOffset = 0x10;

// Read codes (write code + 0x40).
inline constexpr uint8_t kReadTargetCode = 0xD0;
inline constexpr uint8_t kReadOperatingSpeedCode = 0xD2;
inline constexpr uint8_t kReadSCurveAccelerationCode = 0xD9;
inline constexpr uint8_t kReadSCurveDecelerationCode = 0xDA;

// Commands.
inline constexpr uint8_t kStartCommand = 0x53;
inline constexpr uint8_t kDecelerationStopCommand = 0x4A;

inline uint8_t profile_code(uint8_t operating_code, bool continuous) {
  return continuous ? static_cast<uint8_t>(operating_code - kPreRegisterOffset) : operating_code;
}

}  // namespace ktr4::motion
