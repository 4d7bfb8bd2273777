// Behaviour that needs a process in which KTR4_initial has not run yet: ctest runs each of
// these tests in a process of its own, against the shared library.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "ktr4.h"
#include "export_table.h"
#include "ktr4sim.h"

namespace {

// Every export that takes a card number answers for cards 0 and 15 as for a card never found
// (a configuration load opens its file first, and there is none) and refuses card 16.
void expect_every_card_unknown()
{
    for (const ktr4test::Export& e : ktr4test::kExports) {
        if (e.setup == ktr4test::kTakesNoCard)
            continue;
        SCOPED_TRACE(e.name);
        const int32_t unknown = e.setup == ktr4test::kSavedFile ? KTR4_ERR_FILE : KTR4_ERR_NOT_INITIALISED;
        ktr4test::Out out;
        EXPECT_EQ(e.call(0, out), unknown);
        EXPECT_EQ(e.call(15, out), unknown);
        EXPECT_EQ(e.call(16, out), KTR4_ERR_CARD);  // the range check comes first
        EXPECT_TRUE(out.untouched());
    }
    EXPECT_EQ(ktr4sim_trace_size(), 0u);
}

TEST(FreshProcess, BeforeInitialEveryCardIsNotInitialisedAndNothingReachesTheDriver)
{
    ktr4sim_reset();
    expect_every_card_unknown();
}

TEST(FreshProcess, AfterCloseEveryCardIsNotInitialisedAndNothingReachesTheDriver)
{
    ktr4sim_reset();
    const uint8_t switches[] = {0, 15};
    ktr4sim_set_cards(switches, 2);
    ASSERT_EQ(KTR4_initial(), KTR4_OK);
    ASSERT_EQ(KTR4_close(), KTR4_OK);
    ktr4sim_trace_clear();
    expect_every_card_unknown();
    EXPECT_EQ(ktr4sim_is_moving(0, 0) + ktr4sim_is_moving(1, 0), 0);
}

size_t open_descriptors()
{
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

void KTR4_CALL quiet_callback(uint8_t) { }

TEST(FreshProcess, CloseReturnsTheProcessToItsDescriptorBaseline)
{
    ktr4sim_reset();
    const size_t baseline = open_descriptors();
    uint8_t switches[16];
    for (uint8_t i = 0; i < 16; ++i)
        switches[i] = i;
    ktr4sim_set_cards(switches, 16);
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(KTR4_initial(), KTR4_OK);
        for (uint32_t card = 0; card < 16; ++card) {
            KTR4_EVENT event;
            ASSERT_EQ(KTR4_enable_IRQ(card, &event), KTR4_OK);
            if (card % 4 == 0) {
                ASSERT_EQ(KTR4_link_IRQ_process(card, quiet_callback), KTR4_OK);
            }
        }
        EXPECT_GT(open_descriptors(), baseline + 16);
        ASSERT_EQ(KTR4_close(), KTR4_OK);
        EXPECT_EQ(open_descriptors(), baseline) << "round " << round;
    }
}

// Both callbacks are inside at once and both close the library.
std::atomic<int> g_entered {0}, g_returned {0};
void KTR4_CALL closing_callback(uint8_t)
{
    ++g_entered;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (g_entered < 2 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    KTR4_close();
    ++g_returned;
}

TEST(FreshProcess, TwoCallbacksClosingTheLibraryAtOnceBothReturn)
{
    ktr4sim_reset();
    const uint8_t switches[] = {0, 1};
    ktr4sim_set_cards(switches, 2);
    ASSERT_EQ(KTR4_initial(), KTR4_OK);
    for (uint32_t card = 0; card < 2; ++card) {
        KTR4_EVENT event;
        ASSERT_EQ(KTR4_enable_IRQ(card, &event), KTR4_OK);
        ASSERT_EQ(KTR4_set_INT_mask(card, 0, 1), KTR4_OK);
        ASSERT_EQ(KTR4_link_IRQ_process(card, closing_callback), KTR4_OK);
    }
    for (uint32_t slot = 0; slot < 2; ++slot)
        ASSERT_EQ(ktr4sim_raise_interrupt(slot, 0, 0x20, 0), 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (g_returned < 2 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(g_entered.load(), 2);
    ASSERT_EQ(g_returned.load(), 2) << "the callbacks' KTR4_close calls wait for each other";
    // A close from outside joins the threads the callbacks could not.
    EXPECT_EQ(KTR4_close(), KTR4_OK);
    uint16_t info = 0;
    EXPECT_EQ(KTR4_info(0, &info), KTR4_ERR_NOT_INITIALISED);
}

TEST(FreshProcess, DefaultDriverIsTheSimulatedCardBesideTheLibrary)
{
    unsetenv("KTR4IO_LIBRARY");
    ktr4sim_reset();  // one card, switch 0
    ASSERT_EQ(KTR4_initial(), KTR4_OK);
    uint16_t info = 0;
    EXPECT_EQ(KTR4_info(0, &info), KTR4_OK);
    EXPECT_EQ(info, 0x0100);
    EXPECT_EQ(ktr4sim_is_open(0), 1);
}

}  // namespace
