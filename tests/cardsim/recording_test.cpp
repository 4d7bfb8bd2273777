// A user's program recorded by the simulated card (KTR4SIM_RECORD) and drawn by ktr4-plot: the
// example programs run as separate processes, so the record is made, and finished, exactly as
// for any program.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "recording_file.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// Runs the program with `extra` added to the environment; its exit status (-1: not run).
int run(const std::vector<std::string>& argv, const std::string& extra = {})
{
    std::vector<char*> args, env;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (char** e = environ; *e != nullptr; ++e)
        if (std::string(*e).rfind("KTR4SIM_", 0) != 0)
            env.push_back(*e);
    if (!extra.empty())
        env.push_back(const_cast<char*>(extra.c_str()));
    env.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), env.data()) != 0)
        return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

std::string text_of(const fs::path& file)
{
    std::ifstream in(file);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

struct RecordedProgram {
    const char* program;
    std::array<int32_t, 4> end;  // where the program leaves the axes
    double top_speed;  // the fastest it asks any axis to go, pulses per second
    // What the program adds to an axis's position when it makes a new origin (home_and_move
    // makes the home position 0); the row after it may be that much further on.
    std::array<int32_t, 4> new_origin_shift;
    friend std::ostream& operator<<(std::ostream& out, const RecordedProgram& p) { return out << p.program; }
};

class Recording : public ::testing::TestWithParam<RecordedProgram> {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("ktr4_recording_" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_P(Recording, TheRunIsRecordedEveryMillisecondAndDrawn)
{
    const RecordedProgram& p = GetParam();
    const fs::path csv = dir_ / "run.csv";
    ASSERT_EQ(run({fs::path(KTR4_EXAMPLES_DIR) / p.program}, "KTR4SIM_RECORD=" + csv.string()), 0);

    ktr4plot::Run recorded;
    std::string error;
    ASSERT_TRUE(ktr4plot::read_recording(csv, recorded, error)) << error;
    ASSERT_EQ(recorded.axes, (std::vector<uint8_t> {0, 1, 2, 3}));
    const auto& rows = recorded.samples;
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows.front().t, 0.0);
    std::array<bool, 4> shifted {};
    for (size_t i = 1; i < rows.size(); ++i) {
        ASSERT_GT(rows[i].t, rows[i - 1].t) << "row " << i;
        ASSERT_NEAR(rows[i].t * 1000, std::round(rows[i].t * 1000), 1e-6) << "row " << i << " is off the 1 ms grid";
        // A row every millisecond, except across a still stretch, which keeps its first and last.
        if (rows[i].t - rows[i - 1].t > 0.0015)
            for (int a = 0; a < 4; ++a) {
                ASSERT_EQ(rows[i].pos[a], rows[i - 1].pos[a]) << "row " << i << " axis " << a;
                ASSERT_EQ(rows[i].speed[a], rows[i - 1].speed[a]) << "row " << i << " axis " << a;
            }
        for (int a = 0; a < 4; ++a) {
            ASSERT_LE(rows[i].speed[a], p.top_speed * 1.01) << "row " << i << " axis " << a;
            // Between two rows a millisecond apart an axis moving in both goes no further than its
            // speed allows. (Rows further apart end a still stretch; a standing axis may be given a
            // new position, as home_and_move does after homing, before its next move starts.)
            const double dt = rows[i].t - rows[i - 1].t;
            if (dt > 0.0015 || rows[i].speed[a] == 0 || rows[i - 1].speed[a] == 0)
                continue;
            // On the wall clock the stop, the new origin and the next start may all fall between
            // two rows; the new origin is allowed once.
            const double bound = p.top_speed * dt * 1.01 + 2;
            const double step = std::abs(rows[i].pos[a] - rows[i - 1].pos[a]);
            if (step > bound && !shifted[a] && p.new_origin_shift[a] != 0
                && std::abs(rows[i].pos[a] - rows[i - 1].pos[a] - p.new_origin_shift[a]) <= bound) {
                shifted[a] = true;
                continue;
            }
            ASSERT_LE(step, bound) << "row " << i << " axis " << a;
        }
    }
    for (int a = 0; a < 4; ++a)
        EXPECT_EQ(rows.back().pos[a], p.end[a]) << "axis " << a << " at the end";

    const fs::path out = dir_ / "svg";
    ASSERT_EQ(run({KTR4_PLOT, "--out", out.string(), csv.string()}), 0);
    const std::string svg = text_of(out / "run.svg");
    EXPECT_NE(svg.find("Recorded run run.csv"), std::string::npos);
    const std::vector<uint8_t> moving = ktr4plot::moving_axes(recorded);
    // Position and speed of each moving axis, and the X-Y path when two move.
    size_t lines = 0;
    for (size_t at = svg.find("<polyline"); at != std::string::npos; at = svg.find("<polyline", at + 1))
        ++lines;
    EXPECT_EQ(lines, 2 * moving.size() + (moving.size() == 2 ? 1 : 0));
}

// lines_arcs_circle runs on the virtual clock, home_and_move on the wall clock.
INSTANTIATE_TEST_SUITE_P(Examples, Recording,
                         ::testing::Values(RecordedProgram {"lines_arcs_circle", {20000, 0, 0, 8000}, 20000, {}},
                                           RecordedProgram {"home_and_move", {8000, 0, 0, 0}, 20000, {3000, 0, 0, 0}}),
                         [](const auto& info) { return std::string(info.param.program); });

TEST(RecordingFile, ARunThatIsNotARecordIsRefusedWithItsReason)
{
    const fs::path file = fs::temp_directory_path() / ("ktr4_not_a_record_" + std::to_string(getpid()) + ".csv");
    ktr4plot::Run run;
    std::string error;
    for (const char* text : {"time,x\n0,1\n", "time_s,position_0,speed_0\n0,1\n", "time_s,position_0,speed_0\n"}) {
        std::ofstream(file) << text;
        EXPECT_FALSE(ktr4plot::read_recording(file, run, error)) << text;
        EXPECT_NE(error.find(file.string()), std::string::npos) << error;
    }
    fs::remove(file);
    EXPECT_FALSE(ktr4plot::read_recording(file, run, error));
}

}  // namespace
