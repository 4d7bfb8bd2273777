#include "sim_card.h"

#include <atomic>

#include <cstring>

#include "ktr4.h"
#include "ktr4sim.h"
#include "register_map.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace ktr4sim {

namespace {

// The writable registers: the pre-registers up to the last configuration register.
constexpr uint8_t kFirstWriteCode = ktr4::kTargetCode - ktr4::kPreRegisterOffset;
constexpr uint8_t kLastWriteCode = ktr4::kEventFactorCode;

}  // namespace

SimCard::SimCard(uint8_t switch_setting, uint32_t handle)
    : switch_setting_(static_cast<uint8_t>(switch_setting & 0x0F))
    , handle_(handle)
{
    main_status_.fill(kStoppedFlag);
    sub_status_.fill(kInputsOffSubStatus);
}

bool SimCard::readable(uint32_t read_code)
{
    return (read_code >= ktr4::read_code(kFirstWriteCode) && read_code <= ktr4::read_code(kLastWriteCode))
        || read_code == ktr4::kFeedbackLatchReadCode
        || (read_code >= ktr4::kPinStatusReadCode && read_code <= ktr4::kCurrentSpeedReadCode);
}

int32_t SimCard::read_register(uint16_t axis, uint16_t read_code, uint32_t* value)
{
    const int32_t rc = peek(axis, read_code, value);
    if (rc == 0 && read_code == ktr4::kEventFlagsReadCode && motion_enabled_)
        registers_[axis][read_code] = 0;
    return rc;
}

motion::InputOverlay SimCard::overlay(uint32_t axis) const
{
    if (!motion_enabled_)
        return {};
    // The motion reads registers through its host, which here only reads.
    auto& self = const_cast<SimCard&>(*this);
    return self.motion_.overlay(self, axis);
}

void SimCard::output_command(uint8_t axes, uint8_t code)
{
    // Point 0 SVON (sub-status bit 13), 1 ARST (sub-status bit 14), 2 OUT2 (pin bit 7), 3 ERC (pin bit 9).
    for (uint32_t point = 0; point < 4; ++point) {
        const ktr4::OutputCommands commands = ktr4::kOwnOutputCommands[point];
        if (code != commands.on && code != commands.off)
            continue;
        const bool on = code == commands.on;
        for (uint32_t axis = 0; axis < 4; ++axis) {
            if (!(axes & (1u << axis)))
                continue;
            if (point < 2) {
                const auto bit = static_cast<uint16_t>(1u << (point == 0 ? 13 : 14));
                sub_status_[axis] = static_cast<uint16_t>(on ? sub_status_[axis] | bit : sub_status_[axis] & ~bit);
            } else {
                const uint32_t bit = 1u << (point == 2 ? 7 : 9);
                uint32_t& pins = registers_[axis][ktr4::kPinStatusReadCode];
                pins = on ? pins | bit : pins & ~bit;
            }
            // Alarm reset: the drive's alarm clears.
            if (point == 1 && on && motion_.machine(axis).alarm)
                motion_.machine(axis).alarm = false;
        }
    }
}

int32_t SimCard::write_register(uint16_t axis, uint16_t write_code, uint32_t value)
{
    if (axis > 3)
        return KTR4SIM_ERR_AXIS;
    if (write_code < kFirstWriteCode || write_code > kLastWriteCode)
        return KTR4SIM_ERR_CODE;
    registers_[axis][ktr4::read_code(static_cast<uint8_t>(write_code))] = value;
    if (motion_enabled_)
        motion_.on_register_write(*this, axis, write_code, value);
    return 0;
}

uint16_t SimCard::sub_status_word(uint32_t axis) const
{
    const motion::InputOverlay machine = overlay(axis);
    auto word = static_cast<uint16_t>((sub_status_[axis] & ~machine.sub_mask) | machine.sub_bits);
    if (axis == 0) {
        // The card number switch shows, inverted, in bits 3-6.
        const auto inverted = static_cast<uint16_t>((~switch_setting_ & 0x0F) << 3);
        word = static_cast<uint16_t>((word & ~0x0078) | inverted);
    }
    return word;
}

int32_t SimCard::read_port(uint16_t offset, uint16_t* word) const
{
    const uint32_t axis = offset / 8;
    if (axis > 3)
        return KTR4SIM_ERR_CODE;
    switch (offset % 8) {
    case 0:
        *word = main_status_[axis];
        return 0;
    case 2:
        *word = sub_status_word(axis);
        return 0;
    default:
        return KTR4SIM_ERR_CODE;
    }
}

int32_t SimCard::write_port(uint16_t offset, uint16_t word)
{
    // Offset 0 takes command words.
    if (offset != 0)
        return KTR4SIM_ERR_CODE;
    if (motion_enabled_) {
        output_command(static_cast<uint8_t>((word >> 8) & 0x0F), static_cast<uint8_t>(word & 0xFF));
        motion_.on_command(*this, word);
    }
    return 0;
}

void SimCard::advance_to(motion::Tick now)
{
    if (motion_enabled_)
        motion_.advance_to(*this, now);
}

void SimCard::set_interrupt(void* event_slot, bool enable)
{
    interrupt_enabled_ = enable;
    if (enable)
        interrupt_slot_ = event_slot;
}

void SimCard::read_interrupt_status(unsigned char block[44])
{
    std::memcpy(block, pending_.data(), pending_.size());
    pending_.fill(0);
}

void SimCard::reset_interrupt()
{
    pending_.fill(0);
}

void SimCard::record_interrupt(uint32_t axis, uint16_t cause, uint32_t event_word, uint32_t last_word, uint8_t field)
{
    auto or_u16 = [&](size_t at, uint16_t value) {
        pending_[at] |= static_cast<unsigned char>(value);
        pending_[at + 1] |= static_cast<unsigned char>(value >> 8);
    };
    auto or_u32 = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            pending_[at + i] |= static_cast<unsigned char>(value >> (8 * i));
    };
    pending_[0] |= static_cast<unsigned char>(field << (2 * axis));
    or_u16(2 + 2 * axis, cause);
    or_u32(12 + 4 * axis, event_word);
    or_u32(28 + 4 * axis, last_word);
}

bool SimCard::raise_interrupt(uint32_t axis, uint16_t cause, uint32_t event_word)
{
    record_interrupt(axis, cause, event_word, event_word, 1);
    return signal_interrupt();
}

void SimCard::interrupt(uint32_t axis, uint16_t cause, uint32_t events)
{
    const bool error = (cause & motion::kCauseError) != 0;
    record_interrupt(axis, cause, events, registers_[axis][ktr4::kErrorFlagsReadCode], error ? 2 : 1);
    signal_interrupt();
}

bool SimCard::signal_interrupt()
{
    if (!interrupt_enabled_ || interrupt_slot_ == nullptr)
        return false;
#if !defined(_WIN32)
    // The library may store a new event into the slot meanwhile (see ktr4io.h).
    const KTR4_EVENT event =
        std::atomic_ref<KTR4_EVENT>(*static_cast<KTR4_EVENT*>(interrupt_slot_)).load(std::memory_order_acquire);
    if (event < 0)
        return false;
    const uint64_t one = 1;
    return write(event, &one, sizeof one) == static_cast<ssize_t>(sizeof one);
#else
    return false;
#endif
}

int32_t SimCard::poke(uint32_t axis, uint32_t read_code, uint32_t value)
{
    if (axis > 3)
        return KTR4SIM_ERR_AXIS;
    if (!readable(read_code))
        return KTR4SIM_ERR_CODE;
    registers_[axis][read_code] = value;
    return 0;
}

int32_t SimCard::peek(uint32_t axis, uint32_t read_code, uint32_t* value) const
{
    if (axis > 3)
        return KTR4SIM_ERR_AXIS;
    if (!readable(read_code))
        return KTR4SIM_ERR_CODE;
    *value = registers_[axis][read_code];
    if (read_code == ktr4::kPinStatusReadCode) {
        const motion::InputOverlay machine = overlay(axis);
        *value = (*value & ~machine.pin_mask) | machine.pin_bits;
    }
    return 0;
}

int32_t SimCard::set_status(uint32_t axis, uint32_t port, uint16_t word)
{
    if (axis > 3)
        return KTR4SIM_ERR_AXIS;
    if (port == KTR4SIM_MAIN_STATUS)
        main_status_[axis] = word;
    else if (port == KTR4SIM_SUB_STATUS)
        sub_status_[axis] = word;
    else
        return KTR4SIM_ERR_CODE;
    return 0;
}

int32_t SimCard::get_status(uint32_t axis, uint32_t port, uint16_t* word) const
{
    if (axis > 3)
        return KTR4SIM_ERR_AXIS;
    if (port == KTR4SIM_MAIN_STATUS)
        *word = main_status_[axis];
    else if (port == KTR4SIM_SUB_STATUS)
        *word = sub_status_word(axis);
    else
        return KTR4SIM_ERR_CODE;
    return 0;
}

}  // namespace ktr4sim
