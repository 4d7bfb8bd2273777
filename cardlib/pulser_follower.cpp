#include "pulser_follower.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

#include "frame/card_table.h"
#include "frame/export_call.h"
#include "frame/priority.h"
#include "frame/register_access.h"
#include "frame/register_map.h"
#include "ktr4.h"
#include "motion/online/online_change.h"
#include "motion/position/position_move.h"

namespace ktr4 {
namespace {

constexpr auto kPeriod = std::chrono::milliseconds(20);

int32_t wrapping_mul(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

void follow(uint8_t card, uint8_t axis)
{
    AxisState& state = axis_state(card, axis);
    FollowerMemory& memory = state.pulser.follower;

    uint32_t counter = 0;
    // A sample whose counter cannot be read is skipped: a made-up count would move the axis.
    last_result() = 0;
    if (read_register(card, state.pulser.follow_source, read_code(kPulserCounterCode), &counter) != KTR4_OK)
        return;
    const int32_t scaled = wrapping_mul(memory.direction, static_cast<int32_t>(counter));
    const int32_t change = wrapping_mul(
        static_cast<int32_t>(static_cast<uint32_t>(scaled) - static_cast<uint32_t>(state.pulser.previous_scaled_count)),
        state.pulser.follow_ratio);
    state.pulser.previous_scaled_count = scaled;
    for (int i = 4; i > 0; --i)
        memory.history[i] = memory.history[i - 1];
    memory.history[0] = change;
    memory.target = static_cast<int32_t>(static_cast<uint32_t>(memory.target) + static_cast<uint32_t>(change));

    int32_t speed = follower_speed(memory.history);
    if (speed == 0)
        speed = static_cast<int32_t>(memory.last_speed);

    // The follower picks its own speed range for every sample.
    const uint32_t fixed = state.profile.speed_range_fixed;
    state.profile.speed_range_fixed = 0;
    if (motion::online_change(card, axis, memory.target, true, speed, speed, 0.0, 0.0) != KTR4_OK) {
        // A stopped follower starts a move instead, on a record of its own: the change's
        // failure must not keep the move from starting.
        last_result() = 0;
        motion::position_move(card, axis, memory.target, true, motion::PositionMove {speed, speed, 0.0, 0.0, 0, 0},
                              motion::Curve::kT);
    }
    state.profile.speed_range_fixed = fixed;
    if (speed != 0)
        memory.last_speed = static_cast<uint32_t>(speed);
}

// One running timer: its own stop flag, so a stopped timer never runs again even if a new
// one has been started meanwhile.
struct TimerThread {
    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    std::thread thread;
};

std::mutex& timer_control()
{
    alignas(std::mutex) static unsigned char storage[sizeof(std::mutex)];
    static std::mutex* mutex = new (storage) std::mutex;
    return *mutex;
}
std::shared_ptr<TimerThread>& current_timer()
{
    static auto* timer = new std::shared_ptr<TimerThread>;  // outlives exit handlers
    return *timer;
}

void timer_loop(std::shared_ptr<TimerThread> timer)
{
    raise_own_thread_priority();
    auto next = std::chrono::steady_clock::now() + kPeriod;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(timer->mutex);
            if (timer->wake.wait_until(lock, next, [&] { return timer->stop; }))
                return;
        }
        run_follower_procedure();
        next += kPeriod;
        // A late tick (busy machine) does not try to catch up with a burst.
        const auto now = std::chrono::steady_clock::now();
        if (next < now)
            next = now + kPeriod;
    }
}

}  // namespace

int32_t follower_speed(const int32_t history[5])
{
    int64_t sum = 0;
    for (int i = 0; i < 5; ++i)
        sum += history[i];
    const int64_t speed = 50 * (sum / 5);
    if (speed > INT32_MAX)
        return INT32_MAX;
    if (speed < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(speed);
}

void run_follower_procedure()
{
    std::lock_guard<std::mutex> lock(library_mutex());
    last_result() = 0;
    for (uint8_t card = 0; card < kCardCount; ++card) {
        if (!card_initialised(card))
            continue;
        for (uint8_t axis = 0; axis < kAxesPerCard; ++axis)
            if (axis_state(card, axis).pulser.follow_enable == 1)
                follow(card, axis);
    }
    last_result() = 0;  // no export is in progress
}

bool start_follower_timer()
{
    // A refused thread (the system's limit) is reported, never thrown through the C interface.
    try {
        auto timer = std::make_shared<TimerThread>();
        std::lock_guard<std::mutex> control(timer_control());
        if (current_timer())
            return true;  // one timer at a time
        timer->thread = std::thread(timer_loop, timer);
        current_timer() = timer;
        return true;
    } catch (...) {
        return false;
    }
}

bool follower_timer_running()
{
    std::lock_guard<std::mutex> control(timer_control());
    return static_cast<bool>(current_timer());
}

void stop_follower_timer()
{
    std::shared_ptr<TimerThread> timer;
    {
        std::lock_guard<std::mutex> control(timer_control());
        timer.swap(current_timer());
    }
    if (!timer)
        return;
    {
        std::lock_guard<std::mutex> lock(timer->mutex);
        timer->stop = true;
    }
    timer->wake.notify_all();
    if (timer->thread.get_id() == std::this_thread::get_id()) {
        timer->thread.detach();  // asked from its own tick: it ends when the tick returns
    } else {
        timer->thread.join();
    }
}

}  // namespace ktr4
