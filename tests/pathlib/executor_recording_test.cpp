// Programs run by the executor on the simulated card, judged from the card's own recording
// (KTR4SIM_RECORD: every axis's position and speed every millisecond of card time). Each run is
// a separate process on the virtual clock, so the record is made and finished as for any program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "executor/card_moves.h"
#include "gcode/interpreter.h"
#include "machine/machine.h"
#include "planner/segments.h"
#include "recording_file.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace ktr4path;

const std::string kMachine = PATHLIB_TEST_MACHINES "/xyz_table.toml";

// The record's clock starts as the simulator loads, the card's (ktr4sim_now) a moment before:
// the times the helper prints may lie up to this much after the record's.
constexpr double kClockSkew = 0.003;

struct Recorded {
    ktr4plot::Run run;
    std::map<std::string, double> times;  // card seconds of each action, and of "end"
    std::string output;
};

// Runs the helper with its actions under KTR4SIM_RECORD and reads the record.
Recorded runRecorded(const std::string& program, const std::vector<std::string>& actions = {})
{
    const fs::path dir = fs::temp_directory_path() / ("ktr4path_rec_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path csv = dir / "run.csv", out = dir / "out.txt";
    std::vector<std::string> argv {PATHLIB_RUN_RECORDED, kMachine, std::string(PATHLIB_PROGRAMS "/") + program};
    argv.insert(argv.end(), actions.begin(), actions.end());
    std::vector<char*> args, env;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (char** e = environ; *e != nullptr; ++e)
        if (std::string(*e).rfind("KTR4SIM_", 0) != 0)
            env.push_back(*e);
    const std::string record = "KTR4SIM_RECORD=" + csv.string();
    env.push_back(const_cast<char*>(record.c_str()));
    env.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    Recorded r;
    int status = -1;
    if (posix_spawn(&pid, args[0], &files, nullptr, args.data(), env.data()) == 0)
        waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&files);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << program;
    if (std::FILE* f = std::fopen(out.c_str(), "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f)) {
            r.output += line;
            char name[64];
            double t = 0;
            if (std::sscanf(line, "%63s t=%lf", name, &t) == 2)
                r.times[name] = t;
        }
        std::fclose(f);
    }
    std::string error;
    EXPECT_TRUE(ktr4plot::read_recording(csv.string(), r.run, error)) << error;
    fs::remove_all(dir);
    return r;
}

// A row's X, Y, Z in mm.
Position unitsOf(const ktr4plot::Sample& row, const Machine& m)
{
    Position p {};
    for (int i = 0; i < 3; ++i)
        p[i] = row.pos[m.axes[i].axis] / m.axes[i].pulsesPerUnit * m.axes[i].direction;
    return p;
}

double pathSpeed(const ktr4plot::Sample& row, const Machine& m)
{
    double sum = 0;
    for (int i = 0; i < 3; ++i) {
        const double v = row.speed[m.axes[i].axis] / m.axes[i].pulsesPerUnit;
        sum += v * v;
    }
    return std::sqrt(sum);
}

double distanceToSegment(const Position& p, const Segment& s)
{
    double t = 0;
    for (int i = 0; i < 3; ++i)
        t += (p[i] - s.start[i]) * s.unit[i];
    t = std::clamp(t, 0.0, s.length);
    double d = 0;
    for (int i = 0; i < 3; ++i) {
        const double e = p[i] - (s.start[i] + s.unit[i] * t);
        d += e * e;
    }
    return std::sqrt(d);
}

// No axis faster than its max_feed, none changing speed faster than its max_accel allows plus
// the step it takes at once (its start speed), up to `until` seconds (an emergency stop is a
// stop at once); every sample within the corner and chord tolerance of the programmed path.
void expectWithinLimits(const Recorded& r, const std::string& program, double until = INFINITY)
{
    const Machine m = loadMachineFile(kMachine);
    std::FILE* f = std::fopen((std::string(PATHLIB_PROGRAMS "/") + program).c_str(), "r");
    ASSERT_NE(f, nullptr);
    std::string text;
    for (int c; (c = std::fgetc(f)) != EOF;)
        text.push_back(static_cast<char>(c));
    std::fclose(f);
    const std::vector<Segment> segments = toSegments(interpret(text, m), m);
    const auto& rows = r.run.samples;
    ASSERT_GE(rows.size(), 10u);
    size_t checked = 0, cursor = 0;
    for (size_t k = 1; k < rows.size(); ++k) {
        const double dt = rows[k].t - rows[k - 1].t;
        for (int i = 0; i < 3; ++i) {
            const AxisConfig& axis = m.axes[i];
            const double top = axis.maxFeed / 60 * axis.pulsesPerUnit;
            ASSERT_LE(rows[k].speed[axis.axis], top * 1.01 + 2) << "t " << rows[k].t << " axis " << i;
            if (rows[k].t > until - kClockSkew || dt > 0.0015)
                continue;
            const double change = std::abs(rows[k].speed[axis.axis] - rows[k - 1].speed[axis.axis]);
            const double allowed =
                axis.maxAccel * axis.pulsesPerUnit * dt * 1.05 + axis.startSpeed / 60 * axis.pulsesPerUnit + 2;
            ASSERT_LE(change, allowed) << "t " << rows[k].t << " axis " << i;
            ++checked;
        }
        // The nearest segment is looked for near the last one found first (the run goes along the
        // path), then, only if none there is near enough, over the whole path.
        const Position at = unitsOf(rows[k], m);
        const double tolerance = m.cornerTolerance + m.chordTolerance + 0.0015;
        const auto nearestIn = [&](size_t from, size_t to) {
            double nearest = INFINITY;
            for (size_t j = from; j < to; ++j)
                if (const double d = distanceToSegment(at, segments[j]); d < nearest) {
                    nearest = d;
                    cursor = j;
                }
            return nearest;
        };
        const size_t from = cursor >= 2 ? cursor - 2 : 0;
        double nearest = nearestIn(from, std::min(segments.size(), cursor + 64));
        if (nearest > tolerance)
            nearest = nearestIn(0, segments.size());
        ASSERT_LE(nearest, tolerance) << "t " << rows[k].t;
    }
    EXPECT_GT(checked, 100u);
}

TEST(ExecutorRecording, AProgramWithArcsAndCornersKeepsEveryLimitAndEndsExactlyOnItsPulses)
{
    const Recorded r = runRecorded("rounded_rectangle.ngc");
    expectWithinLimits(r, "rounded_rectangle.ngc");
    const auto& last = r.run.samples.back();
    // The program ends at X0 Y0 Z0.
    EXPECT_EQ(last.pos[0], 0);
    EXPECT_EQ(last.pos[1], 0);
    EXPECT_EQ(last.pos[2], 0);
    EXPECT_NE(r.output.find("state=6 underruns=0"), std::string::npos) << r.output;
    // It got going: the path's feed of 3000 mm/min was reached on the long sides.
    double fastest = 0;
    const Machine m = loadMachineFile(kMachine);
    for (const auto& row : r.run.samples)
        fastest = std::max(fastest, pathSpeed(row, m));
    EXPECT_GT(fastest, 49.0);
    EXPECT_LT(fastest, 50.5);
}

// Text engraved as about 360 strokes of lines and arcs with Z lifts (written by
// programs/make_engraving.py): every limit kept over the whole run, and the end exact in pulses.
// Its small arcs brake in stairs into sharp corners, some of them at chord joints.
TEST(ExecutorRecording, ATwoThousandLineEngravingKeepsEveryLimitAndEndsExactlyOnItsPulses)
{
    const Recorded r = runRecorded("engraving.ngc");
    expectWithinLimits(r, "engraving.ngc");
    const auto& last = r.run.samples.back();
    // The program ends at X5 Y-3 Z1 (Y reversed).
    EXPECT_EQ(last.pos[0], 5000);
    EXPECT_EQ(last.pos[1], 3000);
    EXPECT_EQ(last.pos[2], 2000);
    EXPECT_NE(r.output.find("state=6 underruns=0"), std::string::npos) << r.output;
}

// A curve as CAM writes it: 2000 G1 chords of 0.1 mm, at the full feed of 6000 mm/min a chord
// every 1 ms, as fast as the run's thread serves the card. Chords that lie on one line within the
// chord tolerance go to the card as one move, so the card never runs out of moves and the feed
// holds all the way round.
TEST(ExecutorRecording, ACircleOfShortLinesRunsAtFullFeedWithTheCardNeverOutOfMoves)
{
    const Recorded r = runRecorded("chord_circle.ngc");
    expectWithinLimits(r, "chord_circle.ngc");
    EXPECT_NE(r.output.find("state=6 underruns=0"), std::string::npos) << r.output;
    unsigned long long moves = 0;
    const size_t at = r.output.find("moves=");
    ASSERT_NE(at, std::string::npos);
    moves = std::stoull(r.output.substr(at + 6));
    EXPECT_LT(moves, 2000u / 3) << "chords joined into fewer card moves";
    const Machine m = loadMachineFile(kMachine);
    // Round the circle (X below zero only there), the feed never drops below 6000 mm/min.
    size_t round = 0;
    double slowest = INFINITY;
    for (const auto& row : r.run.samples)
        if (row.pos[0] < -1000) {
            slowest = std::min(slowest, pathSpeed(row, m));
            ++round;
        }
    EXPECT_GT(round, 500u);
    EXPECT_GT(slowest, 99.9);
    const auto& last = r.run.samples.back();
    EXPECT_EQ(last.pos[0], 0);
    EXPECT_EQ(last.pos[1], 0);
}

TEST(ExecutorRecording, HoldStopsOnThePathWithinTheBrakingDistanceAndResumeEndsExactly)
{
    const Recorded r = runRecorded("long_line.ngc", {"0.6", "hold", "1.5", "resume"});
    expectWithinLimits(r, "long_line.ngc");
    const Machine m = loadMachineFile(kMachine);
    ASSERT_TRUE(r.times.count("hold") && r.times.count("resume"));
    const auto& rows = r.run.samples;
    size_t atHold = 0;
    while (atHold < rows.size() && rows[atHold].t < r.times.at("hold"))
        ++atHold;
    ASSERT_LT(atHold, rows.size());
    // Stopped: from this row on no axis moves until the resume.
    size_t stop = atHold;
    const double resume = r.times.at("resume") - kClockSkew;
    for (size_t k = atHold; k < rows.size() && rows[k].t < resume; ++k)
        if (pathSpeed(rows[k], m) > 0)
            stop = k + 1;
    ASSERT_LT(stop, rows.size());
    EXPECT_LT(rows[stop].t, resume);
    const double v = pathSpeed(rows[atHold], m);
    EXPECT_GT(v, 90.0);  // it was running at speed when held
    const double braking = v * v / (2 * m.axes[kX].maxAccel);
    // The moves the card already holds (the running one and the queued one, each at most
    // MoveShape::maxSeconds) run out first.
    const double travelled = unitsOf(rows[stop], m)[kX] - unitsOf(rows[atHold], m)[kX];
    EXPECT_LE(travelled, braking + 2 * MoveShape {}.maxSeconds * v + v * kClockSkew);
    EXPECT_GE(travelled, braking * 0.9);
    // Standing still until the resume, then on to the end.
    for (size_t k = stop; k < rows.size() && rows[k].t < resume; ++k)
        EXPECT_EQ(rows[k].pos[0], rows[stop].pos[0]);
    EXPECT_EQ(rows.back().pos[0], 150000);
    EXPECT_EQ(rows.back().pos[1], 20000);  // Y is reversed: Y-20 is +20 000 pulses
    EXPECT_NE(r.output.find("state=6"), std::string::npos) << r.output;
}

TEST(ExecutorRecording, OverrideChangesTheFeedBothWays)
{
    const Machine m = loadMachineFile(kMachine);
    for (const auto& [percent, expected] : {std::pair {"150", 75.0}, std::pair {"50", 25.0}}) {
        const Recorded r = runRecorded("long_line_slow.ngc", {"0.5", std::string("override=") + percent});
        expectWithinLimits(r, "long_line_slow.ngc");
        double before = 0, after = 0;
        const double at = r.times.at(std::string("override=") + percent);
        for (const auto& row : r.run.samples) {
            if (row.t < at)
                before = std::max(before, pathSpeed(row, m));
            else if (row.t > at + 0.3 && row.t < at + 0.8)
                after = std::max(after, pathSpeed(row, m));
        }
        EXPECT_NEAR(before, 50.0, 0.5) << percent;
        EXPECT_NEAR(after, expected, 0.5) << percent;
        EXPECT_EQ(r.run.samples.back().pos[0], 150000);
    }
}

TEST(ExecutorRecording, EmergencyStopMidArcStopsEveryAxisAtOnce)
{
    const Recorded r = runRecorded("circle.ngc", {"0.9", "estop"});
    const double at = r.times.at("estop");
    expectWithinLimits(r, "circle.ngc", at);
    const auto& rows = r.run.samples;
    // The sample at the stop's own millisecond may have been taken just before it.
    size_t k = 0;
    while (k < rows.size() && rows[k].t < at + 0.0005)
        ++k;
    ASSERT_GT(k, 5u);
    ASSERT_LT(k, rows.size());
    // Mid-arc: both X and Y were moving.
    EXPECT_GT(rows[k - 5].speed[0], 1000);
    EXPECT_GT(rows[k - 5].speed[1], 1000);
    // From the stop on, no axis moves.
    for (size_t j = k; j < rows.size(); ++j)
        for (int a = 0; a < 4; ++a) {
            EXPECT_EQ(rows[j].speed[a], 0) << "t " << rows[j].t;
            EXPECT_EQ(rows[j].pos[a], rows[k].pos[a]) << "t " << rows[j].t;
        }
    EXPECT_NE(r.output.find("state=7"), std::string::npos) << r.output;
}

}  // namespace
