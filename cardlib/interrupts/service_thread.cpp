#include "service_thread.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "frame/card_table.h"
#include "frame/driver_binding.h"
#include "frame/export_call.h"
#include "frame/priority.h"
#include "interrupt_status.h"
#include "named_event.h"

namespace ktr4 {
namespace {

struct ServiceThread {
    ServiceThread(const ServiceThread&) = delete;
    ServiceThread& operator=(const ServiceThread&) = delete;
    explicit ServiceThread(uint8_t number)
        : card(number)
        , wake(create_wake_event())
    {
    }
    ~ServiceThread() { close_event(wake); }

    const uint8_t card;
    const KTR4_EVENT wake;  // signalled to interrupt the wait for the card's event
    bool stop = false;  // library lock: a disable or KTR4_close ends the thread
    bool exiting = false;  // library lock: the thread has seen `stop` and is ending
    std::atomic<bool> finished {false};  // set last, after the lock is released: joins at once
    std::thread thread;
};

std::condition_variable& service_changed()
{
    // Never destroyed: a service thread may still wait on it while the process exits, and
    // destroying a condition variable with waiters blocks the exit.
    alignas(std::condition_variable) static unsigned char storage[sizeof(std::condition_variable)];
    static std::condition_variable* changed = new (storage) std::condition_variable;
    return *changed;
}

// Every thread started and not yet joined (library lock). Never destroyed, so threads still
// running at process exit are not joined by a destructor.
std::vector<std::unique_ptr<ServiceThread>>& service_threads()
{
    static auto* threads = new std::vector<std::unique_ptr<ServiceThread>>;
    return *threads;
}

// Joins the threads that have ended (library lock held: they no longer need it).
void join_finished_threads()
{
    auto& threads = service_threads();
    for (auto it = threads.begin(); it != threads.end();) {
        if ((*it)->finished.load(std::memory_order_acquire)) {
            (*it)->thread.join();
            it = threads.erase(it);
        } else {
            ++it;
        }
    }
}

void serve_card(ServiceThread& self, std::unique_lock<std::mutex>& lock)
{
    CardState& state = card_state(self.card);
    for (;;) {
        // Blocks, never polls, while the service is switched off. A thread parked here when
        // interrupts are disabled has nothing left to serve and ends.
        service_changed().wait(lock,
                               [&] { return self.stop || state.service.running == 1 || state.interrupt_off == 1; });
        if (self.stop || state.service.running != 1)
            return;
        // The thread's own reference: card 0's event may be replaced and closed while it waits.
        const KTR4_EVENT event = duplicate_event(state.event);
        const uint32_t generation = state.event_generation;

        lock.unlock();
        const Woken woke = wait_event_or_wake(event, self.wake);
        lock.lock();
        close_event(event);

        if (self.stop || state.interrupt_off == 1)
            return;
        if (woke == Woken::kWake)
            continue;  // look at the flags and the event again
        if (woke == Woken::kFailed) {
            // The wait cannot work (no usable event): sleep until a new one is prepared rather than
            // spin on it.
            service_changed().wait(
                lock, [&] { return self.stop || state.event_generation != generation || state.interrupt_off == 1; });
            if (self.stop || state.interrupt_off == 1)
                return;
            continue;
        }

        InterruptStatus status;
        // A status that cannot be read names no axis: no callback for this wake.
        if (driver().read_interrupt_status(state.handle, status.bytes) != 0)
            continue;
        bool fired = false;
        for (uint8_t axis = 0; axis < kAxesPerCard; ++axis) {
            const AxisState& axis_fields = axis_state(self.card, axis);
            fired = fired
                || axis_fires(axis_fields.interrupts.mask, axis_fields.interrupts.source, status.cause(axis),
                              status.event_word(axis));
        }
        const KTR4_IRQ_CALLBACK callback = state.service.callback;
        if (fired && callback != nullptr) {
            // One callback per wake, however many axes fired; the application may call back in.
            lock.unlock();
            callback(self.card);
            lock.lock();
        }
    }
}

// Set on every service thread: a callback that ends the service (KTR4_close) joins none of
// them, since another thread's callback may at that moment be waiting to join this one.
thread_local bool t_service_thread = false;

void serve(ServiceThread* self)
{
    t_service_thread = true;
    raise_own_thread_priority();
    {
        std::unique_lock<std::mutex> lock(library_mutex());
        serve_card(*self, lock);
        self->exiting = true;
    }
    self->finished.store(true, std::memory_order_release);
}

}  // namespace

int32_t start_service_thread(uint8_t card)
{
    join_finished_threads();
    auto& threads = service_threads();
    // A thread told to end that has not yet had the lock to see it serves on instead of a new
    // one: quick disable/link cycles would otherwise pile up threads waiting to end.
    for (const auto& thread : threads) {
        if (thread->card == card && thread->stop && !thread->exiting) {
            thread->stop = false;
            return KTR4_OK;
        }
    }
    // The system may refuse a thread (its limit reached) or memory; that is reported, never
    // thrown through the C interface.
    try {
        auto record = std::make_unique<ServiceThread>(card);
        if (record->wake == kNoEvent)
            return KTR4_ERR_THREAD;
        threads.reserve(threads.size() + 1);
        record->thread = std::thread(serve, record.get());
        threads.push_back(std::move(record));
    } catch (...) {
        return KTR4_ERR_THREAD;
    }
    return KTR4_OK;
}

void notify_service_threads()
{
    service_changed().notify_all();
}

void wake_service_threads(uint8_t card)
{
    for (const auto& thread : service_threads())
        if (thread->card == card)
            signal_event(thread->wake);
}

void end_card_service_threads(uint8_t card)
{
    for (const auto& thread : service_threads()) {
        if (thread->card != card)
            continue;
        thread->stop = true;
        signal_event(thread->wake);
    }
    service_changed().notify_all();
}

void end_service_threads()
{
    std::vector<std::unique_ptr<ServiceThread>> ending;
    {
        std::lock_guard<std::mutex> lock(library_mutex());
        auto& threads = service_threads();
        for (auto& thread : threads) {
            thread->stop = true;
            signal_event(thread->wake);
            // A thread cannot join itself, and a callback joins no service thread at all (two
            // callbacks closing at once would each wait for the other): those threads stay
            // listed, end when their callbacks return, and are joined by a later start or close.
            if (!t_service_thread)
                ending.push_back(std::move(thread));
        }
        std::erase(threads, nullptr);
        service_changed().notify_all();
    }
    for (auto& thread : ending)
        thread->thread.join();
}

bool axis_fires(uint8_t mask, uint32_t source, uint16_t cause, uint32_t event_word)
{
    if (mask != 1)
        return false;
    if (cause & 0x20u)
        return true;
    return (cause & 0x10u) != 0 && (event_word & source) != 0;
}

}  // namespace ktr4
