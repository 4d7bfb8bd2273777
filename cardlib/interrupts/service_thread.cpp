#include "service_thread.h"

#include <mutex>
#include <new>
#include <thread>

#include "frame/card_table.h"
#include "frame/driver_binding.h"
#include "frame/export_call.h"
#include "frame/priority.h"
#include "interrupt_status.h"
#include "named_event.h"

namespace ktr4 {
namespace {

std::condition_variable_any& service_changed() {
  // Never destroyed: a service thread may still wait on it while the process exits, and
  // destroying a condition variable with waiters blocks the exit.
  alignas(std::condition_variable_any) static unsigned char storage[sizeof(std::condition_variable_any)];
  static std::condition_variable_any* changed = new (storage) std::condition_variable_any;
  return *changed;
}

void serve(uint8_t card) {
  raise_own_thread_priority();
  std::unique_lock<std::recursive_mutex> lock(library_mutex());
  CardState& state = card_state(card);
  for (;;) {
    // Blocks, never polls, while the service is switched off. A thread parked here when
    // interrupts are disabled has nothing left to serve and ends, instead of lingering to be
    // joined by a further thread at the next link.
    service_changed().wait(lock, [&] { return state.service.running == 1 || state.interrupt_off == 1; });
    if (state.service.running != 1) return;
    const KTR4_EVENT event = state.event;
    const uint32_t generation = state.event_generation;

    lock.unlock();
    const bool signalled = wait_event(event);
    lock.lock();

    if (!signalled) {
      // No usable event (its creation failed): sleep until a new one is prepared rather than
      // spin on a wait that cannot succeed.
      service_changed().wait(lock, [&] { return state.event_generation != generation || state.interrupt_off == 1; });
      if (state.interrupt_off == 1) return;
      continue;
    }
    if (state.interrupt_off == 1) return;

    InterruptStatus status;
    last_result() = driver().read_interrupt_status(state.handle, status.bytes);
    bool fired = false;
    for (uint8_t axis = 0; axis < kAxesPerCard; ++axis) {
      const AxisState& axis_fields = axis_state(card, axis);
      fired = fired || axis_fires(axis_fields.interrupt_mask, axis_fields.interrupt_source, status.cause(axis),
                                  status.event_word(axis));
    }
    const KTR4_IRQ_CALLBACK callback = state.service.callback;
    if (fired && callback != nullptr) {
      // One callback per wake, however many axes fired; the application may call back in.
      lock.unlock();
      callback(card);
      lock.lock();
    }
  }
}

}  // namespace

void start_service_thread(uint8_t card) { std::thread(serve, card).detach(); }

void notify_service_threads() { service_changed().notify_all(); }

bool axis_fires(uint8_t mask, uint32_t source, uint16_t cause, uint32_t event_word) {
  if (mask != 1) return false;
  if (cause & 0x20u) return true;
  return (cause & 0x10u) != 0 && (event_word & source) != 0;
}

}  // namespace ktr4
