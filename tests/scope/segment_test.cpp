// The scope segment's layout, its sequence lock between a writer and a reader thread, and how
// readers find segments and refuse what is not one.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>
#include <thread>

#include "scope/scope_seqlock.h"
#include "segment_reader.h"

namespace {

namespace fs = std::filesystem;
using namespace ktr4sim::scope;

TEST(ScopeSegmentLayout, FieldsSitWhereTheHeaderSays) {
  EXPECT_EQ(offsetof(ktr4sim_scope_axis, speed), 8u);
  EXPECT_EQ(offsetof(ktr4sim_scope_axis, main_status), 24u);
  EXPECT_EQ(offsetof(ktr4sim_scope_axis, move_kind), 28u);
  EXPECT_EQ(offsetof(ktr4sim_scope_card, axes), 8u);
  EXPECT_EQ(offsetof(ktr4sim_scope_state, card_count), 24u);
  EXPECT_EQ(offsetof(ktr4sim_scope_state, cards), 32u);
  EXPECT_EQ(offsetof(ktr4sim_scope_segment, pid), 12u);
  EXPECT_EQ(offsetof(ktr4sim_scope_segment, latest), 24u);
  EXPECT_EQ(offsetof(ktr4sim_scope_segment, ring), 32u);
  EXPECT_EQ(offsetof(ktr4sim_scope_slot, state), 8u);
  EXPECT_EQ(sizeof(ktr4sim_scope_segment), 32u + KTR4SIM_SCOPE_SLOTS * 2216u);
  EXPECT_EQ(segment_name(4711), "/ktr4sim-scope-4711");
}

// Every field of state n is derived from n, so a copy mixing two states is caught.
ktr4sim_scope_state numbered_state(uint64_t n) {
  ktr4sim_scope_state s{};
  s.sample = n;
  s.tick = n * 196608;
  s.monotonic_ns = static_cast<int64_t>(n) * 10000000;
  s.card_count = 16;
  for (uint32_t c = 0; c < 16; ++c) {
    s.cards[c].switch_number = static_cast<uint32_t>(n + c);
    for (uint32_t a = 0; a < 4; ++a) {
      ktr4sim_scope_axis& axis = s.cards[c].axes[a];
      axis.command_position = static_cast<int32_t>(n * 7 + a);
      axis.feedback_position = -static_cast<int32_t>(n);
      axis.speed = static_cast<double>(n) * 0.5;
      axis.speed_register = static_cast<uint32_t>(n ^ 0xA5A5u);
      axis.operation_mode = static_cast<uint32_t>(n + 3);
      axis.main_status = static_cast<uint16_t>(n);
      axis.sub_status = static_cast<uint16_t>(~n);
      axis.move_kind = static_cast<uint16_t>(n % 7);
      axis.sensors = static_cast<uint16_t>(n & 1);
    }
  }
  return s;
}

bool consistent(const ktr4sim_scope_state& s) {
  const ktr4sim_scope_state expected = numbered_state(s.sample);
  return std::memcmp(&s, &expected, sizeof s) == 0;
}

TEST(ScopeSeqlock, ReaderThreadNeverSeesATornState) {
  static ktr4sim_scope_segment segment{};
  segment = ktr4sim_scope_segment{};
  init_segment(segment, 1);
  publish(segment, numbered_state(1));
  std::atomic<bool> done{false};
  const uint64_t kWrites = 200000;
  std::thread writer([&] {
    for (uint64_t n = 2; n <= kWrites; ++n) publish(segment, numbered_state(n));
    done = true;
  });
  uint64_t reads = 0, torn = 0, last = 0, backwards = 0;
  ktr4sim_scope_state s;
  while (!done.load() || reads == 0) {
    if (!read(segment, s)) continue;
    ++reads;
    if (!consistent(s)) ++torn;
    if (s.sample < last) ++backwards;
    last = s.sample;
  }
  writer.join();
  ASSERT_TRUE(read(segment, s));
  EXPECT_EQ(s.sample, kWrites);
  EXPECT_TRUE(consistent(s));
  EXPECT_GT(reads, 0u);
  EXPECT_EQ(torn, 0u);
  EXPECT_EQ(backwards, 0u);
}

TEST(ScopeSeqlock, ReadFailsWhileTheWriterIsInside) {
  auto segment = std::make_unique<ktr4sim_scope_segment>();
  init_segment(*segment, 1);
  ktr4sim_scope_state s;
  EXPECT_FALSE(read(*segment, s));  // nothing published yet
  publish(*segment, numbered_state(5));
  slot_of(*segment, 5).sequence += 1;  // as the writer leaves it mid-copy
  EXPECT_FALSE(try_read(*segment, 5, s));
  EXPECT_FALSE(read(*segment, s, 10));
  slot_of(*segment, 5).sequence += 1;
  ASSERT_TRUE(try_read(*segment, 5, s));
  EXPECT_EQ(s.sample, 5u);
  EXPECT_FALSE(try_read(*segment, 5 + KTR4SIM_SCOPE_SLOTS, s));  // same slot, another publication
}

TEST(ScopeSeqlock, ALateReaderGetsWhatTheRingStillHolds) {
  auto segment = std::make_unique<ktr4sim_scope_segment>();
  init_segment(*segment, 1);
  std::vector<uint64_t> got;
  ktr4sim_scope_state s;
  auto take = [&](const ktr4sim_scope_state& state) {
    EXPECT_TRUE(consistent(state));
    got.push_back(state.sample);
  };
  for (uint64_t n = 1; n <= 10; ++n) publish(*segment, numbered_state(n));
  EXPECT_EQ(read_since(*segment, 0, s, take), 10u);
  ASSERT_EQ(got.size(), 10u);
  EXPECT_EQ(got.front(), 1u);
  got.clear();
  EXPECT_EQ(read_since(*segment, 10, s, take), 10u);  // nothing new
  EXPECT_TRUE(got.empty());
  for (uint64_t n = 11; n <= 100; ++n) publish(*segment, numbered_state(n));
  EXPECT_EQ(read_since(*segment, 10, s, take), 100u);
  ASSERT_EQ(got.size(), KTR4SIM_SCOPE_SLOTS);
  EXPECT_EQ(got.front(), 100 - KTR4SIM_SCOPE_SLOTS + 1);
  EXPECT_EQ(got.back(), 100u);
}

class ScopeSegmentDirectory : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("ktr4scope-test-" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  void touch(const std::string& name) { std::ofstream(dir_ / name) << "x"; }
  fs::path dir_;
};

pid_t dead_pid() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return child;
}

TEST_F(ScopeSegmentDirectory, ListsLiveProcessesAndRemovesSegmentsOfDeadOnes) {
  const pid_t gone = dead_pid();
  ASSERT_FALSE(ktr4scope::process_alive(gone));
  touch("ktr4sim-scope-" + std::to_string(getpid()));
  touch("ktr4sim-scope-" + std::to_string(gone));
  touch("ktr4sim-scope-12ab");
  touch("something-else");
  const auto found = ktr4scope::find_segments(dir_.string());
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].pid, getpid());
  EXPECT_EQ(found[0].name, "/ktr4sim-scope-" + std::to_string(getpid()));
  EXPECT_FALSE(fs::exists(dir_ / ("ktr4sim-scope-" + std::to_string(gone))));
  EXPECT_TRUE(fs::exists(dir_ / "ktr4sim-scope-12ab"));  // not ours to judge
  EXPECT_TRUE(fs::exists(dir_ / "something-else"));
}

TEST_F(ScopeSegmentDirectory, LeavesStaleSegmentsWhenAskedTo) {
  const pid_t gone = dead_pid();
  touch("ktr4sim-scope-" + std::to_string(gone));
  EXPECT_TRUE(ktr4scope::find_segments(dir_.string(), false).empty());
  EXPECT_TRUE(fs::exists(dir_ / ("ktr4sim-scope-" + std::to_string(gone))));
}

// A shared-memory object of this size and first word, for the reader to judge.
struct ShmObject {
  ShmObject(size_t size, uint32_t magic) : name("/ktr4scope-test-" + std::to_string(getpid())) {
    const int fd = shm_open(name.c_str(), O_CREAT | O_RDWR | O_TRUNC, 0600);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(ftruncate(fd, static_cast<off_t>(size)), 0);
    auto segment = std::make_unique<ktr4sim_scope_segment>();
    init_segment(*segment, getpid());
    segment->magic = magic;
    publish(*segment, numbered_state(9));
    const size_t bytes = std::min(size, sizeof *segment);
    EXPECT_EQ(pwrite(fd, segment.get(), bytes, 0), static_cast<ssize_t>(bytes));
    close(fd);
  }
  ~ShmObject() { shm_unlink(name.c_str()); }
  std::string name;
};

TEST(ScopeSegmentReader, ReadsAValidSegmentAndRefusesOthers) {
  ktr4scope::SegmentReader reader;
  EXPECT_FALSE(reader.open("/ktr4scope-test-none"));
  {
    ShmObject good(sizeof(ktr4sim_scope_segment), KTR4SIM_SCOPE_MAGIC);
    ASSERT_TRUE(reader.open(good.name));
    EXPECT_EQ(reader.pid(), getpid());
    EXPECT_TRUE(reader.publisher_alive());
    ktr4sim_scope_state s;
    ASSERT_TRUE(reader.read(s));
    EXPECT_TRUE(consistent(s));
    EXPECT_EQ(s.sample, 9u);
  }
  {
    ShmObject wrong_magic(sizeof(ktr4sim_scope_segment), 0x12345678u);
    EXPECT_FALSE(reader.open(wrong_magic.name));
    EXPECT_FALSE(reader.is_open());
  }
  {
    ShmObject too_small(100, KTR4SIM_SCOPE_MAGIC);
    EXPECT_FALSE(reader.open(too_small.name));
  }
}

}  // namespace
