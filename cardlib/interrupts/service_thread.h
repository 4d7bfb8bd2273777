// One interrupt service thread per linked card: waits for the card's event, reads the
// interrupt status through the driver and calls the application's callback.
#pragma once

#include <condition_variable>
#include <cstdint>

namespace ktr4 {

// Starts a detached service thread for the card.
void start_service_thread(uint8_t card);

// Wakes service threads waiting for their running flag or a new event (call with the
// library lock held, after changing either).
void notify_service_threads();

// Whether the axis's interrupt concerns the application, from its cause and event words.
bool axis_fires(uint8_t mask, uint32_t source, uint16_t cause, uint32_t event_word);

}  // namespace ktr4
