// Read codes of the card registers the motion looks at, and the bits it reads in them.
#pragma once

#include <cstdint>

#include "motion/ramp.h"
#include "register_map.h"

namespace ktr4sim::motion::registers {

using namespace ktr4;  // the card's register map, shared with the library

constexpr uint32_t kTarget = read_code(kTargetCode), kStart = read_code(kStartSpeedCode),
                   kOperating = read_code(kOperatingSpeedCode), kAccRate = read_code(kAccelerationRateCode),
                   kDecRate = read_code(kDecelerationRateCode), kMagnification = read_code(kMagnificationCode),
                   kRampDown = read_code(kRampDownPointCode), kMode = read_code(kOperationModeCode),
                   kCentre = read_code(kArcCentreCode), kSAcc = read_code(kSCurveAccelerationCode),
                   kSDec = read_code(kSCurveDecelerationCode), kSoftLimitConfig = read_code(kSoftLimitConfigCode),
                   kCommand = read_code(kCommandPositionCode), kFeedback = read_code(kFeedbackPositionCode),
                   kSoftLimitPlus = read_code(kSoftLimitPlusCode), kSoftLimitMinus = read_code(kSoftLimitMinusCode),
                   kEventFactor = read_code(kEventFactorCode), kEventFlags = kEventFlagsReadCode,
                   kSpeed = kCurrentSpeedReadCode, kPulserCounter = read_code(kPulserCounterCode),
                   kPreBase = read_code(kTargetCode - kPreRegisterOffset), kWord1 = read_code(kWord1Code),
                   kWord2 = read_code(kWord2Code), kWord3 = read_code(kWord3Code),
                   kLatchWord = read_code(kLatchWordCode), kCompareData = read_code(kComparatorDataCode),
                   kErrorFlags = kErrorFlagsReadCode, kLatchValue = kFeedbackLatchReadCode;
// Operation-mode bits the card takes at a move's start: SD and INP enabled.
constexpr uint32_t kSdEnableBit = 1u << 8, kInpEnableBit = 1u << 9;
// The CMP output's pulse (CMP output mode 1): 1 ms.
constexpr Tick kCmpPulseTicks = kReferenceHz / 1000;
// Home modes by what they look for first: HOME (and the axis leaves it first when it starts on
// it), or the EL switch of the search direction.
constexpr bool searches_home_first(uint32_t mode)
{
    return mode <= 5 || mode == 9 || mode == 12;
}
constexpr bool searches_el_first(uint32_t mode)
{
    return mode == 6 || mode == 7 || mode == 10 || mode == 11;
}
// The operating registers a start takes over from their pre-registers.
constexpr uint32_t kOperatingRegisters = kSCurveDecelerationCode - kTargetCode + 1;

}  // namespace ktr4sim::motion::registers
