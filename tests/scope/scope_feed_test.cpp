// The scope feed against a publisher thread writing a real shared-memory segment: its poller
// thread hands every publication, whole and in order, to the history and the recorder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "scope_feed.h"
#include "test_segment.h"

namespace {

TEST(ScopeFeedThread, TakesEveryPublicationWholeAndInOrder)
{
    scopetest::TestSegment segment;
    ASSERT_TRUE(segment.ok);

    ktr4scope::ScopeFeed feed(1000);
    ASSERT_TRUE(feed.attach(getpid()));
    EXPECT_EQ(feed.pid(), getpid());
    const std::string csv =
        std::filesystem::temp_directory_path() / ("ktr4scope-feed-" + std::to_string(getpid()) + ".csv");
    ASSERT_TRUE(feed.recorder().start(csv, 0));

    constexpr uint64_t kCount = 150;
    std::thread publisher([&] {
        for (uint64_t n = 1; n <= kCount; ++n) {
            segment.publish(scopetest::numbered_state(n));
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    // The window thread is slow on purpose: batches of publications wait for it.
    while (feed.history().empty() || feed.history().newest().sample < kCount) {
        std::this_thread::sleep_for(std::chrono::milliseconds(120));
        feed.poll();
    }
    publisher.join();
    const ktr4scope::SampleHistory& history = feed.history();
    for (size_t i = 0; i < history.size(); ++i) {
        const ktr4sim_scope_state& s = history.at(i);
        EXPECT_TRUE(scopetest::consistent(s)) << s.sample;
        if (i > 0) {
            EXPECT_GT(s.sample, history.at(i - 1).sample);
        }
    }
    // A 2 ms reader against 10 ms publications: at most a stray one lost on a very busy machine.
    EXPECT_LE(history.missed(), 3u);
    EXPECT_EQ(feed.recorder().rows(), history.size());
    EXPECT_TRUE(feed.recorder().stop());
    feed.detach();
    EXPECT_FALSE(feed.attached());
    std::filesystem::remove(csv);
}

}  // namespace
