// Saving and loading a card's configuration record, with real files.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "frame/card_table.h"
#include "ktr4.h"
#include "ktr4sim.h"
#include "sim_fixture.h"

namespace {

namespace fs = std::filesystem;

const uint32_t kReadCodes[12] = {0xDC, 0xDD, 0xDE, 0xDF, 0xE0, 0xE1, 0xE2, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB};

class ConfigFile : public ktr4test::SimCardTest {
protected:
    void SetUp() override
    {
        SimCardTest::SetUp();
        dir_ = fs::temp_directory_path()
            / ("ktr4cfg-" + std::to_string(::getpid()) + "-"
               + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        start({0, 3});
    }
    void TearDown() override
    {
        fs::remove_all(dir_);
        SimCardTest::TearDown();
    }
    std::string path(const char* name) const { return (dir_ / name).string(); }

    // Temporary files of a save still in the folder.
    int temporaries() const
    {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(dir_))
            if (entry.path().filename().string().find(".ktr4-saving") != std::string::npos)
                ++count;
        return count;
    }
    // Runs `body` in a child process and returns its exit status (the library's state and the
    // simulated card are the parent's, copied).
    template <typename Body> static pid_t spawn(Body body)
    {
        const pid_t child = fork();
        if (child == 0)
            _exit(body());
        return child;
    }
    static int exit_status(pid_t child)
    {
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    static std::vector<unsigned char> bytes_of(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void write_bytes(const std::string& file, const std::vector<unsigned char>& bytes)
    {
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    // A value per register and axis that carries the bytes text-mode I/O would mangle.
    static uint32_t sample(int reg, uint32_t axis) { return 0x0A0D1A00u + static_cast<uint32_t>(reg * 4) + axis; }
    static void fill_samples()
    {
        for (int r = 0; r < 12; ++r)
            for (uint32_t axis = 0; axis < 4; ++axis)
                set_reg(0, axis, kReadCodes[r], sample(r, axis));
    }

    fs::path dir_;
};

TEST_F(ConfigFile, SaveWritesTheTwelveRegistersThenTheTableFieldsLittleEndian)
{
    fill_samples();
    for (uint8_t axis = 0; axis < 4; ++axis) {
        ktr4::axis_state(0, axis).profile.correction_speed = 0x00001A0Du + axis;
        ktr4::axis_state(0, axis).profile.mode_variant = static_cast<uint8_t>(axis == 2 ? 0x1A : 0);
    }
    const std::string file = path("card0.cfg");
    ASSERT_EQ(KTR4_save_config2_file(0, file.c_str()), KTR4_OK);

    const auto bytes = bytes_of(file);
    ASSERT_EQ(bytes.size(), 212u);
    auto u32_at = [&](size_t at) {
        return static_cast<uint32_t>(bytes[at]) | (bytes[at + 1] << 8) | (bytes[at + 2] << 16)
            | (static_cast<uint32_t>(bytes[at + 3]) << 24);
    };
    for (int r = 0; r < 12; ++r)
        for (uint32_t axis = 0; axis < 4; ++axis)
            EXPECT_EQ(u32_at(r * 16 + axis * 4), sample(r, axis));
    EXPECT_EQ(u32_at(192 + 4), 0x00001A0Eu);
    EXPECT_EQ(bytes[210], 0x1A);
    EXPECT_EQ(bytes[208], 0x00);
    EXPECT_EQ(register_reads().size(), 48u);
    EXPECT_EQ(temporaries(), 0);
}

TEST_F(ConfigFile, RoundTripIntoAnotherCardRestoresEverything)
{
    fill_samples();
    ASSERT_EQ(KTR4_backlash_comp(0, 1, 0x0D0, 1, 0x0A0A0A0Au), KTR4_OK);
    const std::string file = path("roundtrip.cfg");
    ASSERT_EQ(KTR4_save_config2_file(0, file.c_str()), KTR4_OK);

    ktr4sim_trace_clear();
    ASSERT_EQ(KTR4_load_config_from_file(3, file.c_str()), KTR4_OK);  // card 3 is slot 1
    EXPECT_EQ(calls_of(51).size(), 48u);
    for (int r = 0; r < 12; ++r)
        for (uint32_t axis = 0; axis < 4; ++axis)
            EXPECT_EQ(reg(1, axis, kReadCodes[r]), reg(0, axis, kReadCodes[r])) << std::hex << kReadCodes[r];
    EXPECT_EQ(ktr4::axis_state(3, 1).profile.correction_speed, 0x0A0A0A0Au);
    EXPECT_EQ(ktr4::axis_state(3, 1).profile.mode_variant, 1);
    EXPECT_EQ(ktr4::axis_state(3, 0).profile.correction_speed, 1000u);
    // The shadow enables are not part of the file.
    EXPECT_EQ(ktr4::axis_state(3, 1).profile.operation_mode, 0x01000041u);
}

TEST_F(ConfigFile, MissingFileIs309WithNothingWritten)
{
    EXPECT_EQ(KTR4_load_config_from_file(0, path("absent.cfg").c_str()), KTR4_ERR_FILE);
    EXPECT_EQ(KTR4_load_config_from_file(0, nullptr), KTR4_ERR_FILE);
    EXPECT_EQ(KTR4_save_config2_file(0, nullptr), KTR4_ERR_FILE);
    EXPECT_TRUE(trace().empty());
}

TEST_F(ConfigFile, APathEndingInASlashNamesAFolderAndIs309)
{
    ASSERT_EQ(KTR4_save_config2_file(0, path("valid.cfg").c_str()), KTR4_OK);
    const std::vector<unsigned char> saved = bytes_of(path("valid.cfg"));
    fs::create_symlink(path("valid.cfg") + "/", path("slashed.lnk"));
    ktr4sim_trace_clear();
    // The system says "Not a directory" of these: nothing is loaded and no file is created.
    for (const std::string& source : {path("valid.cfg") + "/", path("valid.cfg") + "//", path("slashed.lnk")}) {
        EXPECT_EQ(KTR4_load_config_from_file(0, source.c_str()), KTR4_ERR_FILE) << source;
        EXPECT_EQ(KTR4_save_config2_file(0, source.c_str()), KTR4_ERR_FILE) << source;
    }
    EXPECT_EQ(KTR4_save_config2_file(0, (path("new.cfg") + "/").c_str()), KTR4_ERR_FILE);
    EXPECT_FALSE(fs::exists(path("new.cfg")));
    EXPECT_EQ(bytes_of(path("valid.cfg")), saved);
    EXPECT_TRUE(register_writes().empty());
}

TEST_F(ConfigFile, AShortFileChangesNothingAndALongerOneLoadsItsFirstRecord)
{
    for (size_t size : {0u, 1u, 211u}) {
        const std::string file = path("short.cfg");
        write_bytes(file, std::vector<unsigned char>(size, 0x5A));
        ktr4sim_trace_clear();
        EXPECT_EQ(KTR4_load_config_from_file(0, file.c_str()), KTR4_ERR_FILE_SIZE) << size;
        EXPECT_TRUE(trace().empty());
        EXPECT_EQ(ktr4::axis_state(0, 0).profile.correction_speed, 1000u);
    }
    for (size_t size : {213u, 4096u}) {
        std::vector<unsigned char> bytes(size, 0x5A);
        bytes[192] = 0x21;  // axis 0's correction speed, low byte
        const std::string file = path("long.cfg");
        write_bytes(file, bytes);
        ktr4sim_trace_clear();
        EXPECT_EQ(KTR4_load_config_from_file(0, file.c_str()), KTR4_OK) << size;
        EXPECT_EQ(calls_of(51).size(), 48u);
        EXPECT_EQ(reg(0, 3, 0xEB), 0x5A5A5A5Au);
        EXPECT_EQ(ktr4::axis_state(0, 0).profile.correction_speed, 0x5A5A5A21u);
    }
}

TEST_F(ConfigFile, ACardNotInitialisedGets100SavesNoFileAndLoadsOnlyTheTableFields)
{
    EXPECT_EQ(KTR4_save_config2_file(5, path("never.cfg").c_str()), KTR4_ERR_NOT_INITIALISED);
    EXPECT_FALSE(fs::exists(path("never.cfg")));

    std::vector<unsigned char> record(212, 0);
    record[192] = 0x34;
    record[193] = 0x12;
    record[211] = 1;
    const std::string file = path("other.cfg");
    write_bytes(file, record);
    EXPECT_EQ(KTR4_load_config_from_file(7, file.c_str()), KTR4_ERR_NOT_INITIALISED);
    EXPECT_TRUE(trace().empty());
    EXPECT_EQ(ktr4::axis_state(7, 0).profile.correction_speed, 0x1234u);
    EXPECT_EQ(ktr4::axis_state(7, 3).profile.mode_variant, 1);
}

TEST_F(ConfigFile, FailedSaveReports309AndLeavesNoPartialFile)
{
    // Nothing can be created inside a directory that does not exist.
    EXPECT_EQ(KTR4_save_config2_file(0, path("no/such/dir.cfg").c_str()), KTR4_ERR_FILE);
    EXPECT_TRUE(trace().empty());  // the file is opened before any register is read

    // The target cannot be replaced: the save fails and the temporary file is gone.
    const std::string target = path("a-directory");
    fs::create_directories(fs::path(target) / "inside");
    EXPECT_EQ(KTR4_save_config2_file(0, target.c_str()), KTR4_ERR_FILE);
    EXPECT_TRUE(fs::is_directory(fs::path(target) / "inside"));
    EXPECT_EQ(temporaries(), 0);
}

TEST_F(ConfigFile, ASaveWithAFailedReadKeepsTheOldFileAndASaveThatSucceedsReplacesItWhole)
{
    const std::string file = path("kept.cfg");
    const std::vector<unsigned char> old(1000, 0xEE);
    write_bytes(file, old);
    ktr4sim_fail(50, 71, 20, 1);  // the 21st read fails, later ones succeed
    EXPECT_EQ(KTR4_save_config2_file(0, file.c_str()), 71);
    EXPECT_EQ(bytes_of(file), old);
    EXPECT_EQ(temporaries(), 0);
    ktr4sim_fail(50, 72, 47, 1);  // only the last read
    EXPECT_EQ(KTR4_save_config2_file(0, file.c_str()), 72);
    EXPECT_EQ(bytes_of(file), old);
    EXPECT_EQ(KTR4_save_config2_file(0, file.c_str()), KTR4_OK);
    EXPECT_EQ(fs::file_size(file), 212u);
}

TEST_F(ConfigFile, ALinkedTargetIsSavedIntoItsFileWhichKeepsItsPermissions)
{
    const std::string real = path("real.cfg"), link = path("link.cfg");
    write_bytes(real, std::vector<unsigned char>(5, 1));
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("real.cfg", link);  // relative, as users make them
    ASSERT_EQ(KTR4_save_config2_file(0, link.c_str()), KTR4_OK);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::file_size(real), 212u);
    EXPECT_EQ(fs::status(real).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(temporaries(), 0);
}

TEST_F(ConfigFile, AReadOnlyTargetIsRefusedWith309AndStaysReadOnly)
{
    const std::string file = path("readonly.cfg");
    const std::vector<unsigned char> old(212, 0x33);
    write_bytes(file, old);
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    // The folder itself is writable for everyone: only the file's own permission refuses.
    fs::permissions(dir_, fs::perms::all);
    // A privileged process may write any file, so the refusal is checked as an ordinary user.
    const pid_t saver = spawn([&] {
        if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            return 90;
        return KTR4_save_config2_file(0, file.c_str()) == KTR4_ERR_FILE ? 0 : 91;
    });
    EXPECT_EQ(exit_status(saver), 0);
    EXPECT_EQ(bytes_of(file), old);
    EXPECT_EQ(temporaries(), 0);
    if (getuid() == 0) {
        // Root may save, and the file stays read-only for everyone else.
        ASSERT_EQ(KTR4_save_config2_file(0, file.c_str()), KTR4_OK);
        EXPECT_EQ(fs::status(file).permissions(),
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    }
}

TEST_F(ConfigFile, ALinkPlantedWhereATemporaryFileMightGoIsNeverWrittenThrough)
{
    const std::string file = path("target.cfg"), victim = path("victim");
    const std::vector<unsigned char> precious(10, 0x77);
    write_bytes(victim, precious);
    fs::create_symlink(victim, file + ".ktr4-saving");
    for (int i = 0; i < 20; ++i)
        fs::create_symlink(victim, file + ".ktr4-saving-" + std::to_string(::getpid()) + "-" + std::to_string(i));
    for (int i = 0; i < 30; ++i)
        ASSERT_EQ(KTR4_save_config2_file(0, file.c_str()), KTR4_OK);
    EXPECT_EQ(bytes_of(victim), precious);
    EXPECT_EQ(fs::file_size(file), 212u);
}

TEST_F(ConfigFile, TwoSavingProcessesNeverLeaveAnIncompleteFile)
{
    const std::string file = path("shared.cfg");
    ASSERT_EQ(KTR4_save_config2_file(0, file.c_str()), KTR4_OK);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    auto saver = [&] {
        int saves = 0;
        while (std::chrono::steady_clock::now() < until)
            if (KTR4_save_config2_file(0, file.c_str()) == KTR4_OK)
                ++saves;
            else
                return 1;
        return saves > 0 ? 0 : 2;
    };
    const pid_t first = spawn(saver), second = spawn(saver);
    int reads = 0, wrong = 0;
    while (std::chrono::steady_clock::now() < until) {
        ++reads;
        if (bytes_of(file).size() != 212u)
            ++wrong;
    }
    EXPECT_EQ(exit_status(first), 0);
    EXPECT_EQ(exit_status(second), 0);
    EXPECT_EQ(wrong, 0) << "of " << reads << " reads";
    EXPECT_EQ(fs::file_size(file), 212u);
    EXPECT_EQ(temporaries(), 0);
    std::cout << "two savers: " << wrong << " of " << reads << " reads not 212 bytes\n";
}

TEST_F(ConfigFile, ASaverKilledMidSaveLeavesNothingALaterSaveTripsOn)
{
    const std::string file = path("killed.cfg");
    int stale_seen = 0;
    for (int round = 0; round < 20; ++round) {
        const pid_t saver = spawn([&] {
            for (;;)
                KTR4_save_config2_file(0, file.c_str());
            return 0;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + round));
        kill(saver, SIGKILL);
        EXPECT_EQ(exit_status(saver), 128 + SIGKILL);
        stale_seen += temporaries();
        ASSERT_EQ(KTR4_save_config2_file(0, file.c_str()), KTR4_OK);
        EXPECT_EQ(fs::file_size(file), 212u);
        EXPECT_EQ(temporaries(), 0);  // what the killed saver left is cleared away
    }
    std::cout << "killed savers left " << stale_seen << " temporary files, all removed\n";
}

// Sources that are not a saved record: loading one gives 309 at once and programs nothing.
TEST_F(ConfigFile, ASourceThatIsNotARegularFileIs309WithoutWaiting)
{
    const std::string fifo = path("nobody-writes.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& source : {std::string("/dev/zero"), std::string("/dev/urandom"), std::string("/dev/null"),
                                      std::string("/proc/self/status"), fifo, dir_.string()}) {
        ktr4sim_trace_clear();
        std::atomic<bool> returned {false};
        // Should the load wait for a writer after all, one comes after 10 s with a whole record,
        // and the load then fails this test instead of hanging it.
        std::thread rescue([&] {
            for (int i = 0; i < 1000 && !returned; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (returned || source != fifo)
                return;
            const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            const std::vector<unsigned char> record(212, 0);
            if (fd >= 0 && write(fd, record.data(), record.size()) == 212)
                close(fd);
        });
        EXPECT_EQ(KTR4_load_config_from_file(0, source.c_str()), KTR4_ERR_FILE) << source;
        returned = true;
        rescue.join();
        EXPECT_TRUE(trace().empty()) << source;
    }
}

// A link in a sticky world-writable folder (as /tmp) is followed, by save and load alike, only
// when the follower or the folder's owner owns it, as the kernel's protected-symlinks rule has
// it (which this test does not rely on: it is off on many machines).
TEST_F(ConfigFile, ALinkAnotherUserPlantedInAStickyFolderIsNotFollowed)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "links of other users can only be made as root";
    constexpr uid_t kRoot = 0, kNobody = 65534, kDaemon = 1;
    const fs::path sticky = dir_ / "sticky";
    fs::create_directory(sticky);
    fs::permissions(dir_, fs::perms::all);  // the follower saves beside the victim
    const std::string victim = path("victim.cfg");
    const std::vector<unsigned char> precious(212, 0x77);
    struct Case {
        const char* what;
        uid_t folder_owner, link_owner, follower;
        bool through_folder_link;  // the link names the victim's folder, in the middle of the path
        bool followed;
    };
    const Case cases[] = {
        {"another user's link, root follows", kRoot, kNobody, kRoot, false, false},
        {"another user's link to a folder, root follows", kRoot, kNobody, kRoot, true, false},
        {"another user's link, a user follows", kRoot, kDaemon, kNobody, false, false},
        {"the follower's own link", kRoot, kNobody, kNobody, false, true},
        {"the folder owner's link, root follows", kNobody, kNobody, kRoot, false, true},
        {"the folder owner's link, a user follows", kRoot, kRoot, kNobody, true, true},
    };
    for (const Case& c : cases) {
        write_bytes(victim, precious);
        ASSERT_EQ(chmod(victim.c_str(), c.follower == kRoot ? 0600 : 0666), 0);
        ASSERT_EQ(chown(sticky.c_str(), c.folder_owner, c.folder_owner), 0);
        ASSERT_EQ(chmod(sticky.c_str(), 01777), 0);
        const fs::path link = sticky / "planted";
        fs::remove(link);
        fs::create_symlink(c.through_folder_link ? dir_ : fs::path(victim), link);
        ASSERT_EQ(lchown(link.c_str(), c.link_owner, c.link_owner), 0);
        const std::string through = c.through_folder_link ? (link / "victim.cfg").string() : link.string();

        const int32_t want = c.followed ? KTR4_OK : KTR4_ERR_FILE;
        const pid_t follower = spawn([&] {
            if (c.follower != kRoot && (setgid(c.follower) != 0 || setuid(c.follower) != 0))
                return 90;
            const int32_t saved = KTR4_save_config2_file(0, through.c_str());
            const int32_t loaded = KTR4_load_config_from_file(0, through.c_str());
            return (saved == want ? 0 : 1) | (loaded == want ? 0 : 2);
        });
        EXPECT_EQ(exit_status(follower), 0) << c.what << " (1: save, 2: load)";
        EXPECT_EQ(bytes_of(victim) == precious, !c.followed) << c.what;
        EXPECT_TRUE(fs::is_symlink(link)) << c.what;
        EXPECT_EQ(temporaries(), 0) << c.what;
    }
}

}  // namespace
