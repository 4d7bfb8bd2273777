// Discovery, release, validation order, the low-byte rule and the register access layer.
#include <gtest/gtest.h>

#include <tuple>

#include "frame/card_table.h"
#include "frame/export_call.h"
#include "frame/register_access.h"
#include "ktr4.h"
#include "ktr4sim.h"
#include "sim_fixture.h"

namespace {

using ktr4test::RegisterWrite;

class Frame : public ktr4test::SimCardTest { };

TEST_F(Frame, InitialWithNoCardSucceedsAndEveryCardIsNotInitialised)
{
    start({});
    uint16_t info = 0;
    for (uint32_t card = 0; card < 16; ++card)
        EXPECT_EQ(KTR4_info(card, &info), KTR4_ERR_NOT_INITIALISED);
}

TEST_F(Frame, CardsAreRegisteredUnderTheirSwitchNumberNotTheirDriverOrder)
{
    start({3, 0, 15});
    ktr4sim_set_info_word(0, 0x0303);
    ktr4sim_set_info_word(1, 0x0000);
    ktr4sim_set_info_word(2, 0xBEEF);  // bytes four and five of the card's record

    uint16_t info = 0xFFFF;
    EXPECT_EQ(KTR4_info(3, &info), KTR4_OK);
    EXPECT_EQ(info, 0x0303);
    EXPECT_EQ(KTR4_info(0, &info), KTR4_OK);
    EXPECT_EQ(info, 0x0000);
    EXPECT_EQ(KTR4_info(15, &info), KTR4_OK);
    EXPECT_EQ(info, 0xBEEF);
    EXPECT_EQ(KTR4_info(1, &info), KTR4_ERR_NOT_INITIALISED);
    for (uint32_t slot = 0; slot < 3; ++slot)
        EXPECT_EQ(ktr4sim_is_open(slot), 1);
}

TEST_F(Frame, InitialAsksForThisModelReadsEachSwitchAndOpensEachCard)
{
    std::vector<uint8_t> switches = {6, 9};
    ktr4sim_set_cards(switches.data(), 2);
    ASSERT_EQ(KTR4_initial(), KTR4_OK);
    const auto calls = trace();
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(std::tuple(calls[0].operation, calls[0].a), std::tuple(1u, 0x4B34u));
    for (uint32_t slot = 0; slot < 2; ++slot) {
        const auto& read = calls[1 + slot * 2];
        const auto& open = calls[2 + slot * 2];
        EXPECT_EQ(std::tuple(read.operation, read.handle, read.a), std::tuple(12u, ktr4sim_handle(slot), 2u));
        EXPECT_EQ(std::tuple(open.operation, open.handle, open.a), std::tuple(3u, ktr4sim_handle(slot), 1u));
    }
}

TEST_F(Frame, DuplicateSwitchSettingsGive102AndTheFirstCardKeepsTheNumber)
{
    start({4});
    ktr4::axis_state(4, 1).end.commanded_end = 77;  // to see whether the tables get reset

    std::vector<uint8_t> switches = {2, 2};
    ktr4sim_set_cards(switches.data(), 2);
    EXPECT_EQ(KTR4_initial(), KTR4_ERR_DUPLICATE_CARD);
    EXPECT_EQ(ktr4::card_state(2).handle, ktr4sim_handle(0));
    EXPECT_EQ(ktr4::card_state(4).handle, ktr4::kNoCard);  // forgotten by the new discovery
    EXPECT_EQ(ktr4::axis_state(4, 1).end.commanded_end, 77);  // tables not reset
    EXPECT_EQ(ktr4sim_is_open(1), 0);  // the second card was never opened
}

TEST_F(Frame, AFailedInitialLeavesTheFollowerTimerOfTheCardsStillRegisteredRunning)
{
    start({2});
    ktr4::start_follower_timer();
    std::vector<uint8_t> switches = {2, 2};
    ktr4sim_set_cards(switches.data(), 2);
    EXPECT_EQ(KTR4_initial(), KTR4_ERR_DUPLICATE_CARD);
    EXPECT_EQ(ktr4::card_state(2).handle, ktr4sim_handle(0));  // still in use
    EXPECT_TRUE(ktr4::follower_timer_running());
    ktr4sim_fail(12, 77, 0, 1);
    EXPECT_EQ(KTR4_initial(), 77);
    EXPECT_TRUE(ktr4::follower_timer_running());

    // A failed initial does not start a timer that was not running either.
    ktr4::stop_follower_timer();
    EXPECT_EQ(KTR4_initial(), KTR4_ERR_DUPLICATE_CARD);
    EXPECT_FALSE(ktr4::follower_timer_running());
}

TEST_F(Frame, InitialResetsEveryAxisFieldOfAllSixteenCards)
{
    start({0});
    for (uint8_t card = 0; card < 16; ++card) {
        for (uint8_t axis = 0; axis < 4; ++axis) {
            auto& state = ktr4::axis_state(card, axis);
            state.profile.operation_mode = 0;
            state.end.commanded_end = -5;
            state.profile.correction_speed = 7;
            state.profile.fixed_magnification = 1;
            state.pulser.follow_source = 3;
            state.pulser.follow_ratio = 9;
            state.end.bookkeeping_armed = 1;
        }
    }
    start({0});
    for (uint8_t card = 0; card < 16; ++card) {
        for (uint8_t axis = 0; axis < 4; ++axis) {
            const auto& state = ktr4::axis_state(card, axis);
            EXPECT_EQ(std::tuple(state.profile.operation_mode, state.end.commanded_end), std::tuple(0x01000041u, 0));
            EXPECT_EQ(std::tuple(state.profile.correction_speed, state.profile.fixed_magnification),
                      std::tuple(1000u, 299u));
            EXPECT_EQ(std::tuple(state.pulser.follow_source, state.pulser.follow_ratio), std::tuple(axis, 1u));
            EXPECT_EQ(state.end.bookkeeping_armed, 0u);
        }
    }
}

TEST_F(Frame, OnlyTheLowByteOfANumberSlotCounts)
{
    start({5, 0});
    uint16_t info = 0;
    EXPECT_EQ(KTR4_info(0x105, &info), KTR4_OK);  // card 5
    EXPECT_EQ(KTR4_info(0x110, &info), KTR4_ERR_CARD);  // card 0x10
    EXPECT_EQ(KTR4_info(0xFFFFFF00u, &info), KTR4_OK);  // card 0

    ktr4sim_trace_clear();
    int32_t position = 0;
    EXPECT_EQ(KTR4_read_current_position(0x205, 0x302, &position), KTR4_OK);
    const auto reads = calls_of(50);
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(std::tuple(reads[0].handle, reads[0].a), std::tuple(ktr4sim_handle(0), 2u));
    EXPECT_EQ(KTR4_read_current_position(5, 0x104, &position), KTR4_ERR_AXIS);
}

TEST_F(Frame, ValidationOrderIsCardThenAxisThenInitialisation)
{
    start({0});
    int32_t position = 0;
    EXPECT_EQ(KTR4_read_current_position(16, 4, &position), KTR4_ERR_CARD);
    EXPECT_EQ(KTR4_read_current_position(7, 4, &position), KTR4_ERR_AXIS);
    EXPECT_EQ(KTR4_read_current_position(7, 3, &position), KTR4_ERR_NOT_INITIALISED);
    EXPECT_EQ(trace().size(), 0u);
    // A validation error is returned, not stored.
    EXPECT_EQ(ktr4::last_result(), 0);
}

TEST_F(Frame, InitCardPutsTheCardIntoItsDefaultStateInOrder)
{
    start({0});
    EXPECT_EQ(KTR4_init_card(0), KTR4_OK);

    // All sixteen general outputs off: points 0-3 outer, axes 0-3 inner.
    const uint32_t off_codes[4] = {0x25, 0x19, 0x18, 0x1F};
    std::vector<uint32_t> expected_commands;
    for (uint32_t point = 0; point < 4; ++point)
        for (uint32_t axis = 0; axis < 4; ++axis)
            expected_commands.push_back(((1u << axis) << 8) | off_codes[point]);
    for (uint32_t axis = 0; axis < 4; ++axis)
        expected_commands.push_back(((1u << axis) << 8) | 0x49);  // stops
    expected_commands.push_back(0x0813);  // TTL mode 0
    expected_commands.push_back(0x0814);
    EXPECT_EQ(commands(), expected_commands);

    std::vector<RegisterWrite> expected_writes;
    for (uint32_t axis = 0; axis < 4; ++axis)
        expected_writes.push_back({axis, 0x9B, 0x100});
    for (uint32_t axis = 0; axis < 4; ++axis)
        expected_writes.push_back({axis, 0x9C, 0xB0077007});
    for (uint32_t axis = 0; axis < 4; ++axis)
        expected_writes.push_back({axis, 0x9D, axis == 3 ? 0x02204145u : 0x02204005u});
    for (uint32_t axis = 0; axis < 4; ++axis)
        expected_writes.push_back({axis, 0x9E, 0x01F02000});
    for (uint32_t axis = 0; axis < 4; ++axis)
        expected_writes.push_back({axis, 0xA1, 0});
    for (uint32_t code : {0xA3u, 0xA4u, 0xA5u, 0xA6u})
        for (uint32_t axis = 0; axis < 4; ++axis)
            expected_writes.push_back({axis, code, 0});
    expected_writes.push_back({1, 0x9D, 0x02204005});  // TTL lines of axes 1 and 2 cleared
    expected_writes.push_back({2, 0x9D, 0x02204005});
    EXPECT_EQ(register_writes(), expected_writes);

    EXPECT_EQ(reg(0, 3, 0xDD), 0x02204145u);
    uint8_t mode = 9;
    EXPECT_EQ(KTR4_readback_TTL_IO_MODE(0, &mode), KTR4_OK);
    EXPECT_EQ(mode, 0);
    EXPECT_EQ(reg(0, 0, 0xDE) & (1u << 24), 1u << 24);  // backlash correction bit
    EXPECT_EQ(reg(0, 0, 0xDE) & 0xFF, 0u);  // home mode field
    EXPECT_EQ(ktr4::axis_state(0, 2).profile.operation_mode, 0x01000041u);
}

TEST_F(Frame, InitCardCarriesOnPastFailuresAndReturnsTheFirst)
{
    start({0});
    ktr4sim_fail(51, 66, 0, 3);  // the first three register writes fail
    EXPECT_EQ(KTR4_init_card(0), 66);
    EXPECT_EQ(calls_of(51).size(), 38u);  // 36 plain writes and the two TTL writes

    ktr4sim_trace_clear();
    ktr4sim_fail(51, 67, 37, 1);  // only the final write fails
    EXPECT_EQ(KTR4_init_card(0), 67);
}

TEST_F(Frame, CloseReleasesOpenCardsOnceAndThenReachesNoCard)
{
    start({0, 1});
    EXPECT_EQ(KTR4_close(), KTR4_OK);
    const auto closes = calls_of(3);
    ASSERT_EQ(closes.size(), 2u);
    EXPECT_EQ(closes[0].a, 0u);
    EXPECT_EQ(ktr4sim_is_open(0), 0);
    EXPECT_EQ(ktr4sim_is_open(1), 0);

    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_close(), KTR4_OK);
    EXPECT_EQ(trace().size(), 0u);  // nothing left open; every export then finds no card (FreshProcess)
}

TEST_F(Frame, AFailedWriteIsTracedWithTheValueItCarried)
{
    start({0});
    ktr4sim_fail(51, 21, 0, 1);
    ktr4sim_fail(22, 22, 0, 1);
    std::lock_guard<std::mutex> lock(ktr4::library_mutex());
    EXPECT_EQ(ktr4::write_register(0, 1, 0x9B, 0x1234), 21);
    ktr4::last_result() = 0;  // as the next export would start
    EXPECT_EQ(ktr4::write_command(0, 0x02, 0x4A), 22);
    EXPECT_EQ(register_writes(), (std::vector<RegisterWrite> {{1, 0x9B, 0x1234}}));
    EXPECT_EQ(commands(), (std::vector<uint32_t> {0x024A}));
    EXPECT_EQ(reg(0, 1, 0xDB), 0u);  // the card itself did not take it
}

TEST_F(Frame, ReadModifyWriteSkipsTheWriteWhenTheReadFails)
{
    start({0});
    ktr4sim_fail(50, 123, 0, 1);
    EXPECT_EQ(KTR4_config_comparator_out(0, 1, 1, 1, 1), 123);
    EXPECT_TRUE(register_writes().empty());
}

class Bookkeeping : public ktr4test::SimCardTest { };

// A stop is booked when the bookkeeping is armed and the axis stands: the pulses it fell short
// of its commanded end are lost, and that end becomes where it stopped. Armed afterwards always.
TEST_F(Bookkeeping, AStopIsBookedOnlyWhenArmedAndStoppedWithAPositionRead)
{
    struct Case {
        const char* what;
        uint8_t armed;
        bool moving, read_fails;
        int32_t end, position;
        int32_t rc, end_after, lost_after;
        uint8_t pending_after;
        size_t driver_calls;
    };
    const Case cases[] = {
        {"not armed: only arms", 0, false, false, 1000, -250, KTR4_OK, 1000, 0, 0, 0},
        {"armed and stopped", 1, false, false, 1000, -250, KTR4_OK, -250, 1250, 1, 2},
        {"still moving", 1, true, false, 1000, -250, KTR4_OK, 1000, 0, 0, 1},
        {"position unreadable", 1, false, true, 1000, -250, 31, 1000, 0, 0, 2},
        {"lost pulses wrap like the card's counters", 1, false, false, INT32_MAX, INT32_MIN, KTR4_OK, INT32_MIN, -1, 1,
         2},
    };
    start({0});
    std::lock_guard<std::mutex> lock(ktr4::library_mutex());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto& state = ktr4::axis_state(0, 1);
        state.end = {};
        state.end.bookkeeping_armed = c.armed;
        state.end.commanded_end = c.end;
        set_status(0, 1, KTR4SIM_MAIN_STATUS, c.moving ? 0 : 0x0008);
        set_reg(0, 1, 0xE3, static_cast<uint32_t>(c.position));
        ktr4sim_trace_clear();
        if (c.read_fails)
            ktr4sim_fail(50, 31, 0, 1);
        EXPECT_EQ(ktr4::note_axis_stop(0, 1), c.rc);
        EXPECT_EQ(std::tuple(state.end.commanded_end, state.end.lost_pulses), std::tuple(c.end_after, c.lost_after));
        EXPECT_EQ(std::tuple(state.end.correction_pending, state.end.bookkeeping_armed),
                  std::tuple(c.pending_after, 1));
        EXPECT_EQ(trace().size(), c.driver_calls);  // the status word, then the position
    }
}

TEST_F(Bookkeeping, ImmediateStopStopsTheAxisAndArmsIt)
{
    start({0});
    EXPECT_EQ(KTR4_imd_stop(0, 2), KTR4_OK);
    EXPECT_EQ(commands(), (std::vector<uint32_t> {0x0449}));
    EXPECT_EQ(ktr4::axis_state(0, 2).end.bookkeeping_armed, 1);
    // The next stop finds the axis armed and stopped and books its position.
    set_reg(0, 2, 0xE3, 42);
    EXPECT_EQ(KTR4_imd_stop(0, 2), KTR4_OK);
    EXPECT_EQ(ktr4::axis_state(0, 2).end.commanded_end, 42);
    EXPECT_EQ(ktr4::axis_state(0, 2).end.lost_pulses, -42);
}

}  // namespace
