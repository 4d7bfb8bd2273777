// Behaviour that needs a process in which KTR4_initial has not run yet: ctest runs each of
// these tests in a process of its own, against the shared library.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

#include "ktr4.h"
#include "ktr4sim.h"

namespace {

// Every export that takes a card number, called for `card`.
std::vector<std::function<int32_t(uint32_t)>> card_exports()
{
    static int32_t i32;
    static uint32_t u32;
    static uint16_t u16;
    static uint8_t a, b, c;
    static double f64;
    static KTR4_EVENT event;
    return {
        [](uint32_t card) { return KTR4_init_card(card); },
        [](uint32_t card) { return KTR4_info(card, &u16); },
        [](uint32_t card) { return KTR4_config_TTL_IO_MODE(card, 0); },
        [](uint32_t card) { return KTR4_readback_TTL_IO_MODE(card, &a); },
        [](uint32_t card) { return KTR4_read_current_position(card, 0, &i32); },
        [](uint32_t card) { return KTR4_set_current_position(card, 0, 5); },
        [](uint32_t card) { return KTR4_read_FB_counter(card, 0, &i32); },
        [](uint32_t card) { return KTR4_set_FB_counter(card, 0, 5); },
        [](uint32_t card) { return KTR4_read_FBcounter_latch_value(card, 0, &i32); },
        [](uint32_t card) { return KTR4_config_comparator_out(card, 0, 0, 0, 0); },
        [](uint32_t card) { return KTR4_readback_comparator_out(card, 0, &a, &b, &c); },
        [](uint32_t card) { return KTR4_set_comparator_data(card, 0, 1); },
        [](uint32_t card) { return KTR4_readback_comparator_data(card, 0, &i32); },
        [](uint32_t card) { return KTR4_read_compare_flag(card, 0, &a); },
        [](uint32_t card) { return KTR4_set_event_factor(card, 0, 1); },
        [](uint32_t card) { return KTR4_read_event_flag(card, 0, &u32); },
        [](uint32_t card) { return KTR4_read_error_flag(card, 0, &u32); },
        [](uint32_t card) { return KTR4_config_softlimit(card, 0, 0, 0); },
        [](uint32_t card) { return KTR4_readback_config_softlimit(card, 0, &a, &b); },
        [](uint32_t card) { return KTR4_set_softlimit_data(card, 0, 1, 2); },
        [](uint32_t card) { return KTR4_readback_softlimit_data(card, 0, &i32, &i32); },
        [](uint32_t card) { return KTR4_enable_softlimit(card, 0, 1); },
        [](uint32_t card) { return KTR4_readback_enable_softlimit(card, 0, &a); },
        [](uint32_t card) { return KTR4_read_softlimit_flag(card, 0, &a, &b); },
        [](uint32_t card) { return KTR4_read_motion_status(card, 0, 0, &a); },
        [](uint32_t card) { return KTR4_read_point_status(card, 0, 0, &a); },
        [](uint32_t card) { return KTR4_write_output_point(card, 0, 0, 1); },
        [](uint32_t card) { return KTR4_imd_stop(card, 0); },
        [](uint32_t card) { return KTR4_emg_stop(card); },
        [](uint32_t card) { return KTR4_set_pulse_outmode(card, 0, 1); },
        [](uint32_t card) { return KTR4_readback_pulse_outmode(card, 0, &a); },
        [](uint32_t card) { return KTR4_set_pulse_inmode(card, 0, 1, 0); },
        [](uint32_t card) { return KTR4_readback_pulse_inmode(card, 0, &a, &b); },
        [](uint32_t card) { return KTR4_config_SD_PIN(card, 0, 1, 1, 1, 1); },
        [](uint32_t card) { return KTR4_readback_SD_PIN(card, 0, &a, &b, &c, &a, &b); },
        [](uint32_t card) { return KTR4_config_PCS_PIN(card, 0, 1, 1); },
        [](uint32_t card) { return KTR4_readback_PCS_PIN(card, 0, &a, &b, &c); },
        [](uint32_t card) { return KTR4_config_INP_PIN(card, 0, 1, 1); },
        [](uint32_t card) { return KTR4_readback_INP_PIN(card, 0, &a, &b, &c); },
        [](uint32_t card) { return KTR4_config_ERC_PIN(card, 0, 1, 1, 1, 1); },
        [](uint32_t card) { return KTR4_readback_ERC_PIN(card, 0, &a, &b, &c, &a, &b); },
        [](uint32_t card) { return KTR4_config_ALM_PIN(card, 0, 1, 1); },
        [](uint32_t card) { return KTR4_readback_ALM_PIN(card, 0, &a, &b, &c); },
        [](uint32_t card) { return KTR4_config_LTC_PIN(card, 0, 1, 1); },
        [](uint32_t card) { return KTR4_readback_LTC_PIN(card, 0, &a, &b, &c); },
        [](uint32_t card) { return KTR4_config_CMP_OUT(card, 0, 1); },
        [](uint32_t card) { return KTR4_readback_CMP_OUT(card, 0, &a, &b); },
        [](uint32_t card) { return KTR4_config_EL_MODE(card, 0, 1); },
        [](uint32_t card) { return KTR4_readback_EL_MODE(card, 0, &a); },
        [](uint32_t card) { return KTR4_set_HOME_pin_logic(card, 0, 1); },
        [](uint32_t card) { return KTR4_readback_HOME_pin_logic(card, 0, &a); },
        [](uint32_t card) { return KTR4_set_EZ_pin_logic(card, 0, 1); },
        [](uint32_t card) { return KTR4_readback_EZ_pin_logic(card, 0, &a); },
        [](uint32_t card) { return KTR4_save_config2_file(card, "/nonexistent/ktr4.cfg"); },
        [](uint32_t card) { return KTR4_backlash_comp(card, 0, 1, 0, 1000); },
        [](uint32_t card) { return KTR4_readback_backlash_comp(card, 0, &u16, &a, &u32); },
        [](uint32_t card) { return KTR4_suppress_vibration(card, 0, 1, 2); },
        [](uint32_t card) { return KTR4_readback_suppress_vibration(card, 0, &u16, &u16); },
        [](uint32_t card) { return KTR4_set_continuous_flag(card, 0, 1); },
        [](uint32_t card) { return KTR4_check_continuous_buffer(card, 0, &a); },
        [](uint32_t card) { return KTR4_trigger_CSTA_pulse(card); },
        [](uint32_t card) { return KTR4_wait_CSTA_signal(card); },
        [](uint32_t card) { return KTR4_trigger_CSTP_pulse(card); },
        [](uint32_t card) { return KTR4_read_speed(card, 0, &f64); },
        [](uint32_t card) { return KTR4_config_home_mode(card, 0, 1, 1); },
        [](uint32_t card) { return KTR4_start_homing(card, 0, 100, 1000, 0.1, 0); },
        [](uint32_t card) { return KTR4_start_origin_search_homing(card, 0, 100, 1000, 0.1, 0, 10); },
        [](uint32_t card) { return KTR4_enable_IRQ(card, &event); },
        [](uint32_t card) { return KTR4_disable_IRQ(card); },
        [](uint32_t card) { return KTR4_set_INT_mask(card, 0, 1); },
        [](uint32_t card) { return KTR4_set_INT_source(card, 0, 1, 1); },
        [](uint32_t card) { return KTR4_read_INT_status(card, 0, &a, &u32, &u32); },
        [](uint32_t card) { return KTR4_fix_speed_range(card, 0, 1000); },
        [](uint32_t card) { return KTR4_unfix_speed_range(card, 0); },
        [](uint32_t card) { return KTR4_T_curve_position_move(card, 0, 100, 0, 10, 1000, 0.1, 0.1); },
        [](uint32_t card) { return KTR4_S_curve_position_move(card, 0, 100, 0, 10, 1000, 0.1, 0.1, 0, 0); },
        [](uint32_t card) { return KTR4_TR_position_move(card, 0, 100, 10, 1000, 0.1, 0.1); },
        [](uint32_t card) { return KTR4_TA_position_move(card, 0, 100, 10, 1000, 0.1, 0.1); },
        [](uint32_t card) { return KTR4_SR_position_move(card, 0, 100, 10, 1000, 0.1, 0.1, 0, 0); },
        [](uint32_t card) { return KTR4_SA_position_move(card, 0, 100, 10, 1000, 0.1, 0.1, 0, 0); },
        [](uint32_t card) { return KTR4_position_change(card, 0, 100, 0); },
        [](uint32_t card) { return KTR4_T_velocity_move(card, 0, 10, 1000, 0.1); },
        [](uint32_t card) { return KTR4_S_velocity_move(card, 0, 10, 1000, 0.1, 0); },
        [](uint32_t card) { return KTR4_velocity_change(card, 0, 500, 0.1); },
        [](uint32_t card) { return KTR4_dec_stop(card, 0, 0.1); },
    };
}

TEST(FreshProcess, BeforeInitialEveryCardIsNotInitialisedAndNothingReachesTheDriver)
{
    ktr4sim_reset();
    for (const auto& call : card_exports()) {
        EXPECT_EQ(call(0), KTR4_ERR_NOT_INITIALISED);
        EXPECT_EQ(call(15), KTR4_ERR_NOT_INITIALISED);
        EXPECT_EQ(call(16), KTR4_ERR_CARD);  // the range check comes first
    }
    EXPECT_EQ(ktr4sim_trace_size(), 0u);
}

TEST(FreshProcess, AfterCloseEveryCardIsNotInitialisedAndNothingReachesTheDriver)
{
    ktr4sim_reset();
    const uint8_t switches[] = {0, 15};
    ktr4sim_set_cards(switches, 2);
    ASSERT_EQ(KTR4_initial(), KTR4_OK);
    ASSERT_EQ(KTR4_close(), KTR4_OK);
    ktr4sim_trace_clear();
    for (const auto& call : card_exports()) {
        EXPECT_EQ(call(0), KTR4_ERR_NOT_INITIALISED);
        EXPECT_EQ(call(15), KTR4_ERR_NOT_INITIALISED);
    }
    EXPECT_EQ(ktr4sim_trace_size(), 0u);
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

TEST(FreshProcess, BeforeInitialLoadingAConfigurationOpensItsFileFirst)
{
    ktr4sim_reset();
    EXPECT_EQ(KTR4_load_config_from_file(0, "/nonexistent/ktr4.cfg"), KTR4_ERR_FILE);
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

TEST(FreshProcess, MissingDriverLibraryLeavesEveryCardUninitialisedUntilItCanBeLoaded)
{
    setenv("KTR4IO_LIBRARY", "/nonexistent/libnothing.so", 1);
    EXPECT_EQ(KTR4_initial(), KTR4_ERR_DRIVER_LOAD);
    uint16_t info = 0;
    EXPECT_EQ(KTR4_info(0, &info), KTR4_ERR_NOT_INITIALISED);

    // A later KTR4_initial tries again.
    unsetenv("KTR4IO_LIBRARY");
    ktr4sim_reset();
    EXPECT_EQ(KTR4_initial(), KTR4_OK);
    EXPECT_EQ(KTR4_info(0, &info), KTR4_OK);
}

TEST(FreshProcess, DriverLackingAnOperationIsRefused)
{
    setenv("KTR4IO_LIBRARY", INCOMPLETE_DRIVER, 1);
    EXPECT_EQ(KTR4_initial(), KTR4_ERR_DRIVER_OPERATION);
    int32_t position = 0;
    EXPECT_EQ(KTR4_read_current_position(0, 0, &position), KTR4_ERR_NOT_INITIALISED);
}

}  // namespace
