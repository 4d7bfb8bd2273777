// Several threads inside the library at once: two application threads calling exports, the
// pulser follower's timer, and interrupts served on their own thread with callbacks that call
// back in. Run under ThreadSanitizer by CI; here it must end with every interrupt served.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "frame/card_table.h"
#include "ktr4.h"
#include "ktr4sim.h"
#include "sim_fixture.h"

namespace {

std::atomic<int> g_callbacks {0};

void KTR4_CALL on_interrupt(uint8_t card)
{
    int32_t position = 0;
    KTR4_read_current_position(card, 2, &position);  // callbacks may call the library
    ++g_callbacks;
}

std::chrono::milliseconds run_time()
{
    const char* text = std::getenv("KTR4_STRESS_MS");
    return std::chrono::milliseconds(text != nullptr ? std::atoi(text) : 2000);
}

TEST(Stress, ApplicationThreadsFollowerAndInterruptsTogether)
{
    ktr4sim_reset();
    ktr4sim_trace_enable(0);
    ASSERT_EQ(KTR4_initial(), KTR4_OK);
    ASSERT_EQ(KTR4_set_pulser_Map(0, 0, 1, 0), KTR4_OK);
    ASSERT_EQ(KTR4_enable_pulser_motion(0, 0, 1, 2), KTR4_OK);
    // Axes 0 and 1 carry the raised interrupts; the application's axes 2 and 3 are masked, since
    // their moves into the flag-only soft limits make the card raise error interrupts of its own.
    for (uint32_t axis = 0; axis < 4; ++axis)
        ASSERT_EQ(KTR4_set_INT_mask(0, axis, axis < 2 ? 1 : 0), KTR4_OK);
    KTR4_EVENT event;
    ASSERT_EQ(KTR4_enable_IRQ(0, &event), KTR4_OK);
    ASSERT_EQ(KTR4_link_IRQ_process(0, on_interrupt), KTR4_OK);

    std::atomic<bool> stop {false};
    std::atomic<long> calls {0};
    auto application = [&](uint32_t axis) {
        int32_t value = 0;
        uint8_t flag = 0;
        while (!stop) {
            KTR4_set_current_position(0, axis, value++);
            KTR4_read_current_position(0, axis, &value);
            KTR4_read_motion_status(0, axis, 0, &flag);
            KTR4_config_softlimit(0, axis, 1, 2);
            KTR4_T_curve_position_move(0, axis, 1000, 0, 100, 5000, 0.1, 0.1);
            KTR4_imd_stop(0, axis);
            calls += 6;
        }
    };
    std::thread first(application, 2);
    std::thread second(application, 3);

    // The pulser turns while interrupts arrive, one at a time so each must be served.
    int raised = 0;
    const auto until = std::chrono::steady_clock::now() + run_time();
    for (int32_t count = 0; std::chrono::steady_clock::now() < until; ++count) {
        ktr4sim_set_register(0, 1, 0xE6, static_cast<uint32_t>(count));
        ASSERT_EQ(ktr4sim_raise_interrupt(0, static_cast<uint32_t>(count % 2), 0x20, 0), 0);
        ++raised;
        ASSERT_TRUE(ktr4test::eventually([&] { return g_callbacks == raised; }, std::chrono::seconds(30)))
            << raised << " raised, " << g_callbacks << " served";
    }
    stop = true;
    first.join();
    second.join();

    EXPECT_EQ(KTR4_close(), KTR4_OK);
    EXPECT_GT(raised, 10);
    EXPECT_GT(calls.load(), 100);
    EXPECT_EQ(g_callbacks, raised);
    std::printf("stress: %d interrupts served one by one, %ld export calls from two threads\n", raised, calls.load());
}

}  // namespace
