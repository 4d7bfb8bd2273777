// One simulated KTR4 card: four axes of 32-bit registers and two 16-bit status ports each.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "motion/card_motion.h"
#include "register_map.h"

namespace ktr4sim {

inline constexpr uint16_t kStoppedFlag = 0x0008;
// Sub-status at power-on: every input off (EL-, EL+, HOME and CMP are shown inverted).
inline constexpr uint16_t kInputsOffSubStatus = 0x0087;

class SimCard final : private motion::MotionHost {
public:
    SimCard(uint8_t switch_setting, uint32_t handle);

    uint32_t handle() const { return handle_; }
    uint8_t switch_setting() const { return switch_setting_; }
    bool is_open() const { return open_; }
    void set_open(bool open) { open_ = open; }
    uint16_t info_word() const { return info_word_; }
    void set_info_word(uint16_t word) { info_word_ = word; }

    // Driver-facing access; each returns 0 or a KTR4SIM_ERR_* code.
    // Reading the event flag word clears it.
    int32_t read_register(uint16_t axis, uint16_t read_code, uint32_t* value);
    int32_t write_register(uint16_t axis, uint16_t write_code, uint32_t value);
    int32_t read_port(uint16_t offset, uint16_t* word) const;
    int32_t write_port(uint16_t offset, uint16_t word);

    // Interrupts: the driver's record, the pending status block (read-to-clear).
    void set_interrupt(void* event_slot, bool enable);
    bool interrupt_enabled() const { return interrupt_enabled_; }
    void read_interrupt_status(unsigned char block[44]);
    void reset_interrupt();
    // Records an interrupt of the axis; signals the card's event when interrupts are enabled.
    bool raise_interrupt(uint32_t axis, uint16_t cause, uint32_t event_word);

    // Control-facing access by read code, whether the card lets the driver write it or not.
    int32_t poke(uint32_t axis, uint32_t read_code, uint32_t value);
    int32_t peek(uint32_t axis, uint32_t read_code, uint32_t* value) const;
    int32_t set_status(uint32_t axis, uint32_t port, uint16_t word);
    int32_t get_status(uint32_t axis, uint32_t port, uint16_t* word) const;

    // Motion: the card runs what it is commanded, on the simulator's clock. With motion off it
    // is a plain register store (library tests that look at register traffic only).
    void advance_to(motion::Tick now);
    void restart_motion(motion::Tick now) { motion_.reset(now); }
    void set_motion_enabled(bool on) { motion_enabled_ = on; }
    void pulser_input(uint32_t axis, int32_t pulses)
    {
        if (motion_enabled_)
            motion_.pulser_input(*this, axis, pulses);
        else
            registers_[axis][ktr4::read_code(ktr4::kPulserCounterCode)] += static_cast<uint32_t>(pulses);
    }
    void set_home(uint32_t axis, std::optional<int32_t> position) { motion_.set_home(axis, position); }
    // The machine around an axis (sensors, switches, alarm, encoder); changes take effect at once.
    motion::AxisMachine& machine(uint32_t axis) { return motion_.machine(axis); }
    void alarm_changed(uint32_t axis)
    {
        if (motion_enabled_)
            motion_.alarm_changed(*this, axis);
    }
    void latch_now(uint32_t axis) { motion_.latch_now(*this, axis); }
    bool moving(uint32_t axis) const { return motion_.moving(axis); }
    uint32_t move_kind(uint32_t axis) const { return motion_.move_kind(axis); }
    std::optional<int32_t> home(uint32_t axis) const { return motion_.home(axis); }
    motion::Tick last_end(uint32_t axis) const { return motion_.last_end(axis); }

private:
    uint32_t& reg(uint32_t axis, uint32_t read_code) override { return registers_[axis][read_code]; }
    uint16_t& main_status(uint32_t axis) override { return main_status_[axis]; }
    // The card's own interrupts: an event interrupt carries its events in the event status word
    // (an application passes them on through its interrupt source), an error interrupt none;
    // the last word shows the axis's error flag.
    void interrupt(uint32_t axis, uint16_t cause, uint32_t events) override;
    void record_interrupt(uint32_t axis, uint16_t cause, uint32_t event_word, uint32_t last_word, uint8_t field);
    bool signal_interrupt();
    // The status words as the machine shows them: stored bits overlaid by its inputs.
    motion::InputOverlay overlay(uint32_t axis) const;
    // Output point commands (SVON, ARST, OUT2, ERC) set the bits that read them back.
    void output_command(uint8_t axes, uint8_t code);

    static bool readable(uint32_t read_code);
    uint16_t sub_status_word(uint32_t axis) const;

    uint8_t switch_setting_;
    uint32_t handle_;
    bool open_ = false;
    uint16_t info_word_ = 0x0100;  // reads as version 1.00
    std::array<std::array<uint32_t, 256>, 4> registers_ {};  // indexed by read code
    std::array<uint16_t, 4> main_status_ {};
    std::array<uint16_t, 4> sub_status_ {};
    void* interrupt_slot_ = nullptr;
    bool interrupt_enabled_ = false;
    std::array<unsigned char, 44> pending_ {};
    motion::CardMotion motion_;
    bool motion_enabled_ = true;
};

}  // namespace ktr4sim
