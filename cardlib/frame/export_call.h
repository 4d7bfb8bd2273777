// What every export does first: take the library lock, start its first-failure record
// (last_result), and check the card and axis numbers in the fixed order. Exports are shells
// over internal operations and never call one another, so the lock is taken once per call.
#pragma once

#include <cstdint>
#include <mutex>

#include "card_table.h"
#include "ktr4.h"

namespace ktr4 {

// One process-wide lock, taken by each export and by the follower timer and interrupt
// service threads. Not recursive: nothing inside the library takes it again.
std::mutex& library_mutex();

// An export's hold on the library: the lock, and a cleared first-failure record. After the
// export, last_result holds its first failure.
class ExportCall {
public:
    ExportCall()
        : lock_(library_mutex())
    {
        last_result() = 0;
    }
    ExportCall(const ExportCall&) = delete;
    ExportCall& operator=(const ExportCall&) = delete;

private:
    std::lock_guard<std::mutex> lock_;
};

// Card and axis numbers travel in 32-bit slots of which only the low byte counts.
inline uint8_t low_byte(uint32_t slot)
{
    return static_cast<uint8_t>(slot & 0xFFu);
}
inline uint16_t low_word(uint32_t slot)
{
    return static_cast<uint16_t>(slot & 0xFFFFu);
}

inline bool card_initialised(uint8_t card)
{
    return card_state(card).handle != kNoCard;
}

// card > 15 → 300, not initialised → 100.
inline int32_t check_card(uint8_t card)
{
    if (card >= kCardCount)
        return KTR4_ERR_CARD;
    if (!card_initialised(card))
        return KTR4_ERR_NOT_INITIALISED;
    return KTR4_OK;
}

// card > 15 → 300, axis > 3 → 301, not initialised → 100.
inline int32_t check_card_axis(uint8_t card, uint8_t axis)
{
    if (card >= kCardCount)
        return KTR4_ERR_CARD;
    if (axis >= kAxesPerCard)
        return KTR4_ERR_AXIS;
    if (!card_initialised(card))
        return KTR4_ERR_NOT_INITIALISED;
    return KTR4_OK;
}

// The order a few exports use: card, initialisation, then axis.
inline int32_t check_card_then_axis(uint8_t card, uint8_t axis)
{
    if (int32_t rc = check_card(card))
        return rc;
    if (axis >= kAxesPerCard)
        return KTR4_ERR_AXIS;
    return KTR4_OK;
}

inline uint32_t set_bit(uint32_t word, unsigned bit, bool on)
{
    return on ? (word | (1u << bit)) : (word & ~(1u << bit));
}
inline uint8_t bit_of(uint32_t word, unsigned bit)
{
    return static_cast<uint8_t>((word >> bit) & 1u);
}

}  // namespace ktr4

// An export's prologue: lock, clear last_result, take the low bytes of the number slots and
// check them; declares `card` (and `axis`) for the body.
#define KTR4_CARD_EXPORT(card_slot)                                                                                    \
    ::ktr4::ExportCall ktr4_call_;                                                                                     \
    const uint8_t card = ::ktr4::low_byte(card_slot);                                                                  \
    if (int32_t rc_ = ::ktr4::check_card(card))                                                                        \
    return rc_

#define KTR4_AXIS_EXPORT(card_slot, axis_slot)                                                                         \
    ::ktr4::ExportCall ktr4_call_;                                                                                     \
    const uint8_t card = ::ktr4::low_byte(card_slot);                                                                  \
    const uint8_t axis = ::ktr4::low_byte(axis_slot);                                                                  \
    if (int32_t rc_ = ::ktr4::check_card_axis(card, axis))                                                             \
    return rc_
