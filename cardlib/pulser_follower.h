// The pulser follower: a library thread that every 20 ms drives each enabled follower axis
// towards the pulser counts its source axis has accumulated.
#pragma once

#include <cstdint>

namespace ktr4 {

// One pass over every enabled follower of every initialised card (takes the library lock).
void run_follower_procedure();

// Speed from the last five scaled changes (each one 20 ms sample): 50 × their truncated
// average, pulses per second; saturated to the 32-bit range.
int32_t follower_speed(const int32_t history[5]);

// The 20 ms timer: started by a successful KTR4_initial when none runs, stopped (and joined)
// by KTR4_close. Stop must be called without the library lock held. Start is false when
// the system refuses the thread.
bool start_follower_timer();
void stop_follower_timer();
bool follower_timer_running();

}  // namespace ktr4
