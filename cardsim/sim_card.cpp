#include "sim_card.h"

#include "ktr4sim.h"

namespace ktr4sim {

SimCard::SimCard(uint8_t switch_setting, uint32_t handle)
    : switch_setting_(static_cast<uint8_t>(switch_setting & 0x0F)), handle_(handle) {
  main_status_.fill(kStoppedFlag);
}

bool SimCard::readable(uint32_t read_code) {
  return (read_code >= 0xC0 && read_code <= 0xEC) || read_code == 0xEE ||
         (read_code >= 0xF1 && read_code <= 0xF5);
}

int32_t SimCard::read_register(uint16_t axis, uint16_t read_code, uint32_t* value) const {
  return peek(axis, read_code, value);
}

int32_t SimCard::write_register(uint16_t axis, uint16_t write_code, uint32_t value) {
  if (axis > 3) return KTR4SIM_ERR_AXIS;
  if (write_code < 0x80 || write_code > 0xAC) return KTR4SIM_ERR_CODE;
  registers_[axis][write_code + 0x40u] = value;
  return 0;
}

uint16_t SimCard::sub_status_word(uint32_t axis) const {
  uint16_t word = sub_status_[axis];
  if (axis == 0) {
    // The card number switch shows, inverted, in bits 3-6.
    const auto inverted = static_cast<uint16_t>((~switch_setting_ & 0x0F) << 3);
    word = static_cast<uint16_t>((word & ~0x0078) | inverted);
  }
  return word;
}

int32_t SimCard::read_port(uint16_t offset, uint16_t* word) const {
  const uint32_t axis = offset / 8;
  if (axis > 3) return KTR4SIM_ERR_CODE;
  switch (offset % 8) {
    case 0: *word = main_status_[axis]; return 0;
    case 2: *word = sub_status_word(axis); return 0;
    default: return KTR4SIM_ERR_CODE;
  }
}

int32_t SimCard::write_port(uint16_t offset, uint16_t /*word*/) {
  // Offset 0 takes command words; the card accepts them.
  return offset == 0 ? 0 : KTR4SIM_ERR_CODE;
}

int32_t SimCard::poke(uint32_t axis, uint32_t read_code, uint32_t value) {
  if (axis > 3) return KTR4SIM_ERR_AXIS;
  if (!readable(read_code)) return KTR4SIM_ERR_CODE;
  registers_[axis][read_code] = value;
  return 0;
}

int32_t SimCard::peek(uint32_t axis, uint32_t read_code, uint32_t* value) const {
  if (axis > 3) return KTR4SIM_ERR_AXIS;
  if (!readable(read_code)) return KTR4SIM_ERR_CODE;
  *value = registers_[axis][read_code];
  return 0;
}

int32_t SimCard::set_status(uint32_t axis, uint32_t port, uint16_t word) {
  if (axis > 3) return KTR4SIM_ERR_AXIS;
  if (port == KTR4SIM_MAIN_STATUS) main_status_[axis] = word;
  else if (port == KTR4SIM_SUB_STATUS) sub_status_[axis] = word;
  else return KTR4SIM_ERR_CODE;
  return 0;
}

int32_t SimCard::get_status(uint32_t axis, uint32_t port, uint16_t* word) const {
  if (axis > 3) return KTR4SIM_ERR_AXIS;
  if (port == KTR4SIM_MAIN_STATUS) *word = main_status_[axis];
  else if (port == KTR4SIM_SUB_STATUS) *word = sub_status_word(axis);
  else return KTR4SIM_ERR_CODE;
  return 0;
}

}  // namespace ktr4sim
