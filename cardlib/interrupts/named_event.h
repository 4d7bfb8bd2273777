// Named auto-reset events: the object a card's driver signals when the card interrupts.
//
// On Windows these are the system's event objects. Elsewhere an event is an eventfd
// descriptor: signalled by writing the 8-byte value 1, consumed by one read (signals before
// a wait coalesce into one), and shared by name through a registry inside the library.
#pragma once

#include <cstdint>

#include "ktr4.h"

namespace ktr4 {

// The name of a card's event: the card number as a raw byte, then "KTR4". Card 0's name is
// therefore empty.
inline void card_event_name(uint8_t card, char name[6]) {
  name[0] = static_cast<char>(card);
  name[1] = 'K';
  name[2] = 'T';
  name[3] = 'R';
  name[4] = '4';
  name[5] = '\0';
}

// Opens the event of that name, or creates it if there is none; an empty name always
// creates a new unnamed event. Returns kNoEvent if it cannot be created.
KTR4_EVENT open_or_create_event(const char* name);

// Blocks until the event is signalled and consumes the signal. False if the wait failed
// (for example on kNoEvent).
bool wait_event(KTR4_EVENT event);

// Signals the event (as a driver would).
void signal_event(KTR4_EVENT event);

#if defined(_WIN32)
inline const KTR4_EVENT kNoEvent = nullptr;
#else
inline constexpr KTR4_EVENT kNoEvent = -1;
#endif

}  // namespace ktr4
