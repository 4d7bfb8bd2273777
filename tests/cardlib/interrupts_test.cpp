// Interrupt events, the service thread, per-axis filters and the direct status read, with a
// real service thread and real eventfd signals from the simulated card.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <dirent.h>
#include <iostream>
#include <poll.h>
#include <thread>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "frame/card_table.h"
#include "frame/export_call.h"
#include "interrupts/named_event.h"
#include "interrupts/service_thread.h"
#include "ktr4.h"
#include "ktr4sim.h"
#include "sim_fixture.h"

namespace {

using ktr4test::eventually;
using ktr4test::RegisterWrite;

std::atomic<int> g_callbacks {0};
std::atomic<int> g_last_card {-1};
std::atomic<int> g_other_callbacks {0};

void KTR4_CALL count_callback(uint8_t card)
{
    g_last_card = card;
    ++g_callbacks;
}
void KTR4_CALL other_callback(uint8_t)
{
    ++g_other_callbacks;
}

// Entries of a /proc folder of this process: its threads (task) or open descriptors (fd).
int entries_of(const char* folder)
{
    int count = 0;
    if (DIR* dir = opendir(folder)) {
        while (dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.')
                ++count;
        closedir(dir);
    }
    return count;
}
int thread_count()
{
    return entries_of("/proc/self/task");
}
int descriptor_count()
{
    return entries_of("/proc/self/fd");
}

// A joined thread stays listed under /proc until the kernel has reaped it, a moment after
// the join returns; a count taken right after a join waits that moment out, no longer.
bool thread_count_settles_at(int expected)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (thread_count() != expected) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

class Interrupts : public ktr4test::SimCardTest {
protected:
    void SetUp() override
    {
        SimCardTest::SetUp();
        g_callbacks = 0;
        g_other_callbacks = 0;
        g_last_card = -1;
        start({3});
        // Threads the previous test joined may still be listed for a moment; the process itself
        // runs none but the main thread here.
        thread_count_settles_at(1);
        baseline_threads_ = thread_count();
    }
    void TearDown() override
    {
        // Close ends and joins every service thread the test left.
        KTR4_close();
        EXPECT_TRUE(thread_count_settles_at(baseline_threads_)) << thread_count() << " threads";
        SimCardTest::TearDown();
    }
    static size_t status_reads() { return calls_of(5).size(); }

    // Raises a non-firing interrupt and waits until the service thread has read it: every
    // earlier wake has then been fully served, callbacks included.
    void drain()
    {
        const size_t before = status_reads();
        ktr4sim_raise_interrupt(0, 3, 0, 0);
        ASSERT_TRUE(eventually([&] { return status_reads() > before; }));
    }

    void link_all_axes()
    {
        for (uint32_t axis = 0; axis < 3; ++axis)
            ASSERT_EQ(KTR4_set_INT_mask(3, axis, 1), KTR4_OK);
        KTR4_EVENT event;
        ASSERT_EQ(KTR4_enable_IRQ(3, &event), KTR4_OK);
        ASSERT_EQ(KTR4_link_IRQ_process(3, count_callback), KTR4_OK);
    }

    int baseline_threads_ = 0;
};

TEST(InterruptEventName, IsTheRawCardByteThenKtr4)
{
    char name[6];
    ktr4::card_event_name(3, name);
    EXPECT_EQ(std::memcmp(name, "\x03KTR4\0", 6), 0);
    ktr4::card_event_name(0, name);
    EXPECT_EQ(name[0], '\0');  // empty: an unnamed event
}

TEST(InterruptFiring, MaskCauseBitsAndSourceFilter)
{
    EXPECT_FALSE(ktr4::axis_fires(0, 0xFFFFFFFF, 0x30, 0xFFFFFFFF));
    EXPECT_TRUE(ktr4::axis_fires(1, 0, 0x20, 0));
    EXPECT_TRUE(ktr4::axis_fires(1, 0x10, 0x10, 0x30));
    EXPECT_FALSE(ktr4::axis_fires(1, 0x10, 0x10, 0x20));  // event word misses the source
    EXPECT_FALSE(ktr4::axis_fires(1, 0xFFFFFFFF, 0x0F, 0xFFFFFFFF));
}

TEST_F(Interrupts, NamedEventsAreSharedAndCardZeroGetsANewOneEachTime)
{
    KTR4_EVENT first, second;
    ASSERT_EQ(KTR4_enable_IRQ(3, &first), KTR4_OK);
    ASSERT_EQ(KTR4_enable_IRQ(3, &second), KTR4_OK);
    EXPECT_GE(first, 0);
    EXPECT_EQ(first, second);

    start({0});
    ASSERT_EQ(KTR4_enable_IRQ(0, &first), KTR4_OK);
    ASSERT_EQ(KTR4_enable_IRQ(0, &second), KTR4_OK);
    EXPECT_GE(second, 0);
    EXPECT_NE(first, second);
    KTR4_disable_IRQ(0);
    start({3});
}

TEST_F(Interrupts, EnableHandsTheDriverTheCardsEventSlot)
{
    KTR4_EVENT event = -7;
    ASSERT_EQ(KTR4_enable_IRQ(3, &event), KTR4_OK);
    EXPECT_EQ(event, ktr4::card_state(3).event);
    EXPECT_EQ(ktr4sim_interrupt_enabled(0), 1);
    EXPECT_EQ(ktr4::card_state(3).interrupt_off, 0);
    const auto enables = calls_of(4);
    ASSERT_EQ(enables.size(), 1u);
    EXPECT_EQ(enables[0].a, 1u);
    // The event the application got is the one the card signals.
    EXPECT_EQ(ktr4sim_raise_interrupt(0, 1, 0x20, 0), 0);
    pollfd readable {event, POLLIN, 0};
    EXPECT_EQ(poll(&readable, 1, 10000), 1);
}

TEST_F(Interrupts, CallbackGetsTheCardNumberOncePerWake)
{
    link_all_axes();
    {
        // Two axes interrupt before the service thread can look: one callback.
        std::lock_guard<std::mutex> hold(ktr4::library_mutex());
        ASSERT_EQ(ktr4sim_raise_interrupt(0, 0, 0x20, 0), 0);
        ASSERT_EQ(ktr4sim_raise_interrupt(0, 1, 0x20, 0), 0);
    }
    ASSERT_TRUE(eventually([] { return g_callbacks >= 1; }));
    drain();
    EXPECT_EQ(g_callbacks, 1);
    EXPECT_EQ(g_last_card, 3);

    ASSERT_EQ(ktr4sim_raise_interrupt(0, 2, 0x20, 0), 0);
    ASSERT_TRUE(eventually([] { return g_callbacks >= 2; }));
    drain();
    EXPECT_EQ(g_callbacks, 2);
}

TEST_F(Interrupts, AnEventWordOutsideTheSourceFilterDoesNotFire)
{
    ASSERT_EQ(KTR4_set_INT_source(3, 1, 0x10, 0), KTR4_OK);
    link_all_axes();
    ASSERT_EQ(ktr4sim_raise_interrupt(0, 1, 0x10, 0x20), 0);
    drain();
    EXPECT_EQ(g_callbacks, 0);
    ASSERT_EQ(ktr4sim_raise_interrupt(0, 1, 0x10, 0x10), 0);
    ASSERT_TRUE(eventually([] { return g_callbacks == 1; }));
}

TEST_F(Interrupts, LinkingTwiceStartsOneThreadAndReplacesTheCallback)
{
    link_all_axes();
    ASSERT_TRUE(eventually([&] { return thread_count() == baseline_threads_ + 1; }));
    ASSERT_EQ(KTR4_link_IRQ_process(3, other_callback), KTR4_OK);
    ASSERT_EQ(ktr4sim_raise_interrupt(0, 0, 0x20, 0), 0);
    ASSERT_TRUE(eventually([] { return g_other_callbacks == 1; }));
    drain();
    EXPECT_EQ(g_callbacks, 0);
    EXPECT_EQ(thread_count(), baseline_threads_ + 1);
}

TEST_F(Interrupts, EnablingAgainWhileLinkedKeepsTheCallbackWithoutTheDriver)
{
    // Card 3 keeps its named event across the enable, card 0 gets a new one each time: the
    // linked callback goes on being called for every interrupt either way.
    for (uint8_t card : {3, 0}) {
        SCOPED_TRACE(int(card));
        start({card});
        g_callbacks = 0;
        for (uint32_t axis = 0; axis < 3; ++axis)
            ASSERT_EQ(KTR4_set_INT_mask(card, axis, 1), KTR4_OK);
        KTR4_EVENT event;
        ASSERT_EQ(KTR4_enable_IRQ(card, &event), KTR4_OK);
        ASSERT_EQ(KTR4_link_IRQ_process(card, count_callback), KTR4_OK);
        ASSERT_TRUE(eventually([&] { return thread_count() == baseline_threads_ + 1; }));
        ktr4sim_trace_clear();
        ASSERT_EQ(KTR4_enable_IRQ(card, &event), KTR4_OK);
        EXPECT_TRUE(calls_of(4).empty());  // the driver already has the event slot
        EXPECT_EQ(ktr4::card_state(card).service.running, 1);
        for (int i = 1; i <= 20; ++i) {
            ASSERT_EQ(ktr4sim_raise_interrupt(0, 0, 0x20, 0), 0);
            ASSERT_TRUE(eventually([&] { return g_callbacks == i; })) << i << " of 20";
        }
        EXPECT_EQ(thread_count(), baseline_threads_ + 1);  // still the one thread
        EXPECT_EQ(KTR4_disable_IRQ(card), KTR4_OK);
        EXPECT_TRUE(eventually([&] { return thread_count() == baseline_threads_; }));
    }
    start({3});
}

TEST_F(Interrupts, DisableSwitchesOffAndWakesTheThreadToEnd)
{
    link_all_axes();
    drain();  // the thread now waits for the card's event
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_disable_IRQ(3), KTR4_OK);
    const auto calls = trace();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].operation, 6u);
    EXPECT_EQ(calls[0].a, 3u);  // the card number
    EXPECT_EQ(calls[1].operation, 4u);
    EXPECT_EQ(calls[1].a, 0u);  // disable
    EXPECT_EQ(ktr4::card_state(3).interrupt_off, 1);

    // No event needed: the disable itself ends the thread.
    EXPECT_TRUE(eventually([&] { return thread_count() == baseline_threads_; }));
    EXPECT_EQ(g_callbacks, 0);
}

TEST_F(Interrupts, AThreadLinkedAcrossAReEnableEndsWhenInterruptsAreDisabled)
{
    link_all_axes();
    drain();
    KTR4_EVENT event;
    ASSERT_EQ(KTR4_enable_IRQ(3, &event), KTR4_OK);  // the link is kept: the thread serves on
    drain();
    EXPECT_EQ(KTR4_disable_IRQ(3), KTR4_OK);
    EXPECT_TRUE(eventually([&] { return thread_count() == baseline_threads_; }));
}

TEST_F(Interrupts, ManyEnableLinkDisableCyclesLeaveNoThreadOrDescriptorBehind)
{
    start({0});
    KTR4_EVENT event;
    auto cycle = [&] {
        ASSERT_EQ(KTR4_enable_IRQ(0, &event), KTR4_OK);
        ASSERT_EQ(KTR4_link_IRQ_process(0, count_callback), KTR4_OK);
        ASSERT_EQ(KTR4_disable_IRQ(0), KTR4_OK);
    };
    cycle();
    ASSERT_EQ(KTR4_close(), KTR4_OK);
    start({0});
    const int threads = thread_count(), descriptors = descriptor_count();
    int most_threads = 0;
    for (int i = 0; i < 10000; ++i) {
        cycle();
        if (i % 100 == 0)
            most_threads = std::max(most_threads, thread_count());
    }
    const int descriptors_before_close = descriptor_count();
    ASSERT_EQ(KTR4_close(), KTR4_OK);
    EXPECT_TRUE(thread_count_settles_at(threads)) << thread_count();  // close joined every service thread
    EXPECT_EQ(descriptor_count(), descriptors);
    EXPECT_LE(most_threads, threads + 4);
    EXPECT_LE(descriptors_before_close, descriptors + 4);
    std::cout << "10000 interrupt cycles: threads " << threads << " before, at most " << most_threads << " during, "
              << thread_count() << " after close; descriptors " << descriptors << " before, "
              << descriptors_before_close << " before close, " << descriptor_count() << " after\n";
    start({3});
}

TEST_F(Interrupts, CloseEndsAndJoinsEveryServiceThread)
{
    start({3, 0});
    link_all_axes();
    KTR4_EVENT event;
    ASSERT_EQ(KTR4_enable_IRQ(0, &event), KTR4_OK);
    ASSERT_EQ(KTR4_link_IRQ_process(0, count_callback), KTR4_OK);  // a thread for each card
    ASSERT_TRUE(eventually([&] { return thread_count() == baseline_threads_ + 2; }));
    start({3});  // a new discovery switches interrupts off without ending the threads
    ASSERT_EQ(KTR4_close(), KTR4_OK);
    EXPECT_TRUE(thread_count_settles_at(baseline_threads_)) << thread_count();  // close returns after the joins
}

TEST_F(Interrupts, ARefusedServiceThreadIsReportedAndChangesNothing)
{
    ASSERT_EQ(KTR4_close(), KTR4_OK);  // no library thread left to copy into the child
    // A child process whose user may run no further thread: the system refuses the thread.
    const pid_t child = fork();
    if (child == 0) {
        if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(90);
        const rlimit one {1, 1};
        KTR4_EVENT event;
        if (KTR4_initial() != KTR4_OK)
            _exit(95);  // the follower timer already counts against the limit
        if (setrlimit(RLIMIT_NPROC, &one) != 0)
            _exit(91);
        if (KTR4_enable_IRQ(3, &event) != KTR4_OK)
            _exit(92);
        if (KTR4_link_IRQ_process(3, count_callback) != KTR4_ERR_THREAD)
            _exit(93);
        if (ktr4::card_state(3).service.running != 0)
            _exit(94);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    start({3});
}

TEST_F(Interrupts, TheEventSlotIsHandedOverWhileTheDriverSignalsFromAnotherThread)
{
    link_all_axes();
    std::atomic<bool> stop {false};
    std::thread card([&] {
        while (!stop)
            ktr4sim_raise_interrupt(0, 0, 0, 0);  // signals through the slot
    });
    KTR4_EVENT event;
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(KTR4_enable_IRQ(3, &event), KTR4_OK);
    stop = true;
    card.join();
    EXPECT_EQ(event, ktr4::card_state(3).event);
}

TEST_F(Interrupts, DisableSwitchesEverythingOffAndReportsTheFirstFailure)
{
    link_all_axes();
    ktr4sim_trace_clear();
    ktr4sim_fail(6, 61, 0, 1);
    ktr4sim_fail(4, 62, 0, 1);
    EXPECT_EQ(KTR4_disable_IRQ(3), 61);
    EXPECT_EQ(calls_of(4).size(), 1u);  // the interrupt was still switched off
    EXPECT_EQ(ktr4::card_state(3).service.running, 0);
}

TEST_F(Interrupts, CloseDisablesCardsWhoseInterruptsAreStillOn)
{
    link_all_axes();
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_close(), KTR4_OK);
    std::vector<uint32_t> operations;
    for (const auto& call : trace())
        operations.push_back(call.operation);
    EXPECT_EQ(operations, (std::vector<uint32_t> {6, 4, 3}));  // interrupts off before the card closes
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_close(), KTR4_OK);
    EXPECT_TRUE(trace().empty());
}

TEST_F(Interrupts, MaskAndSourceValues)
{
    EXPECT_EQ(KTR4_set_INT_mask(3, 1, 2), KTR4_ERR_RANGE);
    EXPECT_EQ(KTR4_set_INT_mask(5, 9, 0), KTR4_ERR_NOT_INITIALISED);  // initialisation before axis
    EXPECT_EQ(KTR4_set_INT_mask(3, 4, 0), KTR4_ERR_AXIS);
    EXPECT_TRUE(trace().empty());
    EXPECT_EQ(KTR4_set_INT_mask(3, 1, 1), KTR4_OK);
    EXPECT_TRUE(trace().empty());
    EXPECT_EQ(KTR4_set_INT_mask(3, 1, 0), KTR4_OK);
    EXPECT_EQ(KTR4_set_INT_source(3, 2, 0xFFFFFFFFu, 0xFFFFFFFFu), KTR4_OK);
    EXPECT_EQ(register_writes(), (std::vector<RegisterWrite> {{1, 0xAC, 0}, {2, 0xAC, 0x00055BF3u}}));
    EXPECT_EQ(ktr4::axis_state(3, 2).interrupts.source, 0x0003F7F3u);
    EXPECT_EQ(ktr4::axis_state(3, 1).interrupts.mask, 0);
}

TEST_F(Interrupts, ReadStatusDecodesTheAxisPartOfTheBlock)
{
    EXPECT_EQ(ktr4sim_raise_interrupt(0, 2, 0x30, 0xCAFEF00Du), KTR4SIM_ERR_DISABLED);  // pending only
    uint8_t field = 9;
    uint32_t event_word = 0, last_word = 0;
    EXPECT_EQ(KTR4_read_INT_status(3, 2, &field, &event_word, &last_word), KTR4_OK);
    EXPECT_EQ(field, 1);
    EXPECT_EQ(event_word, 0xCAFEF00Du);
    EXPECT_EQ(last_word, 0xCAFEF00Du);
    EXPECT_EQ(KTR4_read_INT_status(3, 2, &field, &event_word, &last_word), KTR4_OK);
    EXPECT_EQ(field, 0);  // read-to-clear on this card
    EXPECT_EQ(KTR4_read_INT_status(3, 4, &field, &event_word, &last_word), KTR4_ERR_AXIS);
}

}  // namespace
