// Runs of short G1 lines joined into one straight segment: what joins, what must not, and the
// mapping from the joined segment back to the program's own segments.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "gcode/interpreter.h"
#include "planner/straight_runs.h"
#include "test_machine.h"

namespace ktr4path {
namespace {

std::vector<Segment> segmentsOf(const std::string& text, const Machine& machine)
{
    return toSegments(interpret(text, machine), machine);
}

// A polygon of `chords` G1 lines of 0.1 mm round a circle, at one feed.
std::string chordCircle(int chords, double feed)
{
    const double radius = chords * 0.1 / (2 * std::numbers::pi);
    std::string text = "G0 X" + std::to_string(radius) + " Y0\nF" + std::to_string(feed) + "\n";
    for (int k = 1; k <= chords; ++k) {
        const double angle = 2 * std::numbers::pi * k / chords;
        char line[96];
        std::snprintf(line, sizeof line, "G1 X%.6f Y%.6f\n", radius * std::cos(angle), radius * std::sin(angle));
        text += line;
    }
    return text;
}

// Every run joined round a circle of 2000 chords of 0.1 mm: its joints within the chord tolerance
// of its line, no piece turned off it by more than 0.4 of an axis's start speed at the feed, and
// runs as long as the tighter of the two allows.
TEST(StraightRuns, ChordsOfACircleJoinWithinTheToleranceAndTheStartSpeeds)
{
    Machine machine = test::router();  // X and Y start at 60 mm/min
    const double radius = 2000 * 0.1 / (2 * std::numbers::pi), theta = 2 * std::numbers::pi / 2000;
    for (double tolerance : {0.002, 0.01})
        for (double feed : {600.0, 3000.0}) {
            machine.chordTolerance = tolerance;
            const std::vector<Segment> s = segmentsOf(chordCircle(2000, feed), machine);
            ASSERT_EQ(s.size(), 2001u);  // the traverse, then the chords
            EXPECT_EQ(straightRunEnd(s, 0, s.size(), machine), 1u);  // a traverse never joins
            size_t runs = 0;
            for (size_t first = 1; first < s.size(); ++runs) {
                const size_t end = straightRunEnd(s, first, s.size(), machine);
                ASSERT_GT(end, first);
                const Segment joined = joinedSegment(s, first, end, machine);
                EXPECT_EQ(joined.start, s[first].start);
                EXPECT_EQ(joined.end, s[end - 1].end);
                EXPECT_LE(joined.maxSpeed, feed / 60 + 1e-9);
                for (size_t m = first; m < end; ++m) {
                    const Position& p = s[m].end;
                    const double t =
                        (p[kX] - joined.start[kX]) * joined.unit[kX] + (p[kY] - joined.start[kY]) * joined.unit[kY];
                    const double off = std::hypot(p[kX] - joined.start[kX] - t * joined.unit[kX],
                                                  p[kY] - joined.start[kY] - t * joined.unit[kY]);
                    EXPECT_LE(off, tolerance + 1e-12);
                    for (int i : {kX, kY})
                        EXPECT_LE(feed / 60 * std::abs(s[m].unit[i] - joined.unit[i]), 0.4 * 1.0 + 1e-9);
                }
                first = end;
            }
            // The chords a run spans: sqrt(8 r tol) / 0.1 by the tolerance; by the start speeds,
            // its end pieces turn (n - 1) theta / 2 off its line, which at most 0.4 mm/s allows.
            const double byTolerance = std::sqrt(8 * radius * tolerance) / 0.1;
            const double bySteps = 1 + 2 * 0.4 / (feed / 60 * theta);
            const double mean = 2000.0 / static_cast<double>(runs);
            EXPECT_GE(mean, std::min(byTolerance, bySteps) - 1.5) << tolerance << " F" << feed;
            EXPECT_LE(mean, std::max(byTolerance, bySteps) + 1) << tolerance << " F" << feed;
            // A faster override joins fewer.
            EXPECT_LE(straightRunEnd(s, 1, s.size(), machine, 2.0), straightRunEnd(s, 1, s.size(), machine));
            // Up to a limit, and never past it.
            EXPECT_EQ(straightRunEnd(s, 1, 3, machine), 3u);
        }
}

TEST(StraightRuns, CornersTurnsBackFeedsStopsArcsAndRotaryMovesDoNotJoin)
{
    Machine machine = test::router();
    machine.chordTolerance = 0.01;
    const auto endFrom1 = [&](const std::string& moves) {
        return straightRunEnd(segmentsOf("G0 X-1 Y0\n" + moves, machine), 1, 100, machine);
    };
    EXPECT_EQ(endFrom1("G1 X1 F600\nX2\nX3\n"), 4u);  // one line in three pieces
    EXPECT_EQ(endFrom1("G1 X1 F600\nY1\nX2\n"), 2u);  // a corner
    EXPECT_EQ(endFrom1("G1 X1 F600\nX0.5\nX3\n"), 2u);  // back along the same line
    EXPECT_EQ(endFrom1("G1 X1 F600\nX2 F700\nX3\n"), 2u);  // another feed
    EXPECT_EQ(endFrom1("G1 X1 F600\nG4 P0.5\nG1 X2\n"), 2u);  // a dwell stops between them
    EXPECT_EQ(endFrom1("G1 X1 F600\nX2 A10\nX3\n"), 2u);  // A turns
    EXPECT_EQ(endFrom1("G1 X1 F600\nG2 X3 I1\n"), 2u);  // an arc's chords are already within it
    EXPECT_EQ(endFrom1("G0 X1\nX2\n"), 2u);  // traverses
    // A joint off the line by more than the tolerance ends the run before it.
    EXPECT_EQ(endFrom1("G1 X1 F600\nX2 Y0.005\nX3 Y0\n"), 4u);
    EXPECT_EQ(endFrom1("G1 X1 F600\nX2 Y0.05\nX3 Y0\n"), 2u);
}

TEST(StraightRuns, APointOnTheJoinedSegmentMapsBackToItsOwnPiece)
{
    const Machine machine = test::router();
    const std::vector<Segment> s = segmentsOf("G0 X-1 Y0\nG1 X0 F600\nX2\nX2.5\n", machine);
    ASSERT_EQ(straightRunEnd(s, 1, s.size(), machine), 4u);
    const auto at = [&](double along) { return pieceAt(s, 1, 4, along); };
    EXPECT_EQ(at(0).index, 1u);
    EXPECT_NEAR(at(0.5).along, 0.5, 1e-12);
    EXPECT_EQ(at(2).index, 2u);
    EXPECT_NEAR(at(2).along, 1, 1e-12);
    EXPECT_EQ(at(3.25).index, 3u);
    EXPECT_NEAR(at(3.25).along, 0.25, 1e-12);
    // The end is the last piece's end, exactly.
    EXPECT_EQ(at(3.5).index, 3u);
    EXPECT_DOUBLE_EQ(at(3.5).along, s[3].length);
}

}  // namespace
}  // namespace ktr4path
