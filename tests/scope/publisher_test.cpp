// The simulated card's scope publisher, run with KTR4SIM_SCOPE set: in this process, and in
// child processes running ktr4-scope-tour (normal end, killed, variable unset).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "ktr4.h"
#include "ktr4sim.h"
#include "ktr4sim_scope.h"
#include "sample_history.h"
#include "segment_reader.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::string shm_file(long pid)
{
    return "/dev/shm" + ktr4sim::scope::segment_name(pid);
}

// Reads states until `done` says so or 5 s pass; true when `done` was satisfied.
template <typename Done> bool read_until(ktr4scope::SegmentReader& reader, Done done)
{
    const auto until = Clock::now() + 5s;
    ktr4sim_scope_state s;
    while (Clock::now() < until) {
        if (reader.read(s) && done(s))
            return true;
        std::this_thread::sleep_for(2ms);
    }
    return false;
}

class ScopePublisher : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(std::getenv("KTR4SIM_SCOPE"), nullptr) << "run with KTR4SIM_SCOPE set";
        ktr4sim_reset();
        ASSERT_TRUE(reader_.open(getpid()));
    }
    void TearDown() override
    {
        KTR4_close();
        ktr4sim_reset();
    }
    ktr4scope::SegmentReader reader_;
};

TEST_F(ScopePublisher, PublishesTheProcessSegment)
{
    EXPECT_EQ(reader_.pid(), getpid());
    const auto found = ktr4scope::find_segments();
    bool listed = false;
    for (const auto& f : found)
        listed = listed || f.pid == getpid();
    EXPECT_TRUE(listed);
    uint64_t first = 0;
    ASSERT_TRUE(read_until(reader_, [&](const ktr4sim_scope_state& s) { return (first = s.sample) > 0; }));
    EXPECT_TRUE(read_until(reader_, [&](const ktr4sim_scope_state& s) { return s.sample > first + 3; }));
}

TEST_F(ScopePublisher, AZeroedHeaderIsWrittenAgainByTheNextPublications)
{
    // Someone with write access zeroes the header: the segment is no scope segment until the
    // publisher writes its header again, which it does within a few publications.
    const int fd = open(shm_file(getpid()).c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    const ktr4sim::scope::Header zero {};
    ASSERT_EQ(pwrite(fd, &zero, sizeof zero, 0), static_cast<ssize_t>(sizeof zero));
    close(fd);
    const auto until = Clock::now() + 5s;
    ktr4scope::SegmentReader fresh;
    while (!fresh.open(getpid()) && Clock::now() < until)
        std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(fresh.is_open());
    EXPECT_TRUE(read_until(fresh, [](const ktr4sim_scope_state& state) { return state.sample > 0; }));
}

TEST_F(ScopePublisher, MovesTheWallClockModelWhileTheProgramMakesNoCall)
{
    ASSERT_EQ(KTR4_initial(), KTR4_OK);
    ASSERT_EQ(KTR4_init_card(0), KTR4_OK);
    ASSERT_EQ(KTR4_TR_position_move(0, 0, 3000, 1000, 10000, 0.05, 0.05), KTR4_OK);
    // From here on only the segment is looked at: the driver is not called.
    bool saw_motion = false;
    const bool ended = read_until(reader_, [&](const ktr4sim_scope_state& s) {
        const ktr4sim_scope_axis& a = s.cards[0].axes[0];
        if (a.move_kind == KTR4SIM_MOVE_POSITION && a.speed > 1000 && (a.main_status & 0x0008) == 0)
            saw_motion = true;
        return (a.main_status & 0x0008) && a.command_position == 3000 && a.move_kind == KTR4SIM_MOVE_NONE;
    });
    EXPECT_TRUE(saw_motion);
    EXPECT_TRUE(ended);
}

TEST_F(ScopePublisher, ShowsTheCardsAndTheVirtualClock)
{
    const uint8_t switches[2] = {3, 7};
    ktr4sim_set_cards(switches, 2);
    ktr4sim_use_virtual_clock(1);
    ktr4sim_advance(12345);
    const uint64_t now = ktr4sim_now();
    ktr4sim_scope_state seen {};
    ASSERT_TRUE(read_until(reader_, [&](const ktr4sim_scope_state& s) {
        seen = s;
        return s.virtual_clock == 1 && s.card_count == 2;
    }));
    EXPECT_EQ(seen.tick, now);  // a virtual clock is not moved by the publisher
    EXPECT_EQ(seen.cards[0].switch_number, 3u);
    EXPECT_EQ(seen.cards[1].switch_number, 7u);
}

// --- child processes -----------------------------------------------------------------------

struct Child {
    pid_t pid = -1;
    int wait()
    {
        int status = 0;
        waitpid(pid, &status, 0);
        return status;
    }
    bool running() const { return waitpid(pid, nullptr, WNOHANG) == 0; }
};

// The tour, its standard output dropped and its standard error to `errors` (when named).
// `before` runs once the tour's process id is known and before the tour starts.
Child spawn_tour(std::vector<std::string> args, bool scope, const std::string& errors = "",
                 const std::function<void(pid_t)>& before = nullptr)
{
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
        if (std::string(*e).rfind("KTR4SIM_SCOPE=", 0) != 0)
            env.emplace_back(*e);
    if (scope)
        env.emplace_back("KTR4SIM_SCOPE=1");
    args.insert(args.begin(), KTR4_SCOPE_TOUR);
    std::vector<char*> argv, envp;
    for (auto& a : args)
        argv.push_back(a.data());
    for (auto& e : env)
        envp.push_back(e.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    const int out = open("/dev/null", O_WRONLY | O_CLOEXEC);
    const int err = errors.empty() ? -1 : open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    int go[2];
    EXPECT_EQ(pipe2(go, O_CLOEXEC), 0);
    Child child;
    child.pid = fork();
    if (child.pid == 0) {  // only async-signal-safe calls until exec
        char byte;
        if (read(go[0], &byte, 1) < 0)
            _exit(126);
        dup2(out, 1);
        if (err >= 0)
            dup2(err, 2);
        execve(KTR4_SCOPE_TOUR, argv.data(), envp.data());
        _exit(127);
    }
    if (before)
        before(child.pid);
    EXPECT_EQ(write(go[1], "x", 1), 1);
    for (int fd : {go[0], go[1], out, err})
        if (fd >= 0)
            close(fd);
    return child;
}

std::string contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

size_t count_of(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

bool wait_for_file(const std::string& path)
{
    for (int i = 0; i < 500 && !std::filesystem::exists(path); ++i)
        std::this_thread::sleep_for(10ms);
    return std::filesystem::exists(path);
}

// The file appears before the publisher has sized and stamped it: tries every 10 ms.
bool open_when_ready(ktr4scope::SegmentReader& reader, pid_t pid, int tries = 500)
{
    bool opened = false;
    for (int i = 0; i < tries && !(opened = reader.open(pid)); ++i)
        std::this_thread::sleep_for(10ms);
    return opened;
}

TEST(ScopePublisherProcess, AKilledProgramsSegmentIsReadableByItsUserOnlyAndIsRecognisedAndRemoved)
{
    Child tour = spawn_tour({"--loop"}, true);
    ASSERT_TRUE(wait_for_file(shm_file(tour.pid)));
    struct stat info { };
    ASSERT_EQ(stat(shm_file(tour.pid).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(info.st_uid, geteuid());
    kill(tour.pid, SIGKILL);
    tour.wait();
    ASSERT_TRUE(std::filesystem::exists(shm_file(tour.pid)));  // nobody could remove it
    for (const auto& found : ktr4scope::find_segments())
        EXPECT_NE(found.pid, tour.pid);
    EXPECT_FALSE(std::filesystem::exists(shm_file(tour.pid)));
}

TEST(ScopePublisherProcess, NothingIsPublishedWithoutTheVariable)
{
    Child tour = spawn_tour({"--loop"}, false);
    std::this_thread::sleep_for(400ms);
    EXPECT_TRUE(tour.running());
    EXPECT_FALSE(std::filesystem::exists(shm_file(tour.pid)));
    kill(tour.pid, SIGKILL);
    tour.wait();
}

// The tour's segment recorded as it runs, then replayed into the scope's history.
TEST(ScopePublisherProcess, RecordedTourEndsWhereItWasCommanded)
{
    Child tour = spawn_tour({"--scale", "0.1"}, true);
    ASSERT_TRUE(wait_for_file(shm_file(tour.pid)));
    ktr4scope::SegmentReader reader;
    ASSERT_TRUE(open_when_ready(reader, tour.pid));
    std::vector<ktr4sim_scope_state> recording;
    ktr4sim_scope_state s;
    bool ended = false;
    while (!ended) {
        ended = !tour.running();  // one more read after the end: the last publication
        if (reader.read(s) && (recording.empty() || s.sample != recording.back().sample))
            recording.push_back(s);
        std::this_thread::sleep_for(2ms);
    }
    ASSERT_GT(recording.size(), 20u);

    ktr4scope::SampleHistory everything(recording.size());
    bool arc = false;
    uint64_t gaps = 0;
    for (size_t i = 0; i < recording.size(); ++i) {
        everything.add(recording[i]);
        arc = arc
            || (recording[i].cards[0].axes[0].move_kind == KTR4SIM_MOVE_ARC
                && recording[i].cards[0].axes[1].move_kind == KTR4SIM_MOVE_ARC);
        if (i > 0)
            gaps += recording[i].sample - recording[i - 1].sample - 1;
    }
    EXPECT_TRUE(arc);
    EXPECT_EQ(everything.missed(), gaps);
    for (size_t i = 1; i < everything.size(); ++i)
        EXPECT_GT(everything.at(i).tick, everything.at(i - 1).tick);
    const int32_t commanded[4] = {500, -300, 1500, -800};
    const ktr4sim_scope_card& last = everything.newest().cards[0];
    for (int a = 0; a < 4; ++a) {
        EXPECT_EQ(last.axes[a].command_position, commanded[a]) << "axis " << a;
        EXPECT_EQ(last.axes[a].feedback_position, commanded[a]) << "axis " << a;
        EXPECT_TRUE(last.axes[a].main_status & 0x0008) << "axis " << a;
        EXPECT_EQ(last.axes[a].move_kind, KTR4SIM_MOVE_NONE);
    }
}

// Someone else's object under the tour's segment name: the tour runs without a scope, says so
// once, and leaves the object as it was. Its own user's leftover (a killed process that had the
// same id) is replaced by a fresh segment.
TEST(ScopePublisherProcess, AnObjectUnderTheSegmentNameIsNeverTakenOver)
{
    const std::string errors =
        std::filesystem::temp_directory_path() / ("ktr4scope-errors-" + std::to_string(getpid()));
    const std::string planted(5000, 'P');
    struct Case {
        const char* what;
        uid_t owner;
        bool scope;
    };
    for (const Case& c : {Case {"another user's file", 65534, false}, Case {"own leftover", geteuid(), true}}) {
        if (c.owner != geteuid() && geteuid() != 0)
            continue;  // only root can give a file away
        Child tour = spawn_tour({"--scale", "0.02", "--hold", "0.5"}, true, errors, [&](pid_t pid) {
            std::ofstream(shm_file(pid), std::ios::binary) << planted;
            EXPECT_EQ(chown(shm_file(pid).c_str(), c.owner, c.owner), 0);
        });
        ktr4scope::SegmentReader reader;
        const bool opened = open_when_ready(reader, tour.pid, 100);
        const int status = tour.wait();
        ASSERT_TRUE(WIFEXITED(status)) << c.what;
        EXPECT_EQ(WEXITSTATUS(status), 0) << c.what;
        EXPECT_EQ(opened, c.scope) << c.what;
        const std::string said = contents(errors);
        EXPECT_EQ(count_of(said, "running without a scope"), c.scope ? 0u : 1u) << c.what << ": " << said;
        if (!c.scope) {
            EXPECT_TRUE(contents(shm_file(tour.pid)) == planted) << c.what;
            struct stat info { };
            ASSERT_EQ(stat(shm_file(tour.pid).c_str(), &info), 0);
            EXPECT_EQ(info.st_uid, c.owner);
        }
        EXPECT_EQ(std::filesystem::exists(shm_file(tour.pid)), !c.scope) << c.what;  // its own it removes
        std::filesystem::remove(shm_file(tour.pid));
    }
    std::filesystem::remove(errors);
}

// Someone removes the tour's segment while it runs and puts an object of their own under the
// name: at its exit the tour removes only the object it created, never what now has its name.
TEST(ScopePublisherProcess, AtExitOnlyTheObjectItCreatedIsRemoved)
{
    Child tour = spawn_tour({"--scale", "0.02", "--hold", "1"}, true);
    ktr4scope::SegmentReader reader;
    ASSERT_TRUE(open_when_ready(reader, tour.pid, 100));
    reader.close();
    const std::string name = shm_file(tour.pid);
    ASSERT_TRUE(std::filesystem::remove(name));
    const std::string planted(5000, 'P');
    std::ofstream(name, std::ios::binary) << planted;
    if (geteuid() == 0) {
        EXPECT_EQ(chown(name.c_str(), 65534, 65534), 0);  // another user's, where that can be had
    }
    const int status = tour.wait();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(contents(name) == planted);
    std::filesystem::remove(name);
}

// Whoever may write the segment truncates it while the tour publishes: the tour goes on, and its
// readers get the whole segment back.
TEST(ScopePublisherProcess, ATruncatedSegmentDoesNotStopTheProgram)
{
    const std::string errors =
        std::filesystem::temp_directory_path() / ("ktr4scope-errors-" + std::to_string(getpid()));
    Child tour = spawn_tour({"--loop"}, true, errors);
    ktr4scope::SegmentReader reader;
    ASSERT_TRUE(open_when_ready(reader, tour.pid));
    uint64_t before = 0;
    ASSERT_TRUE(read_until(reader, [&](const ktr4sim_scope_state& s) { return (before = s.sample) > 0; }));
    for (const off_t size : {0L, 4096L, 100000L}) {
        ASSERT_EQ(truncate(shm_file(tour.pid).c_str(), size), 0);
        std::this_thread::sleep_for(50ms);
    }
    EXPECT_TRUE(tour.running());
    EXPECT_TRUE(read_until(reader, [&](const ktr4sim_scope_state& s) { return s.sample > before + 5; }));
    EXPECT_EQ(std::filesystem::file_size(shm_file(tour.pid)), sizeof(ktr4sim_scope_segment));
    kill(tour.pid, SIGTERM);
    const int status = tour.wait();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;  // not SIGBUS
    EXPECT_EQ(count_of(contents(errors), "was resized"), 1u);
    std::filesystem::remove(shm_file(tour.pid));
    std::filesystem::remove(errors);
}

}  // namespace
