// The planner: properties over seeded random paths (every limit on every block, exact ends,
// the same speeds as an independent whole-program plan), the chord tolerance of arcs, and a few
// profiles worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "gcode/interpreter.h"
#include "planner/planner.h"
#include "test_machine.h"

namespace ktr4path {
namespace {

constexpr double kEps = 1e-9;

// A random path on the router, in relative moves: lines of random length, direction and feed
// (short ones make dense, nearly tangent chains), arcs of random radius and sweep, traverses and
// dwells between them.
Program randomProgram(unsigned seed, int moves)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0, 1), signedUnit(-1, 1);
    std::string text = "G0 X100 Y100 Z-10\nG91\n";
    for (int i = 0; i < moves; ++i) {
        const double pick = unit(random);
        const double feed = 100 + 9000 * unit(random);
        char line[200];
        if (pick < 0.45) {
            const double scale = unit(random) < 0.5 ? 0.05 : 20.0;
            std::snprintf(line, sizeof line, "G1 X%.4f Y%.4f Z%.4f A%.3f F%.1f\n", signedUnit(random) * scale,
                          signedUnit(random) * scale, signedUnit(random) * scale * 0.1,
                          unit(random) < 0.2 ? 30 * signedUnit(random) : 0.0, feed);
        } else if (pick < 0.8) {
            // The start lies at angle alpha + pi from the centre, the end at phi.
            const double r = 0.2 + 40 * unit(random), alpha = 7 * unit(random), phi = 7 * unit(random);
            const double i0 = r * std::cos(alpha), j0 = r * std::sin(alpha);
            std::snprintf(line, sizeof line, "G%d X%.6f Y%.6f I%.6f J%.6f F%.1f\n", unit(random) < 0.5 ? 2 : 3,
                          i0 + r * std::cos(phi), j0 + r * std::sin(phi), i0, j0, feed);
        } else if (pick < 0.92) {
            std::snprintf(line, sizeof line, "G0 X%.4f Y%.4f Z%.4f\n", 30 * signedUnit(random), 30 * signedUnit(random),
                          3 * signedUnit(random));
        } else {
            std::snprintf(line, sizeof line, "G4 P0.1\n");
        }
        text += line;
    }
    return interpret(text + "M2\n", test::router());
}

// The textbook plan of a whole list at once: entries capped by the joints, then a backward pass
// from a stop at the end and a forward pass from the start.
std::vector<double> referenceEntries(const std::vector<Segment>& segments, const Machine& machine)
{
    const size_t n = segments.size();
    std::vector<double> v(n + 1, 0.0);
    for (size_t k = 1; k < n; ++k)
        v[k] = junctionSpeed(segments[k - 1], segments[k], machine);
    for (size_t k = n; k-- > 0;)
        v[k] = std::min(v[k], std::sqrt(v[k + 1] * v[k + 1] + 2 * segments[k].accel * segments[k].length));
    for (size_t k = 0; k < n; ++k)
        v[k + 1] = std::min(v[k + 1], std::sqrt(v[k] * v[k] + 2 * segments[k].accel * segments[k].length));
    return v;
}

void expectWithinLimits(const std::vector<PlannedBlock>& blocks, const Machine& machine, const Position& end)
{
    ASSERT_FALSE(blocks.empty());
    EXPECT_EQ(blocks.front().entrySpeed, 0);
    EXPECT_EQ(blocks.back().exitSpeed, 0);
    for (size_t k = 0; k < blocks.size(); ++k) {
        const PlannedBlock& b = blocks[k];
        const Segment& s = b.segment;
        ASSERT_GT(s.length, 0);
        // Reachable within the block's acceleration, never above its top speed.
        EXPECT_LE(std::abs(b.exitSpeed * b.exitSpeed - b.entrySpeed * b.entrySpeed),
                  2 * s.accel * s.length * (1 + kEps))
            << "block " << k;
        EXPECT_LE(b.peakSpeed, s.maxSpeed * (1 + kEps)) << "block " << k;
        EXPECT_GE(b.peakSpeed, std::max(b.entrySpeed, b.exitSpeed) * (1 - kEps)) << "block " << k;
        for (int i = 0; i < kAxisCount; ++i) {
            const double share = std::abs(s.unit[i]);
            EXPECT_LE(b.peakSpeed * share, machine.axes[i].maxFeed / 60 * (1 + kEps)) << "block " << k << " axis " << i;
            EXPECT_LE(s.accel * share, machine.axes[i].maxAccel * (1 + kEps)) << "block " << k << " axis " << i;
        }
        if (k + 1 < blocks.size()) {
            const PlannedBlock& n = blocks[k + 1];
            EXPECT_EQ(b.exitSpeed, n.entrySpeed) << "block " << k;
            EXPECT_EQ(b.segment.end, n.segment.start) << "block " << k;
            EXPECT_LE(n.entrySpeed, junctionSpeed(s, n.segment, machine) * (1 + kEps)) << "block " << k;
            // Each axis's speed step at the joint is one the axis takes at once.
            for (int i = 0; i < kAxisCount; ++i)
                EXPECT_LE(n.entrySpeed * std::abs(n.segment.unit[i] - s.unit[i]),
                          machine.axes[i].startSpeed / 60 * (1 + kEps) + kEps)
                    << "block " << k << " axis " << i;
            if (n.segment.stopBefore) {
                EXPECT_EQ(n.entrySpeed, 0);
            }
        }
    }
    EXPECT_EQ(blocks.back().segment.end, end);
}

TEST(Planner, RandomPathsKeepEveryLimitAndEndExactly)
{
    const Machine machine = test::router();
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const Program program = randomProgram(seed, 300);
        const std::vector<Segment> segments = toSegments(program, machine);
        const std::vector<PlannedBlock> blocks = plan(segments, machine);
        ASSERT_EQ(blocks.size(), segments.size());
        expectWithinLimits(blocks, machine, program.moves.back().end);
        // Pulses at the end are those of the programmed end, not of a sum of chords.
        for (int i = 0; i < kAxisCount; ++i)
            EXPECT_EQ(machine.axes[i].toPulses(blocks.back().segment.end[i]),
                      machine.axes[i].toPulses(program.moves.back().end[i]));
    }
}

TEST(Planner, FullLookaheadIsTheWholeProgramPlanAndShorterNeverFaster)
{
    const Machine machine = test::router();
    for (unsigned seed = 20; seed < 26; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const std::vector<Segment> segments = toSegments(randomProgram(seed, 200), machine);
        const std::vector<double> reference = referenceEntries(segments, machine);
        const std::vector<PlannedBlock> whole = plan(segments, machine, segments.size() + 1);
        const std::vector<PlannedBlock> windowed = plan(segments, machine, Planner::kMinLookahead);
        ASSERT_EQ(whole.size(), segments.size());
        ASSERT_GT(segments.size(), 2 * Planner::kMinLookahead);
        for (size_t k = 0; k < segments.size(); ++k) {
            EXPECT_NEAR(whole[k].entrySpeed, reference[k], 1e-9 * (1 + reference[k])) << "block " << k;
            EXPECT_LE(windowed[k].entrySpeed, whole[k].entrySpeed * (1 + kEps) + kEps) << "block " << k;
        }
        expectWithinLimits(windowed, machine, whole.back().segment.end);
    }
}

TEST(Planner, ArcChordsStayWithinTheChordTolerance)
{
    Machine machine = test::router();
    for (double tolerance : {0.001, 0.01, 0.2}) {
        machine.chordTolerance = tolerance;
        for (double radius : {0.5, 7.0, 150.0}) {
            const Program arc = interpret("G0 X" + std::to_string(radius) + " Y0\nG3 X0 Y" + std::to_string(radius)
                                              + " I-" + std::to_string(radius) + " Z-3 F3000\n",
                                          machine);
            std::vector<Segment> chords;
            appendArcChords(arc.moves.back(), machine, chords);
            ASSERT_FALSE(chords.empty());
            for (const Segment& c : chords) {
                // The chord's ends on the circle, its middle within the tolerance of it.
                EXPECT_NEAR(std::hypot(c.end[kX], c.end[kY]), radius, 1e-9);
                const double mid = std::hypot((c.start[kX] + c.end[kX]) / 2, (c.start[kY] + c.end[kY]) / 2);
                EXPECT_LE(radius - mid, tolerance * (1 + 1e-9)) << "r " << radius << " tol " << tolerance;
                // Centripetal acceleration within the slower plane axis.
                EXPECT_LE(c.maxSpeed * c.maxSpeed / radius, 1500 * (1 + 1e-9));
            }
            // Not needlessly fine: one chord fewer would leave the tolerance.
            const double wider = std::numbers::pi / 2 / (static_cast<double>(chords.size()) - 1);
            if (chords.size() > 1) {
                EXPECT_GT(radius * (1 - std::cos(wider / 2)), tolerance);
            }
            EXPECT_EQ(chords.back().end, arc.moves.back().end);
            EXPECT_NEAR(chords.back().end[kZ], -3, 1e-12);
        }
    }
}

TEST(Planner, GoldenLineCornerAndCircle)
{
    const Machine machine = test::router();
    // 100 mm on X at 6000 mm/min (100 mm/s), 1500 mm/s²: 1/15 s up and down over 10/3 mm each,
    // 93 1/3 mm at full speed: 1 1/15 s.
    auto blocks = plan(toSegments(interpret("G1 X100 F6000", machine), machine), machine);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_DOUBLE_EQ(blocks[0].peakSpeed, 100);
    EXPECT_NEAR(blocks[0].duration(), 1.0 + 1.0 / 15, 1e-12);
    EXPECT_NEAR(blocks[0].speedAt(50), 100, 1e-12);
    EXPECT_NEAR(blocks[0].speedAt(10.0 / 3 / 4), 50, 1e-9);

    // Split in two on the same line: no slowing at the joint, the same time.
    blocks = plan(toSegments(interpret("G1 X40 F6000\nX100", machine), machine), machine);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_DOUBLE_EQ(blocks[0].exitSpeed, 100);
    EXPECT_NEAR(blocks[0].duration() + blocks[1].duration(), 1.0 + 1.0 / 15, 1e-12);

    // A right angle X then Y: the joint speed is the start speed's step limit, 60 mm/min on each
    // axis, taken at once: 1 mm/s. Junction deviation alone allows sqrt(a * 0.01 * 0.7071 /
    // 0.2929) = 7.16 mm/s, with a = 1500 * sqrt 2 along the change of direction (1, -1) / sqrt 2.
    blocks = plan(toSegments(interpret("G1 X50 F6000\nY50", machine), machine), machine);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_NEAR(blocks[0].exitSpeed, 1.0, 1e-12);
    Machine free = machine;
    free.axes[kX].startSpeed = free.axes[kY].startSpeed = 6000;
    blocks = plan(toSegments(interpret("G1 X50 F6000\nY50", free), free), free);
    const double a = 1500 * std::sqrt(2.0);
    EXPECT_NEAR(blocks[0].exitSpeed, std::sqrt(a * 0.01 * std::sqrt(0.5) / (1 - std::sqrt(0.5))), 1e-9);
    EXPECT_NEAR(blocks[0].exitSpeed, 7.1563, 1e-4);

    // A full circle of radius 10 at 3000 mm/min: never slower inside than the feed.
    blocks = plan(toSegments(interpret("G0 X10\nG3 X10 I-10 F3000", machine), machine), machine);
    ASSERT_GT(blocks.size(), 100u);
    double slowest = INFINITY;
    for (size_t k = 2; k + 1 < blocks.size(); ++k)
        if (blocks[k].segment.kind == MoveKind::ArcFeed && blocks[k - 1].segment.kind == MoveKind::ArcFeed)
            slowest = std::min(slowest, blocks[k].entrySpeed);
    EXPECT_GT(slowest, 0);
}

TEST(Planner, RotaryAndMixedMovesKeepEachAxisLimit)
{
    const Machine machine = test::router();  // A: 36000 deg/min, 3600 deg/s²; X: 12000 mm/min
    // A alone: the feed is in degrees per minute along A.
    auto segments = toSegments(interpret("G1 A90 F3600", machine), machine);
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_DOUBLE_EQ(segments[0].length, 90);
    EXPECT_DOUBLE_EQ(segments[0].maxSpeed, 60);
    EXPECT_DOUBLE_EQ(segments[0].accel, 3600);
    // 10 mm of X with 3600 degrees of A: the feed is along X, and A (360 degrees per mm) holds
    // it to 600 / 360 mm/s and 3600 / 360 mm/s².
    segments = toSegments(interpret("G1 X10 A3600 F600", machine), machine);
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_DOUBLE_EQ(segments[0].length, 10);
    EXPECT_DOUBLE_EQ(segments[0].maxSpeed, 600.0 / 360);
    EXPECT_DOUBLE_EQ(segments[0].accel, 10);
    // A traverse runs at the slowest axis's share: X and Z together, Z at 3000 mm/min.
    segments = toSegments(interpret("G0 X30 Z-40", machine), machine);
    EXPECT_DOUBLE_EQ(segments[0].maxSpeed, 50.0 / 40 * 50);
}

TEST(Planner, DwellsOutputsAndStopsComeToRest)
{
    const Machine machine = test::router();
    for (const char* between : {"G4 P1", "M3", "M0"}) {
        SCOPED_TRACE(between);
        const auto blocks =
            plan(toSegments(interpret(std::string("G1 X10 F600\n") + between + "\nX20", machine), machine), machine);
        ASSERT_EQ(blocks.size(), 2u);
        EXPECT_EQ(blocks[0].exitSpeed, 0);
        EXPECT_TRUE(blocks[1].segment.stopBefore);
    }
    // Without one the straight joint keeps the feed.
    const auto blocks = plan(toSegments(interpret("G1 X10 F600\nX20", machine), machine), machine);
    EXPECT_DOUBLE_EQ(blocks[0].exitSpeed, 10);
}

TEST(Planner, StreamingReleasesTheOldestBeyondTheLookahead)
{
    const Machine machine = test::router();
    const std::vector<Segment> segments = toSegments(randomProgram(40, 400), machine);
    ASSERT_GT(segments.size(), Planner::kMinLookahead + 10);
    Planner planner(machine, 0);  // below the minimum: 128
    for (size_t k = 0; k < Planner::kMinLookahead + 10; ++k)
        planner.add(segments[k]);
    EXPECT_EQ(planner.waiting(), Planner::kMinLookahead);
    const std::vector<PlannedBlock> first = planner.take();
    ASSERT_EQ(first.size(), 10u);
    EXPECT_TRUE(planner.take().empty());
    planner.finish();
    EXPECT_EQ(planner.waiting(), 0u);
    const std::vector<PlannedBlock> rest = planner.take();
    ASSERT_EQ(rest.size(), Planner::kMinLookahead);
    EXPECT_EQ(first.back().exitSpeed, rest.front().entrySpeed);
    EXPECT_EQ(rest.back().exitSpeed, 0);
}

}  // namespace
}  // namespace ktr4path
