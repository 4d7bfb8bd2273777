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
inline void card_event_name(uint8_t card, char name[6])
{
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

// Closes an event the library no longer hands out (card 0's unnamed event once replaced);
// events shared by name stay open until release_card_events.
void release_event(KTR4_EVENT event);

// KTR4_close: takes every card's event out of its slot, closes it and forgets the names, so
// that the process is left with no descriptor of the library's (library lock not held).
void release_card_events();

// A second reference to the same event, closed with close_event: a waiter holds its own, so
// the library may release the event while the waiter still watches it.
KTR4_EVENT duplicate_event(KTR4_EVENT event);
void close_event(KTR4_EVENT event);

// A wake-up event of the library's own (not named, never given to a driver).
KTR4_EVENT create_wake_event();

enum class Woken : uint8_t { kEvent, kWake, kFailed };

// Blocks until the event or the wake-up event is signalled and consumes that signal; the
// wake-up comes first when both are. kNoEvent as the event waits for the wake-up alone.
Woken wait_event_or_wake(KTR4_EVENT event, KTR4_EVENT wake);

// Signals the event (as a driver would).
void signal_event(KTR4_EVENT event);

#if defined(_WIN32)
inline const KTR4_EVENT kNoEvent = nullptr;
#else
inline constexpr KTR4_EVENT kNoEvent = -1;
#endif

}  // namespace ktr4
