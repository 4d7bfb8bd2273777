// The card table: all state the exports share, in fixed static tables for 16 cards.
#pragma once

#include <cstdint>

#include "ktr4.h"

namespace ktr4 {

inline constexpr uint8_t kCardCount = 16;
inline constexpr uint8_t kAxesPerCard = 4;
inline constexpr uint32_t kNoCard = 0xFFFFFFFFu;  // handle of a card number nobody has

// Passed by address to driver operation 3; kept for the library's lifetime.
struct OpenRecord {
    uint8_t open_flag = 0;
    uint8_t unused[3] = {};
    uint32_t driver_word = 0;  // filled by the driver, never read here
};
static_assert(sizeof(OpenRecord) == 8, "the driver expects an 8-byte open record");

// What a card's interrupt service thread works from.
struct ServiceRecord {
    uint8_t card = 0;
    uint8_t running = 0;  // 1 while the service thread is to serve interrupts
    KTR4_IRQ_CALLBACK callback = nullptr;
};

struct CardState {
    uint32_t handle = kNoCard;
    OpenRecord open;
    // The slot whose address the driver is given: it signals the event held here.
#if defined(_WIN32)
    KTR4_EVENT event = nullptr;
#else
    KTR4_EVENT event = -1;
#endif
    uint32_t event_generation = 0;  // counts events prepared, so a waiting thread sees a new one
    // 1 while interrupt service is off; KTR4_close disables the cards where it is 0.
    uint8_t interrupt_off = 1;
    ServiceRecord service;
};

// What the pulser follower remembers across KTR4_initial.
struct FollowerMemory {
    int32_t direction = 0;  // 1 or -1 once mapped; 0 keeps an unmapped follower still
    int32_t history[5] = {};  // the last five scaled changes, newest first
    int32_t target = 0;  // absolute position the follower is to reach
    uint32_t last_speed = 0;  // the last non-zero follower speed, pps
};

// Which interrupt causes of the axis its service thread reports.
struct AxisInterrupts {
    uint8_t mask = 0;
    uint32_t source = 0;
};

// The axis's move settings and the shadow of the operation-mode word each move writes.
struct AxisProfile {
    uint8_t continuous = 0;
    uint32_t operation_mode = 0x01000041u;
    uint32_t speed_range_fixed = 0;
    uint32_t fixed_magnification = 299;
    uint32_t correction_speed = 1000;
    uint8_t mode_variant = 0;
};

// The commanded end position and the lost-pulse correction around it; only
// frame/end_position changes commanded_end.
struct AxisEnd {
    int32_t commanded_end = 0;
    int32_t lost_pulses = 0;
    uint8_t correction_pending = 0;
    uint8_t correction_enable = 0;
    uint8_t bookkeeping_armed = 0;
};

// The pulser follower: its source axis, ratio and last count.
struct AxisPulser {
    uint8_t follow_enable = 0;
    uint8_t follow_source = 0;
    uint16_t follow_ratio = 1;
    int32_t previous_scaled_count = 0;
    FollowerMemory follower;  // kept by reset_axis_tables
};

// Per-axis state, one part per subsystem; a default-constructed AxisState holds the values
// KTR4_initial resets to (except pulser.follow_source, which starts as the axis itself).
struct AxisState {
    AxisInterrupts interrupts;
    AxisProfile profile;
    AxisEnd end;
    AxisPulser pulser;
};

struct CardTable {
    CardState cards[kCardCount];
    AxisState axes[kCardCount * kAxesPerCard];
    // The first failure of the export in progress (0 while everything succeeded).
    int32_t last_result = 0;
};

CardTable& card_table();

inline CardState& card_state(uint8_t card)
{
    return card_table().cards[card];
}
inline AxisState& axis_state(uint8_t card, uint8_t axis)
{
    return card_table().axes[card * kAxesPerCard + axis];
}
inline int32_t& last_result()
{
    return card_table().last_result;
}
// Records a result and returns the export's first failure so far (0 if none): an export
// reports the first thing that went wrong, never a later success over an earlier failure.
// The register access layer and the exports that forward to another operation record their
// results this way.
inline int32_t recorded(int32_t result)
{
    int32_t& first = last_result();
    if (first == 0)
        first = result;
    return first;
}

// Every per-axis field of all 16 cards back to its initial value.
void reset_axis_tables();

}  // namespace ktr4
