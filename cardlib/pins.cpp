// Pulse I/O and pin configuration.
#include "frame/card_table.h"
#include "frame/export_call.h"
#include "frame/register_access.h"
#include "ktr4.h"

using namespace ktr4;

namespace {

// Configuration word 2, bits 6-13: the TTL line configuration of axes 1 and 2.
constexpr uint32_t kTtlField = 0x3FC0u;
constexpr uint32_t kTtlPatternClear = 0x2A80u;
constexpr uint32_t kTtlPattern = 0x1540u;

uint32_t ttl_lines(uint32_t word, bool routed) {
  return routed ? ((word & ~kTtlPatternClear) | kTtlPattern) : (word & ~kTtlField);
}

}  // namespace

extern "C" {

KTR4_API int32_t KTR4_CALL KTR4_config_TTL_IO_MODE(ktr4_u8 card_slot, ktr4_u8 mode_slot) {
  KTR4_CARD_EXPORT(card_slot);
  const uint8_t mode = low_byte(mode_slot);
  if (mode > 3) return KTR4_ERR_RANGE;
  // The lines are switched through axis 3's output commands.
  write_command(card, 0x08, (mode & 1) ? 0x1B : 0x13);
  write_command(card, 0x08, (mode & 2) ? 0x1C : 0x14);
  modify_register(card, 1, 0x9D, [&](uint32_t word) { return ttl_lines(word, mode & 1); });
  return modify_register(card, 2, 0x9D, [&](uint32_t word) { return ttl_lines(word, mode & 2); });
}

KTR4_API int32_t KTR4_CALL KTR4_readback_TTL_IO_MODE(ktr4_u8 card_slot, uint8_t* mode) {
  KTR4_CARD_EXPORT(card_slot);
  uint32_t axis1 = 0, axis2 = 0;
  read_register(card, 1, 0xDD, &axis1);
  read_register(card, 2, 0xDD, &axis2);
  *mode = static_cast<uint8_t>(((axis1 & kTtlField) ? 1 : 0) + ((axis2 & kTtlField) ? 2 : 0));
  return last_result();
}

}  // extern "C"
