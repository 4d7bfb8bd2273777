#include "named_event.h"

#include <atomic>
#include <cstring>

#include "frame/card_table.h"
#include "frame/export_call.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#endif

namespace ktr4 {

#if defined(_WIN32)

KTR4_EVENT open_or_create_event(const char* name)
{
    constexpr DWORD kEventAllAccess = 0x1F0003;
    HANDLE event = OpenEventA(kEventAllAccess, TRUE, name);
    if (event == nullptr)
        event = CreateEventA(nullptr, FALSE, FALSE, name);
    return event;
}

void release_event(KTR4_EVENT event)
{
    // Windows keeps a named event while any handle to it is open, so every handle is closed.
    if (event != nullptr)
        CloseHandle(event);
}

KTR4_EVENT duplicate_event(KTR4_EVENT event)
{
    HANDLE copy = nullptr;
    if (event == nullptr
        || !DuplicateHandle(GetCurrentProcess(), event, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return nullptr;
    return copy;
}

void close_event(KTR4_EVENT event)
{
    if (event != nullptr)
        CloseHandle(event);
}

KTR4_EVENT create_wake_event()
{
    return CreateEventA(nullptr, FALSE, FALSE, nullptr);
}

Woken wait_event_or_wake(KTR4_EVENT event, KTR4_EVENT wake)
{
    HANDLE handles[2] = {wake, event};
    const DWORD count = event == nullptr ? 1 : 2;
    const DWORD woke = WaitForMultipleObjects(count, handles, FALSE, INFINITE);
    if (woke == WAIT_OBJECT_0)
        return Woken::kWake;
    if (woke == WAIT_OBJECT_0 + 1)
        return Woken::kEvent;
    return Woken::kFailed;
}

void signal_event(KTR4_EVENT event)
{
    SetEvent(event);
}

namespace {
void forget_event_names() { }  // every handle was closed by release_event
}  // namespace

#else

namespace {

// Card event names are at most five bytes; sixteen cards need fifteen names (card 0's is empty).
struct RegisteredEvent {
    char name[8];
    int fd;
};
RegisteredEvent g_events[32];
int g_event_count = 0;
std::mutex g_registry_mutex;

}  // namespace

KTR4_EVENT open_or_create_event(const char* name)
{
    const bool named = name[0] != '\0' && std::strlen(name) < sizeof g_events[0].name;
    std::lock_guard<std::mutex> lock(g_registry_mutex);
    if (named) {
        for (int i = 0; i < g_event_count; ++i)
            if (std::strcmp(g_events[i].name, name) == 0)
                return g_events[i].fd;
    }
    const int fd = eventfd(0, EFD_CLOEXEC);
    if (fd < 0)
        return kNoEvent;
    if (named && g_event_count < static_cast<int>(sizeof g_events / sizeof g_events[0])) {
        std::strcpy(g_events[g_event_count].name, name);
        g_events[g_event_count].fd = fd;
        ++g_event_count;
    }
    return fd;
}

namespace {

void forget_event_names()
{
    std::lock_guard<std::mutex> lock(g_registry_mutex);
    for (int i = 0; i < g_event_count; ++i)
        close(g_events[i].fd);
    g_event_count = 0;
}

}  // namespace

void release_event(KTR4_EVENT event)
{
    if (event < 0)
        return;
    std::lock_guard<std::mutex> lock(g_registry_mutex);
    for (int i = 0; i < g_event_count; ++i)
        if (g_events[i].fd == event)
            return;  // shared by name: stays
    close(event);
}

KTR4_EVENT duplicate_event(KTR4_EVENT event)
{
    return event < 0 ? kNoEvent : fcntl(event, F_DUPFD_CLOEXEC, 0);
}

void close_event(KTR4_EVENT event)
{
    if (event >= 0)
        close(event);
}

KTR4_EVENT create_wake_event()
{
    return eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

namespace {

// Library threads waiting on one event take its signal one at a time: the readiness check and
// the read go together, so a thread never blocks in a read another thread has emptied.
std::mutex g_take_mutex;

bool take_signal(int fd)
{
    std::lock_guard<std::mutex> lock(g_take_mutex);
    pollfd ready {fd, POLLIN, 0};
    if (poll(&ready, 1, 0) != 1 || (ready.revents & POLLIN) == 0)
        return false;
    uint64_t count = 0;
    for (;;) {
        const ssize_t got = read(fd, &count, sizeof count);
        if (got == static_cast<ssize_t>(sizeof count))
            return true;
        if (got < 0 && errno == EINTR)
            continue;
        return false;
    }
}

}  // namespace

Woken wait_event_or_wake(KTR4_EVENT event, KTR4_EVENT wake)
{
    for (;;) {
        pollfd watched[2] = {{wake, POLLIN, 0}, {event, POLLIN, 0}};  // a negative fd is skipped
        const int ready = poll(watched, 2, -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return Woken::kFailed;
        }
        if (watched[0].revents != 0) {
            uint64_t count = 0;
            if (read(wake, &count, sizeof count) < 0 && errno != EAGAIN)
                return Woken::kFailed;
            return Woken::kWake;
        }
        if ((watched[1].revents & (POLLERR | POLLNVAL)) != 0)
            return Woken::kFailed;
        if (take_signal(event))
            return Woken::kEvent;
    }
}

void signal_event(KTR4_EVENT event)
{
    if (event < 0)
        return;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(event, &one, sizeof one);
}

#endif

void release_card_events()
{
    std::lock_guard<std::mutex> lock(library_mutex());
    for (uint8_t card = 0; card < kCardCount; ++card) {
        // The driver may read the slot at any time (see ktr4io.h).
        release_event(
            std::atomic_ref<KTR4_EVENT>(card_state(card).event).exchange(kNoEvent, std::memory_order_acq_rel));
    }
    forget_event_names();
}

}  // namespace ktr4
