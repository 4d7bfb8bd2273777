// One interrupt service thread per linked card: waits for the card's event, reads the
// interrupt status through the driver and calls the application's callback. The library
// keeps every thread it starts, so that disabling a card's interrupts wakes and ends them
// and KTR4_close joins them.
#pragma once

#include <condition_variable>
#include <cstdint>

namespace ktr4 {

// Starts a service thread for the card (library lock held). KTR4_OK, or KTR4_ERR_THREAD when
// the system refuses the thread or its wake-up event.
int32_t start_service_thread(uint8_t card);

// Wakes service threads waiting for their running flag or a new event (call with the
// library lock held, after changing either).
void notify_service_threads();

// Wakes the card's service threads out of their wait for the card's event, so that they look
// at the card's flags and event again (library lock held): after a disable they end, after
// the event was replaced they wait for the new one.
void wake_service_threads(uint8_t card);

// Ends the card's service threads (library lock held): each ends as soon as it gets the
// lock, even if the card is linked again meanwhile (that link starts a thread of its own).
void end_card_service_threads(uint8_t card);

// Ends and joins every service thread (library lock NOT held). Called from a callback it joins
// none: the threads end when their callbacks return and are joined by a later start or close.
void end_service_threads();

// Whether the axis's interrupt concerns the application, from its cause and event words.
bool axis_fires(uint8_t mask, uint32_t source, uint16_t cause, uint32_t event_word);

}  // namespace ktr4
