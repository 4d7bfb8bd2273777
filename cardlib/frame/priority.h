// Scheduling requests of the library. On Windows the card's tools run the process in the
// real-time class; elsewhere the application's own scheduling is never touched, and only
// the library's own threads ask for a raised priority, carrying on if it is refused.
#pragma once

namespace ktr4 {

void raise_process_priority();
void raise_own_thread_priority();

}  // namespace ktr4
