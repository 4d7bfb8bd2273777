// The scope segment's layout, its sequence lock between a writer and a reader thread, how
// readers find segments and refuse what is not one, and what they make of crafted, truncated
// and shrinking segments.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <limits>
#include <random>
#include <thread>
#include <vector>

#include "ktr4sim_scope.h"
#include "scope_feed.h"
#include "segment_reader.h"
#include "test_segment.h"

namespace {

namespace fs = std::filesystem;
using namespace ktr4sim::scope;
using scopetest::consistent;
using scopetest::numbered_state;

TEST(ScopeSegmentLayout, FieldsSitWhereTheHeaderSays)
{
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

TEST(ScopeSeqlock, ReaderThreadNeverSeesATornState)
{
    scopetest::TestSegment segment;
    ASSERT_TRUE(segment.ok);
    segment.publish(numbered_state(1));
    std::atomic<bool> done {false};
    const uint64_t kWrites = 50000;
    std::thread writer([&] {
        for (uint64_t n = 2; n <= kWrites; ++n)
            segment.publish(numbered_state(n));
        done = true;
    });
    uint64_t reads = 0, torn = 0, last = 0, backwards = 0;
    ktr4sim_scope_state s;
    while (!done.load() || reads == 0) {
        if (!read(segment.fd, s))
            continue;
        ++reads;
        if (!consistent(s))
            ++torn;
        if (s.sample < last)
            ++backwards;
        last = s.sample;
    }
    writer.join();
    ASSERT_TRUE(read(segment.fd, s));
    EXPECT_EQ(s.sample, kWrites);
    EXPECT_TRUE(consistent(s));
    EXPECT_GT(reads, 0u);
    EXPECT_EQ(torn, 0u);
    EXPECT_EQ(backwards, 0u);
}

TEST(ScopeSeqlock, ReadFailsWhileTheWriterIsInside)
{
    scopetest::TestSegment segment;
    ASSERT_TRUE(segment.ok);
    ktr4sim_scope_state s;
    EXPECT_FALSE(read(segment.fd, s));  // nothing published yet
    segment.publish(numbered_state(5));
    const uint32_t odd = segment.image->ring[5].sequence + 1;  // as the writer leaves it mid-copy
    ASSERT_TRUE(write_at(segment.fd, &odd, sizeof odd, slot_offset(5)));
    EXPECT_EQ(try_read(segment.fd, 5, s), Copy::kBusy);
    EXPECT_FALSE(read(segment.fd, s, 10));
    ASSERT_TRUE(write_at(segment.fd, &segment.image->ring[5].sequence, sizeof odd, slot_offset(5)));
    ASSERT_EQ(try_read(segment.fd, 5, s), Copy::kWhole);
    EXPECT_EQ(s.sample, 5u);
    EXPECT_EQ(try_read(segment.fd, 5 + KTR4SIM_SCOPE_SLOTS, s), Copy::kNotThere);  // same slot, another publication
}

TEST(ScopeSeqlock, ALateReaderGetsWhatTheRingStillHolds)
{
    scopetest::TestSegment segment;
    ASSERT_TRUE(segment.ok);
    std::vector<uint64_t> got;
    ktr4sim_scope_state s;
    auto take = [&](const ktr4sim_scope_state& state) {
        EXPECT_TRUE(consistent(state));
        got.push_back(state.sample);
    };
    for (uint64_t n = 1; n <= 10; ++n)
        segment.publish(numbered_state(n));
    EXPECT_EQ(read_since(segment.fd, 0, s, take), 10u);
    ASSERT_EQ(got.size(), 10u);
    EXPECT_EQ(got.front(), 1u);
    got.clear();
    EXPECT_EQ(read_since(segment.fd, 10, s, take), 10u);  // nothing new
    EXPECT_TRUE(got.empty());
    for (uint64_t n = 11; n <= 100; ++n)
        segment.publish(numbered_state(n));
    EXPECT_EQ(read_since(segment.fd, 10, s, take), 100u);
    ASSERT_EQ(got.size(), KTR4SIM_SCOPE_SLOTS);
    EXPECT_EQ(got.front(), 100 - KTR4SIM_SCOPE_SLOTS + 1);
    EXPECT_EQ(got.back(), 100u);
}

class ScopeSegmentDirectory : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("ktr4scope-test-" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    void touch(const std::string& name) { std::ofstream(dir_ / name) << "x"; }
    fs::path dir_;
};

pid_t dead_pid()
{
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

TEST_F(ScopeSegmentDirectory, ListsLiveProcessesAndRemovesSegmentsOfDeadOnesUnlessAskedNotTo)
{
    const pid_t gone = dead_pid();
    ASSERT_FALSE(ktr4scope::process_alive(gone));
    touch("ktr4sim-scope-" + std::to_string(getpid()));
    touch("ktr4sim-scope-" + std::to_string(gone));
    touch("ktr4sim-scope-12ab");
    touch("something-else");
    EXPECT_EQ(ktr4scope::find_segments(dir_.string(), false).size(), 1u);  // asked to leave stale ones
    EXPECT_TRUE(fs::exists(dir_ / ("ktr4sim-scope-" + std::to_string(gone))));
    const auto found = ktr4scope::find_segments(dir_.string());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].pid, getpid());
    EXPECT_EQ(found[0].name, "/ktr4sim-scope-" + std::to_string(getpid()));
    EXPECT_FALSE(fs::exists(dir_ / ("ktr4sim-scope-" + std::to_string(gone))));
    EXPECT_TRUE(fs::exists(dir_ / "ktr4sim-scope-12ab"));  // not ours to judge
    EXPECT_TRUE(fs::exists(dir_ / "something-else"));
}

TEST_F(ScopeSegmentDirectory, SegmentsOfAnotherUserAreNeitherListedNorRemoved)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "giving a file to another user needs root";
    const pid_t gone = dead_pid();
    for (const long pid : {static_cast<long>(getpid()), static_cast<long>(gone)}) {
        const fs::path file = dir_ / ("ktr4sim-scope-" + std::to_string(pid));
        touch(file.filename().string());
        ASSERT_EQ(chown(file.c_str(), 65534, 65534), 0);
    }
    fs::create_symlink(dir_ / ("ktr4sim-scope-" + std::to_string(getpid())),
                       dir_ / ("ktr4sim-scope-" + std::to_string(getppid())));
    EXPECT_TRUE(ktr4scope::find_segments(dir_.string()).empty());
    EXPECT_TRUE(fs::exists(dir_ / ("ktr4sim-scope-" + std::to_string(gone))));
}

// Objects under this process's segment name that are not a segment this reader may take.
struct Refused {
    const char* what;
    std::function<void(scopetest::TestSegment&)> make;
};

const Refused kRefused[] = {
    {"no object", [](scopetest::TestSegment& t) { shm_unlink(t.name.c_str()); }},
    {"wrong magic", [](scopetest::TestSegment& t) { t.plant(0, uint32_t {0x12345678}); }},
    {"other version", [](scopetest::TestSegment& t) { t.plant(4, uint32_t {2}); }},
    {"too small", [](scopetest::TestSegment& t) { ASSERT_EQ(ftruncate(t.fd, 100), 0); }},
    {"header names another process", [](scopetest::TestSegment& t) { t.plant(12, int32_t {1}); }},
    {"header names no process", [](scopetest::TestSegment& t) { t.plant(12, int32_t {-1}); }},
    {"another user's", [](scopetest::TestSegment& t) { ASSERT_EQ(fchown(t.fd, 65534, 65534), 0); }},
    {"a FIFO nobody writes",
     [](scopetest::TestSegment& t) {
         shm_unlink(t.name.c_str());
         ASSERT_EQ(mkfifo(("/dev/shm" + t.name).c_str(), 0600), 0);
     }},
    {"a link to a segment",
     [](scopetest::TestSegment& t) {
         const std::string real = "/dev/shm" + t.name + "-real";
         ASSERT_EQ(rename(("/dev/shm" + t.name).c_str(), real.c_str()), 0);
         ASSERT_EQ(symlink(real.c_str(), ("/dev/shm" + t.name).c_str()), 0);
     }},
};

TEST(ScopeSegmentReader, ReadsAValidSegmentAndRefusesOthers)
{
    ktr4scope::SegmentReader reader;
    {
        scopetest::TestSegment good;
        ASSERT_TRUE(good.ok);
        good.publish(numbered_state(9));
        ASSERT_TRUE(reader.open(getpid()));
        EXPECT_EQ(reader.pid(), getpid());
        EXPECT_TRUE(reader.publisher_alive());
        ktr4sim_scope_state s;
        ASSERT_TRUE(reader.read(s));
        EXPECT_TRUE(consistent(s));
        EXPECT_EQ(s.sample, 9u);
    }
    for (const Refused& refused : kRefused) {
        if (std::strcmp(refused.what, "another user's") == 0 && geteuid() != 0)
            continue;
        scopetest::TestSegment planted;
        ASSERT_TRUE(planted.ok);
        planted.publish(numbered_state(9));
        refused.make(planted);
        EXPECT_FALSE(reader.open(getpid())) << refused.what;
        EXPECT_FALSE(reader.is_open());
        unlink(("/dev/shm" + planted.name + "-real").c_str());
        unlink(("/dev/shm" + planted.name).c_str());
    }
    EXPECT_FALSE(reader.open(0));
    EXPECT_FALSE(reader.open(-1));
}

// Publications that no publisher writes, each with how many of its slots a reader may take.
struct Crafted {
    const char* what;
    std::function<void(scopetest::TestSegment&)> make;
    size_t taken;
};

ktr4sim_scope_state with(uint64_t n, const std::function<void(ktr4sim_scope_state&)>& change)
{
    ktr4sim_scope_state s = numbered_state(n);
    change(s);
    return s;
}

void publish_ten(scopetest::TestSegment& t, const std::function<void(ktr4sim_scope_state&)>& change)
{
    for (uint64_t n = 1; n <= 10; ++n)
        t.publish(with(n, change));
}

const Crafted kCrafted[] = {
    {"card count 0xFFFFFFFF", [](auto& t) { publish_ten(t, [](auto& s) { s.card_count = 0xFFFFFFFFu; }); }, 0},
    {"card count 17", [](auto& t) { publish_ten(t, [](auto& s) { s.card_count = 17; }); }, 0},
    {"speed NaN", [](auto& t) { publish_ten(t, [](auto& s) { s.cards[15].axes[3].speed = std::nan(""); }); }, 0},
    {"speed infinite",
     [](auto& t) {
         publish_ten(t, [](auto& s) { s.cards[0].axes[0].speed = std::numeric_limits<double>::infinity(); });
     },
     0},
    {"speed negative", [](auto& t) { publish_ten(t, [](auto& s) { s.cards[2].axes[1].speed = -1; }); }, 0},
    {"switch 200", [](auto& t) { publish_ten(t, [](auto& s) { s.cards[3].switch_number = 200; }); }, 0},
    {"virtual clock 7", [](auto& t) { publish_ten(t, [](auto& s) { s.virtual_clock = 7; }); }, 0},
    {"latest at UINT64_MAX, nothing behind it", [](auto& t) { t.plant(24, UINT64_MAX); }, 0},
    {"latest at UINT64_MAX, a full ring behind it",
     [](auto& t) {
         for (uint64_t k = 0; k < 2 * KTR4SIM_SCOPE_SLOTS; ++k)
             t.publish(numbered_state(UINT64_MAX - 2 * KTR4SIM_SCOPE_SLOTS + 1 + k));
     },
     KTR4SIM_SCOPE_SLOTS},
    {"every slot odd",
     [](auto& t) {
         publish_ten(t, [](auto&) {});
         for (uint64_t n = 0; n < KTR4SIM_SCOPE_SLOTS; ++n)
             t.plant(ktr4sim::scope::slot_offset(n), uint32_t {1});
     },
     0},
    {"random bytes after the header",
     [](auto& t) {
         std::mt19937_64 random(7);
         std::vector<uint64_t> noise((sizeof(ktr4sim_scope_segment) - 32) / 8);
         for (uint64_t& word : noise)
             word = random();
         ASSERT_TRUE(ktr4sim::scope::write_at(t.fd, noise.data(), noise.size() * 8, 24));
     },
     0},
};

TEST(ScopeSegmentReader, CraftedPublicationsAreNeverHandedOverAndNeverHangTheReader)
{
    for (const Crafted& crafted : kCrafted) {
        scopetest::TestSegment segment;
        ASSERT_TRUE(segment.ok);
        crafted.make(segment);
        ktr4scope::SegmentReader reader;
        ASSERT_TRUE(reader.open(getpid())) << crafted.what;
        std::vector<ktr4sim_scope_state> got;
        const uint64_t next = reader.read_since(0, got);
        reader.read_since(next, got);  // nothing twice
        EXPECT_EQ(got.size(), crafted.taken) << crafted.what;
        for (const ktr4sim_scope_state& s : got)
            EXPECT_TRUE(consistent(s)) << crafted.what;
        ktr4sim_scope_state s;
        EXPECT_EQ(reader.read(s), crafted.taken > 0) << crafted.what;

        // The scope's own path: its poller thread reads the segment until the window lets go.
        ktr4scope::ScopeFeed feed(100);
        ASSERT_TRUE(feed.attach(getpid()));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        feed.poll();
        for (size_t i = 0; i < feed.history().size(); ++i)
            EXPECT_LE(feed.history().at(i).card_count, 16u);
        feed.detach();
    }
}

TEST(ScopeSegmentReader, ASegmentTruncatedWhileItIsReadIsNeitherFaultNorData)
{
    scopetest::TestSegment segment;
    ASSERT_TRUE(segment.ok);
    for (uint64_t n = 1; n <= 100; ++n)
        segment.publish(numbered_state(n));
    ktr4scope::SegmentReader reader;
    ASSERT_TRUE(reader.open(getpid()));
    std::atomic<bool> done {false};
    std::thread vandal([&] {
        const off_t sizes[] = {0, 100, 40000, static_cast<off_t>(sizeof(ktr4sim_scope_segment))};
        for (int round = 0; round < 3000; ++round) {
            EXPECT_EQ(ftruncate(segment.fd, sizes[round % 4]), 0);
            if (round % 4 == 3)
                ktr4sim::scope::write_segment(segment.fd, *segment.image);
        }
        done = true;
    });
    uint64_t reads = 0, whole = 0;
    std::vector<ktr4sim_scope_state> got;
    ktr4sim_scope_state s;
    while (!done) {
        ++reads;
        if (reader.read(s))
            ++whole;
        got.clear();
        reader.read_since(0, got);
        // Whoever truncates and rewrites a segment does not keep to its sequence lock, so a copy
        // may mix old and new bytes; it is still nothing a publisher could not have written.
        EXPECT_LE(got.size(), KTR4SIM_SCOPE_SLOTS);
        for (const ktr4sim_scope_state& g : got)
            EXPECT_LE(g.card_count, KTR4SIM_SCOPE_MAX_CARDS);
    }
    vandal.join();
    ASSERT_TRUE(reader.read(s));  // whole again
    EXPECT_EQ(s.sample, 100u);
    std::cout << "reads during truncation: " << reads << ", whole: " << whole << "\n";
}

}  // namespace
