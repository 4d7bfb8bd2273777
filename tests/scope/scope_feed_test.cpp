// The scope feed against a publisher thread writing a real shared-memory segment: its poller
// thread hands every publication, whole and in order, to the history and the recorder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "scope/scope_seqlock.h"
#include "scope_feed.h"

namespace {

ktr4sim_scope_state numbered(uint64_t n) {
  ktr4sim_scope_state s{};
  s.sample = n;
  s.tick = n * 1000;
  s.card_count = 1;
  for (uint32_t a = 0; a < 4; ++a) {
    s.cards[0].axes[a].command_position = static_cast<int32_t>(n * (a + 1));
    s.cards[0].axes[a].feedback_position = static_cast<int32_t>(n * (a + 1));
  }
  return s;
}

TEST(ScopeFeedThread, TakesEveryPublicationWholeAndInOrder) {
  const std::string name = "/ktr4scope-feed-test-" + std::to_string(getpid());
  const int fd = shm_open(name.c_str(), O_CREAT | O_RDWR | O_TRUNC, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, sizeof(ktr4sim_scope_segment)), 0);
  auto* segment = static_cast<ktr4sim_scope_segment*>(
      mmap(nullptr, sizeof(ktr4sim_scope_segment), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
  close(fd);
  ASSERT_NE(segment, MAP_FAILED);
  ktr4sim::scope::init_segment(*segment, getpid());

  ktr4scope::ScopeFeed feed(1000);
  ASSERT_TRUE(feed.attach(name));
  EXPECT_EQ(feed.pid(), getpid());
  const std::string csv = std::filesystem::temp_directory_path() / ("ktr4scope-feed-" + std::to_string(getpid()) + ".csv");
  ASSERT_TRUE(feed.recorder().start(csv, 0));

  constexpr uint64_t kCount = 150;
  std::thread publisher([&] {
    for (uint64_t n = 1; n <= kCount; ++n) {
      ktr4sim::scope::publish(*segment, numbered(n));
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
    EXPECT_EQ(s.cards[0].axes[3].command_position, static_cast<int32_t>(s.sample * 4));
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
  munmap(segment, sizeof(ktr4sim_scope_segment));
  shm_unlink(name.c_str());
}

}  // namespace
