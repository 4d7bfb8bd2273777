// Planned blocks as the card's moves: continuous speeds where the card can keep them, steps down
// no larger than the axes take at once and no faster on average than their accelerations, moves
// no longer than the hold's latency allows, and blocks ending exactly on their pulses.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "executor/card_moves.h"
#include "gcode/interpreter.h"
#include "machine/machine.h"
#include "planner/planner.h"
#include "planner/segments.h"

namespace {

using namespace ktr4path;

double seconds(const CardMove& m)
{
    return 2 * m.length / (m.startSpeed + m.topSpeed);
}

// The card runs the moves already made before the next block.
Incoming incoming(const std::vector<CardMove>& moves)
{
    return moves.empty() ? Incoming {} : Incoming {moves.back().topSpeed, moves.back().unit};
}

const Segment* nextOf(const std::vector<PlannedBlock>& blocks, size_t b)
{
    return b + 1 < blocks.size() ? &blocks[b + 1].segment : nullptr;
}

// The largest step (units/s) of any axis's speed from one move's end to the next one's start
// (the card starts a move at the lower of its start and top speeds), over the axes' start speeds.
double worstStepOverStartSpeed(const std::vector<CardMove>& moves, const Machine& machine)
{
    double worst = 0;
    for (size_t k = 1; k < moves.size(); ++k)
        for (int i = 0; i < kAxisCount; ++i)
            if (machine.axes[i].present) {
                const double start = std::min(moves[k].startSpeed, moves[k].topSpeed);
                const double step = moves[k - 1].topSpeed * moves[k - 1].unit[i] - start * moves[k].unit[i];
                worst = std::max(worst, std::abs(step) / (machine.axes[i].startSpeed / 60.0));
            }
    return worst;
}

TEST(CardMoves, SeededRandomPathsBecomeMovesTheCardCanRunWithinTheLimits)
{
    const Machine machine = loadMachineFile(PATHLIB_TEST_MACHINES "/xyz_table.toml");
    const MoveShape shape;
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> step(-20, 20), feed(300, 9000);
    for (int path = 0; path < 20; ++path) {
        std::vector<Segment> segments;
        Position at {};
        for (int k = 0; k < 60; ++k) {
            Segment s;
            s.start = at;
            for (int i = 0; i < 2; ++i)
                at[i] += (k % 7 == 0 ? 0.05 : 1.0) * step(rng);
            s.end = at;
            if (describeSegment(s, feed(rng), machine))
                segments.push_back(s);
        }
        std::vector<CardMove> moves;
        const std::vector<PlannedBlock> blocks = plan(segments, machine);
        for (size_t b = 0; b < blocks.size(); ++b) {
            const PlannedBlock& block = blocks[b];
            const size_t first = moves.size();
            appendCardMoves(block, machine, shape, incoming(moves), nextOf(blocks, b), moves);
            ASSERT_GT(moves.size(), first);
            double length = 0;
            for (size_t k = first; k < moves.size(); ++k) {
                EXPECT_LE(moves[k].topSpeed, block.segment.maxSpeed + 1e-9);
                EXPECT_GE(moves[k].topSpeed, moves[k].startSpeed - 1e-9);
                EXPECT_LE(seconds(moves[k]), shape.maxSeconds + 1e-9);
                length += moves[k].length;
            }
            EXPECT_NEAR(length, block.segment.length, 1e-9);
            for (int i = 0; i < kAxisCount; ++i) {
                if (machine.axes[i].present) {
                    ASSERT_EQ(moves.back().target[i], machine.axes[i].toPulses(block.segment.end[i]));
                }
            }
        }
        // Speed steps between moves: by at most the stair step either way; and from any
        // joint to any later one the speed falls by no more than accel x time plus one step.
        // The largest step on an XY path of this machine: 2 mm/s start speeds at 45 degrees.
        const double most = 2.0 * std::sqrt(2.0) + 1e-6;
        double accel = 0;
        std::vector<double> time {0}, speed {0};
        for (const CardMove& m : moves) {
            ASSERT_LE(speed.back() - m.startSpeed, most);
            ASSERT_LE(m.startSpeed - speed.back(), most);  // a rise too short for a move of its own
            time.push_back(time.back() + seconds(m));
            speed.push_back(m.topSpeed);
            accel = std::max(accel, m.accel);
        }
        EXPECT_LE(worstStepOverStartSpeed(moves, machine), 1.0 + 1e-6) << path;
        for (size_t i = 0; i < speed.size(); ++i)
            for (size_t j = i + 1; j < speed.size() && time[j] - time[i] < 0.5; ++j)
                ASSERT_GE(speed[j], speed[i] - accel * (time[j] - time[i]) - most) << path << " " << i << " " << j;
    }
}

// Engraved letters: lines into small arcs at the feed, whose chords' joints dip the speed a
// little. Each rise back is too short for a move of its own and runs on into the cruise after
// it: a move the card finishes within a millisecond, with the one queued after it, would leave
// its buffer empty before the executor looks again.
TEST(CardMoves, NoMoveOfTangentStrokesEndsBeforeTheExecutorLooksAgain)
{
    const Machine machine = loadMachineFile(PATHLIB_TEST_MACHINES "/xyz_table.toml");
    const char* strokes = "G21 G90 G17 G90.1\nG1 X17 Y-4 F1200\nG1 X19.5 Y-4\nG2 X19.5 Y-7 I19.5 J-5.5\n"
                          "G1 X17 Y-7\nG1 X17 Y-2\nG3 X21 Y-2 I19 J-2\nG1 X21 Y2\nM2\n";
    const std::vector<Segment> segments = toSegments(interpret(strokes, machine), machine);
    ASSERT_GT(segments.size(), 40u);
    std::vector<CardMove> moves;
    const std::vector<PlannedBlock> blocks = plan(segments, machine);
    for (size_t b = 0; b < blocks.size(); ++b)
        appendCardMoves(blocks[b], machine, MoveShape {}, incoming(moves), nextOf(blocks, b), moves);
    for (size_t k = 0; k < moves.size(); ++k)
        EXPECT_GE(seconds(moves[k]), 0.001) << "move " << k << " of line " << moves[k].line;
}

// Three quarters of a small circle into a sharp corner at the feed (a letter of the engraving): its last chords brake
// in stairs, and a chord whose first stair would fall at its joint steps the axes there by the joint's change of
// direction as well. Together they stay within every axis's start speed.
TEST(CardMoves, AStairAtAChordJointStaysWithinTheStartSpeedsWithTheJointsTurn)
{
    const Machine machine = loadMachineFile(PATHLIB_TEST_MACHINES "/xyz_table.toml");
    const char* strokes = "G21 G90 G17 G90.1\nG1 X15.4142 Y-5.5858 F1200\n"
                          "G3 X15.4142 Y-8.4142 I14 J-7\nG1 X15.4142 Y-7\nM2\n";
    const std::vector<Segment> segments = toSegments(interpret(strokes, machine), machine);
    ASSERT_GT(segments.size(), 5u);
    std::vector<CardMove> moves;
    const std::vector<PlannedBlock> blocks = plan(segments, machine);
    for (size_t b = 0; b < blocks.size(); ++b)
        appendCardMoves(blocks[b], machine, MoveShape {}, incoming(moves), nextOf(blocks, b), moves);
    EXPECT_LE(worstStepOverStartSpeed(moves, machine), 1.0 + 1e-6);
}

}  // namespace
