#include "named_event.h"

#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <cerrno>
#include <cstdint>
#include <mutex>
#include <sys/eventfd.h>
#include <unistd.h>
#endif

namespace ktr4 {

#if defined(_WIN32)

KTR4_EVENT open_or_create_event(const char* name) {
  constexpr DWORD kEventAllAccess = 0x1F0003;
  HANDLE event = OpenEventA(kEventAllAccess, TRUE, name);
  if (event == nullptr) event = CreateEventA(nullptr, FALSE, FALSE, name);
  return event;
}

bool wait_event(KTR4_EVENT event) { return WaitForSingleObject(event, INFINITE) == WAIT_OBJECT_0; }

void signal_event(KTR4_EVENT event) { SetEvent(event); }

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

KTR4_EVENT open_or_create_event(const char* name) {
  const bool named = name[0] != '\0' && std::strlen(name) < sizeof g_events[0].name;
  std::lock_guard<std::mutex> lock(g_registry_mutex);
  if (named) {
    for (int i = 0; i < g_event_count; ++i)
      if (std::strcmp(g_events[i].name, name) == 0) return g_events[i].fd;
  }
  const int fd = eventfd(0, EFD_CLOEXEC);
  if (fd < 0) return kNoEvent;
  if (named && g_event_count < static_cast<int>(sizeof g_events / sizeof g_events[0])) {
    std::strcpy(g_events[g_event_count].name, name);
    g_events[g_event_count].fd = fd;
    ++g_event_count;
  }
  return fd;
}

bool wait_event(KTR4_EVENT event) {
  if (event < 0) return false;
  uint64_t count = 0;
  for (;;) {
    const ssize_t got = read(event, &count, sizeof count);
    if (got == static_cast<ssize_t>(sizeof count)) return true;
    if (got < 0 && errno == EINTR) continue;
    return false;
  }
}

void signal_event(KTR4_EVENT event) {
  if (event < 0) return;
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(event, &one, sizeof one);
}

#endif

}  // namespace ktr4
