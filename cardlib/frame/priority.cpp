#include "priority.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#include <sched.h>
#endif

namespace ktr4 {

#if defined(_WIN32)

void raise_process_priority()
{
    SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
}

void raise_own_thread_priority()
{
    raise_process_priority();
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
}

#else

void raise_process_priority() { }

void raise_own_thread_priority()
{
    // The lowest real-time priority is enough to be served before ordinary work; without the
    // privilege the request fails and the thread runs as it is.
    sched_param param {};
    param.sched_priority = sched_get_priority_min(SCHED_RR);
    pthread_setschedparam(pthread_self(), SCHED_RR, &param);
}

#endif

}  // namespace ktr4
