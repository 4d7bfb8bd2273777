// The card's register map: every register write and read code, command code and
// configuration word the library uses. A register's read code is its write code + 0x40;
// the few registers that can only be read have read codes of their own.
#pragma once

#include <cstdint>

namespace ktr4 {

inline constexpr uint8_t read_code(uint8_t write_code)
{
    return static_cast<uint8_t>(write_code + 0x40);
}

// Operating registers of a move. Each of 0x90-0x9A has a pre-register twin 0x10 lower,
// written instead when the axis's continuous flag is set, so the values queue behind the
// running move.
inline constexpr uint8_t kTargetCode = 0x90;
inline constexpr uint8_t kStartSpeedCode = 0x91;  // FL
inline constexpr uint8_t kOperatingSpeedCode = 0x92;  // FH
inline constexpr uint8_t kAccelerationRateCode = 0x93;
inline constexpr uint8_t kDecelerationRateCode = 0x94;
inline constexpr uint8_t kMagnificationCode = 0x95;
inline constexpr uint8_t kRampDownPointCode = 0x96;
inline constexpr uint8_t kOperationModeCode = 0x97;
inline constexpr uint8_t kArcCentreCode = 0x98;
inline constexpr uint8_t kSCurveAccelerationCode = 0x99;
inline constexpr uint8_t kSCurveDecelerationCode = 0x9A;
inline constexpr uint8_t kPreRegisterOffset = 0x10;
inline constexpr uint8_t kCorrectionSpeedCode = 0x9B;  // has no pre-register

// Configuration and counters.
inline constexpr uint8_t kWord1Code = 0x9C;  // pulse output mode, sensor pins
inline constexpr uint8_t kWord2Code = 0x9D;  // pulse input, CMP output, TTL I/O, EZ logic, pulser mode
inline constexpr uint8_t kWord3Code = 0x9E;  // home mode and count, backlash correction on
inline constexpr uint8_t kSoftLimitConfigCode = 0x9F;
inline constexpr uint8_t kLatchWordCode = 0xA0;  // comparator output and latch configuration
inline constexpr uint8_t kEnvironmentCode = 0xA1;  // backlash amount and mode, pulser enable bits
inline constexpr uint8_t kVibrationCode = 0xA2;
inline constexpr uint8_t kCommandPositionCode = 0xA3;
inline constexpr uint8_t kFeedbackPositionCode = 0xA4;
inline constexpr uint8_t kInitCounterCode = 0xA5;  // written (cleared) only by KTR4_init_card
inline constexpr uint8_t kPulserCounterCode = 0xA6;
inline constexpr uint8_t kSoftLimitPlusCode = 0xA7;
inline constexpr uint8_t kSoftLimitMinusCode = 0xA8;
inline constexpr uint8_t kSavedWordACode = 0xA9;  // only saved and restored by the configuration file
inline constexpr uint8_t kSavedWordBCode = 0xAA;
inline constexpr uint8_t kComparatorDataCode = 0xAB;
inline constexpr uint8_t kEventFactorCode = 0xAC;

// Read codes of the registers above that the library reads.
inline constexpr uint8_t kReadTargetCode = read_code(kTargetCode);
inline constexpr uint8_t kReadOperatingSpeedCode = read_code(kOperatingSpeedCode);
inline constexpr uint8_t kReadMagnificationCode = read_code(kMagnificationCode);
inline constexpr uint8_t kReadSCurveAccelerationCode = read_code(kSCurveAccelerationCode);
inline constexpr uint8_t kReadSCurveDecelerationCode = read_code(kSCurveDecelerationCode);
// Registers that can only be read.
inline constexpr uint8_t kFeedbackLatchReadCode = 0xEE;
inline constexpr uint8_t kPinStatusReadCode = 0xF1;
inline constexpr uint8_t kErrorFlagsReadCode = 0xF2;
inline constexpr uint8_t kEventFlagsReadCode = 0xF3;
inline constexpr uint8_t kCurrentSpeedReadCode = 0xF5;

// Commands (port offset 0: axis bit set << 8, then the code).
inline constexpr uint8_t kEmergencyStopCommand = 0x05;
inline constexpr uint8_t kCstaPulseCommand = 0x06;
inline constexpr uint8_t kCstpPulseCommand = 0x07;
inline constexpr uint8_t kWaitForCstaCommand = 0x2A;
inline constexpr uint8_t kImmediateStopCommand = 0x49;
inline constexpr uint8_t kDecelerationStopCommand = 0x4A;
inline constexpr uint8_t kPulserStartCommand = 0x51;
inline constexpr uint8_t kStartCommand = 0x53;

// Output point commands, on and off: points 0-3 on the axis itself; points 4-7 (axis 1) and
// 8-11 (axis 2) share one set, which also switches the TTL lines through axis 3.
struct OutputCommands {
    uint8_t on, off;
};
inline constexpr OutputCommands kOwnOutputCommands[4] = {{0x24, 0x25}, {0x11, 0x19}, {0x10, 0x18}, {0x17, 0x1F}};
inline constexpr OutputCommands kSharedOutputCommands[4] = {{0x1B, 0x13}, {0x1C, 0x14}, {0x1D, 0x15}, {0x1E, 0x16}};

// The soft limit configuration word (kSoftLimitConfigCode): both bits set enable a limit.
inline constexpr uint32_t kSoftLimitPlusEnabledBits = 0x0018u;
inline constexpr uint32_t kSoftLimitMinusEnabledBits = 0x1800u;

// The operation-mode word (kOperationModeCode): the operation code in bits 0-6 and the
// bits the moves set; all others are left as they are.
inline constexpr uint32_t kOperationCodeMask = 0x0000007Fu;  // bits 0-6
inline constexpr uint32_t kSCurveBit = 0x00000400u;  // bit 10: S-curve, else T-curve
inline constexpr uint32_t kManualRampDownBit = 0x00002000u;  // bit 13: DP register in use
inline constexpr uint32_t kShortenedBit = 0x04000000u;  // bit 26: triangle or no deceleration

// Operation codes.
inline constexpr uint32_t kPositionCode = 0x41;
inline constexpr uint32_t kPositionVariantCode = 0x49;
inline constexpr uint32_t kInterpolationCode = 0x61;
inline constexpr uint32_t kInterpolationVariantCode = 0x69;
inline constexpr uint32_t kVelocityPlusCode = 0x00;
inline constexpr uint32_t kVelocityMinusCode = 0x08;
inline constexpr uint32_t kArcCode = 0x64;  // clockwise
inline constexpr uint32_t kArcReverseCode = 0x65;  // counter-clockwise
inline constexpr uint32_t kHomeReturnPlusCode = 0x10;  // run until the HOME sensor
inline constexpr uint32_t kHomeReturnMinusCode = 0x18;
inline constexpr uint32_t kHomeSearchPlusCode = 0x15;  // at most the target amount
inline constexpr uint32_t kHomeSearchMinusCode = 0x1D;
inline constexpr uint32_t kPulserVelocityCode = 0x01;  // follows every pulser pulse
inline constexpr uint32_t kPulserPositionCode = 0x51;  // follows up to the target amount
inline constexpr uint32_t kPulserPositionVariantCode = 0x59;

}  // namespace ktr4
