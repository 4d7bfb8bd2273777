// The bits of the operation-mode word that the moves set; all others are left as they are.
#pragma once

#include <cstdint>

namespace ktr4::motion {

inline constexpr uint32_t kOperationCodeMask = 0x0000007Fu;  // bits 0-6
inline constexpr uint32_t kSCurveBit = 0x00000400u;          // bit 10: S-curve, else T-curve
inline constexpr uint32_t kManualRampDownBit = 0x00002000u;  // bit 13: DP register in use
inline constexpr uint32_t kShortenedBit = 0x04000000u;       // bit 26: triangle or no deceleration

inline constexpr uint32_t kPositionCode = 0x41;
inline constexpr uint32_t kPositionVariantCode = 0x49;
inline constexpr uint32_t kInterpolationCode = 0x61;
inline constexpr uint32_t kInterpolationVariantCode = 0x69;
inline constexpr uint32_t kVelocityPlusCode = 0x00;
inline constexpr uint32_t kVelocityMinusCode = 0x08;

inline uint32_t with_operation_code(uint32_t mode, uint32_t code) { return (mode & ~kOperationCodeMask) | code; }
inline uint32_t with_bits(uint32_t mode, uint32_t bits, bool on) { return on ? (mode | bits) : (mode & ~bits); }

inline uint32_t position_code(uint8_t mode_variant) { return mode_variant ? kPositionVariantCode : kPositionCode; }
inline uint32_t interpolation_code(uint8_t mode_variant) {
  return mode_variant ? kInterpolationVariantCode : kInterpolationCode;
}
inline uint32_t velocity_code(int32_t speed) { return speed < 0 ? kVelocityMinusCode : kVelocityPlusCode; }

}  // namespace ktr4::motion
