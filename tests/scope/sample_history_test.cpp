// The scope's ring of samples and its CSV recording, driven by states as the segment holds them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "csv_recorder.h"
#include "sample_history.h"

namespace {

using ktr4scope::CsvRecorder;
using ktr4scope::SampleHistory;

constexpr uint64_t kTicksPer10ms = KTR4SIM_TICKS_PER_SECOND / 100;

// Publication n at 10 ms intervals; axis a of card c stands at n * (a + 1) + 1000 * c.
ktr4sim_scope_state state_at(uint64_t n, uint64_t tick)
{
    ktr4sim_scope_state s {};
    s.sample = n;
    s.tick = tick;
    s.card_count = 2;
    for (uint32_t c = 0; c < 2; ++c)
        for (uint32_t a = 0; a < 4; ++a) {
            s.cards[c].axes[a].command_position = static_cast<int32_t>(n * (a + 1) + 1000 * c);
            s.cards[c].axes[a].speed = 100.0 * a + static_cast<double>(n);
        }
    return s;
}
ktr4sim_scope_state state_at(uint64_t n)
{
    return state_at(n, n * kTicksPer10ms);
}

TEST(ScopeSampleHistory, KeepsTheNewestSamplesInOrderWithinItsCapacity)
{
    SampleHistory history(50);
    for (uint64_t n = 1; n <= 130; ++n)
        EXPECT_TRUE(history.add(state_at(n)));
    ASSERT_EQ(history.size(), 50u);
    for (size_t i = 0; i < history.size(); ++i)
        EXPECT_EQ(history.at(i).sample, 81 + i);
    EXPECT_EQ(history.newest().sample, 130u);
    EXPECT_EQ(history.missed(), 0u);
}

TEST(ScopeSampleHistory, CountsMissedPublicationsAndIgnoresOnesAlreadyTaken)
{
    SampleHistory history(100);
    history.add(state_at(1));
    EXPECT_FALSE(history.add(state_at(1)));
    history.add(state_at(4));  // 2 and 3 were never read
    history.add(state_at(5));
    EXPECT_EQ(history.size(), 3u);
    EXPECT_EQ(history.missed(), 2u);
}

TEST(ScopeSampleHistory, AStandingClockReplacesTheNewestSample)
{
    SampleHistory history(100);
    history.add(state_at(1, 500));
    history.add(state_at(2, 500));  // virtual clock not advanced, registers changed
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history.newest().sample, 2u);
    history.add(state_at(3, 600));
    EXPECT_EQ(history.size(), 2u);
}

TEST(ScopeSampleHistory, StartsOverWhenTheClockGoesBack)
{
    SampleHistory history(100);
    for (uint64_t n = 1; n <= 20; ++n)
        history.add(state_at(n));
    history.add(state_at(21, 3));  // the program reset the simulator
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history.newest().sample, 21u);
    EXPECT_EQ(history.restarts(), 1u);
    history.add(state_at(1, 10));  // another program under the same name
    EXPECT_EQ(history.size(), 1u);
    EXPECT_EQ(history.restarts(), 2u);
}

TEST(ScopeSampleHistory, FindsTheStartOfTheLastSeconds)
{
    SampleHistory history(2000);
    EXPECT_EQ(history.first_within(10), 0u);
    for (uint64_t n = 1; n <= 1500; ++n)
        history.add(state_at(n));  // 15 s
    const size_t from = history.first_within(10.0);
    EXPECT_EQ(history.at(from).sample, 500u);  // 5.00 s .. 15.00 s
    EXPECT_EQ(history.first_within(100.0), 0u);
    EXPECT_EQ(history.first_within(0.0), history.size() - 1);
}

TEST(ScopeCsvRecorder, WritesThePlotToolsColumnsForTheChosenCard)
{
    const std::string path =
        std::filesystem::temp_directory_path() / ("ktr4scope-" + std::to_string(getpid()) + ".csv");
    CsvRecorder recorder;
    recorder.write(state_at(1));  // not recording: nothing
    ASSERT_TRUE(recorder.start(path, 1));
    for (uint64_t n = 10; n < 15; ++n)
        recorder.write(state_at(n));
    ktr4sim_scope_state one_card = state_at(15);
    one_card.card_count = 1;
    recorder.write(one_card);  // the card went away: no row
    EXPECT_EQ(recorder.rows(), 5u);
    ASSERT_TRUE(recorder.stop());
    EXPECT_FALSE(recorder.recording());

    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    std::filesystem::remove(path);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "time_s,position_0,speed_0,position_1,speed_1,position_2,speed_2,position_3,speed_3");
    EXPECT_EQ(lines[1], "0,1010,10,1020,110,1030,210,1040,310");
    EXPECT_EQ(lines[5], "0.04,1014,14,1028,114,1042,214,1056,314");
}

TEST(ScopeCsvRecorder, RefusesAPlaceItCannotWrite)
{
    CsvRecorder recorder;
    EXPECT_FALSE(recorder.start("/nonexistent-dir/x.csv", 0));
    EXPECT_FALSE(recorder.recording());
}

}  // namespace
