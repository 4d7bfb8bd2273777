// Switching a card's interrupt service off, also done by KTR4_close.
#pragma once

#include <cstdint>

namespace ktr4 {

// Resets the card's interrupt, unlinks its callback and ends its service threads (see
// KTR4_disable_IRQ); returns the export's first failure so far.
int32_t disable_interrupts(uint8_t card);

}  // namespace ktr4
