// The one register burst writer: an axis's profile registers in the order its move kind
// gives them to the card. Operating registers become their pre-registers when the axis's
// continuous flag is set; the correction speed register has no pre-register.
#pragma once

#include <cstdint>
#include <span>

#include "frame/register_map.h"
#include "position_profile.h"

namespace ktr4::motion {

// Burst orders of the move kinds, by operating code.
// Single-axis T-curve: target amount, FL, FH, UR, DR, MG, DP, operation mode, correction speed.
inline constexpr uint8_t kTCurveBurst[] = {kTargetCode,           kStartSpeedCode,       kOperatingSpeedCode,
                                           kAccelerationRateCode, kDecelerationRateCode, kMagnificationCode,
                                           kRampDownPointCode,    kOperationModeCode,    kCorrectionSpeedCode};
// Single-axis S-curve: the operation mode before DP, then the two S-curve ranges.
inline constexpr uint8_t kSCurveBurst[] = {
    kTargetCode,         kStartSpeedCode,    kOperatingSpeedCode, kAccelerationRateCode,   kDecelerationRateCode,
    kMagnificationCode,  kOperationModeCode, kRampDownPointCode,  kSCurveAccelerationCode, kSCurveDecelerationCode,
    kCorrectionSpeedCode};
// Interpolation axis (the correction speeds follow for the whole group): DP before the mode.
inline constexpr uint8_t kTInterpolationBurst[] = {kTargetCode,           kStartSpeedCode,       kOperatingSpeedCode,
                                                   kAccelerationRateCode, kDecelerationRateCode, kMagnificationCode,
                                                   kRampDownPointCode,    kOperationModeCode};
inline constexpr uint8_t kSInterpolationBurst[] = {
    kTargetCode,        kStartSpeedCode,    kOperatingSpeedCode, kAccelerationRateCode,   kDecelerationRateCode,
    kMagnificationCode, kRampDownPointCode, kOperationModeCode,  kSCurveAccelerationCode, kSCurveDecelerationCode};
// Arc axis: target, FL = FH, MG, operation mode, centre.
inline constexpr uint8_t kArcBurst[] = {kTargetCode,        kStartSpeedCode,    kOperatingSpeedCode,
                                        kMagnificationCode, kOperationModeCode, kArcCentreCode};
// Homing: FL, FH, UR, DR, MG, operation mode, correction speed; an origin search writes its
// amount first.
inline constexpr uint8_t kHomingBurst[] = {kStartSpeedCode,       kOperatingSpeedCode, kAccelerationRateCode,
                                           kDecelerationRateCode, kMagnificationCode,  kOperationModeCode,
                                           kCorrectionSpeedCode};
inline constexpr uint8_t kHomingSearchBurst[] = {kTargetCode,           kStartSpeedCode,       kOperatingSpeedCode,
                                                 kAccelerationRateCode, kDecelerationRateCode, kMagnificationCode,
                                                 kOperationModeCode,    kCorrectionSpeedCode};

// Writes r's registers in `order`. Every write is made whatever the earlier ones returned;
// the result is the last one's.
int32_t write_burst(uint8_t card, uint8_t axis, bool continuous, const ProfileRegisters& r,
                    std::span<const uint8_t> order);

}  // namespace ktr4::motion
