// The executor in the same process on the simulated card's virtual clock: single block, M0,
// progress, what begin() refuses, and the C surface's own thread on the wall clock.
#include <gtest/gtest.h>

#include <vector>

#include "api/objects.h"
#include "executor/executor.h"
#include "gcode/interpreter.h"
#include "ktr4.h"
#include "ktr4path.h"
#include "ktr4sim.h"

namespace {

using namespace ktr4path;

double cardSeconds()
{
    return static_cast<double>(ktr4sim_now()) / static_cast<double>(KTR4SIM_TICKS_PER_SECOND);
}

class ExecutorOnCard : public ::testing::Test {
protected:
    void SetUp() override
    {
        ktr4sim_reset();
        ASSERT_EQ(KTR4_initial(), KTR4_OK);
        ASSERT_EQ(KTR4_init_card(0), KTR4_OK);
        ktr4sim_use_virtual_clock(1);
        machine_ = loadMachineFile(PATHLIB_TEST_MACHINES "/xyz_table.toml");
    }
    void TearDown() override
    {
        KTR4_close();
        ktr4sim_reset();
    }
    Executor::Options options() const
    {
        Executor::Options o;
        o.clock = cardSeconds;
        return o;
    }
    // Serves the executor every millisecond of card time until it waits or is over.
    RunProgress runUntilWaiting(Executor& executor)
    {
        for (int ms = 0; ms < 600000; ++ms) {
            EXPECT_EQ(executor.service(), 0);
            const RunProgress p = executor.progress();
            if (executor.over() || p.state == RunState::Paused || p.state == RunState::Held)
                return p;
            ktr4sim_advance(KTR4SIM_TICKS_PER_SECOND / 1000);
        }
        ADD_FAILURE() << "the run never ended";
        return executor.progress();
    }
    Machine machine_;
};

TEST_F(ExecutorOnCard, SingleBlockStopsExactlyAtTheEndOfEachLine)
{
    const Program program = interpret("G21 G90\nG1 X10 F3000\nG1 Y5\nG1 X0 Y0\nM2\n", machine_);
    Executor executor(machine_, program, options());
    executor.setSingleBlock(true);
    ASSERT_EQ(executor.begin(), 0);
    const std::vector<std::pair<int, Position>> stops {{2, {10, 0, 0, 0}}, {3, {10, 5, 0, 0}}, {4, {0, 0, 0, 0}}};
    for (const auto& [line, where] : stops) {
        const RunProgress p = runUntilWaiting(executor);
        ASSERT_EQ(p.state, line == 4 ? RunState::Finished : RunState::Paused) << line;
        EXPECT_EQ(p.line, line == 4 ? 5 : line);  // finished: on M2's line
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(p.position[i], where[i]) << "line " << line << " axis " << i;
        EXPECT_EQ(p.feed, 0);
        executor.resume();
    }
    EXPECT_EQ(executor.progress().underruns, 0u);
}

TEST_F(ExecutorOnCard, M0PausesUntilResumeAndProgressFollowsTheLines)
{
    const Program program = interpret("G21 G90\nG1 X20 F3000\nM0\nG1 X30\nM2\n", machine_);
    Executor executor(machine_, program, options());
    ASSERT_EQ(executor.begin(), 0);
    std::vector<int> lines;
    double fastest = 0;
    for (int ms = 0; ms < 5000 && executor.progress().state == RunState::Running; ++ms) {
        ASSERT_EQ(executor.service(), 0);
        const RunProgress p = executor.progress();
        if (lines.empty() || lines.back() != p.line)
            lines.push_back(p.line);
        fastest = std::max(fastest, p.feed);
        ktr4sim_advance(KTR4SIM_TICKS_PER_SECOND / 1000);
    }
    RunProgress p = executor.progress();
    ASSERT_EQ(p.state, RunState::Paused);
    EXPECT_EQ(p.line, 3);
    EXPECT_EQ(p.position[kX], 20);
    EXPECT_EQ(lines.front(), 2);
    EXPECT_NEAR(fastest, 3000, 30);
    // Paused: nothing moves however long the card runs.
    ktr4sim_advance(KTR4SIM_TICKS_PER_SECOND);
    ASSERT_EQ(executor.service(), 0);
    EXPECT_EQ(executor.progress().position[kX], 20);
    executor.resume();
    p = runUntilWaiting(executor);
    EXPECT_EQ(p.state, RunState::Finished);
    EXPECT_EQ(p.position[kX], 30);
    EXPECT_EQ(p.line, 5);
}

TEST_F(ExecutorOnCard, BeginRefusesTwoCardsASoftLimitAndACardThatIsNotAtTheProgramsStart)
{
    const Program program = interpret("G1 X1 F600\n", machine_);
    {
        Machine twoCards = machine_;
        twoCards.axes[kZ].card = 1;
        Executor executor(twoCards, program, options());
        EXPECT_EQ(executor.begin(), KTR4PATH_ERR_MACHINE);
    }
    {
        Executor executor(machine_, interpret("G1 X1 F600\nG3 X1 Y0 I0 J-101\n", machine_), options());
        EXPECT_EQ(executor.begin(), KTR4PATH_ERR_SOFT_LIMIT);  // the circle passes Y-202
    }
    ASSERT_EQ(KTR4_set_current_position(0, 1, 5), KTR4_OK);
    Executor executor(machine_, program, options());
    EXPECT_EQ(executor.begin(), KTR4PATH_ERR_POSITION);
    EXPECT_EQ(executor.progress().state, RunState::Ready);
    EXPECT_EQ(executor.begin(), KTR4PATH_ERR_POSITION);  // still refused, nothing was started
}

TEST_F(ExecutorOnCard, TheCSurfaceRunsAProgramFromItsOwnThreadToTheEnd)
{
    ktr4sim_use_virtual_clock(0);
    ktr4path_machine machine {machine_};
    ktr4path_program program {interpret("G21 G90\nG1 X2 Y1 F1200\nG3 X2 Y3 I0 J1\nG0 X0 Y0\nM2\n", machine_)};
    ktr4path_run* run = nullptr;
    ASSERT_EQ(ktr4path_run_start(&machine, &program, &run), KTR4PATH_OK);
    int32_t state = 0;
    for (int i = 0; i < 600 && state != KTR4PATH_RUN_FINISHED && state != KTR4PATH_RUN_FAILED; ++i)
        ASSERT_EQ(ktr4path_run_wait(run, 100, &state), KTR4PATH_OK);
    ktr4path_progress p {};
    ASSERT_EQ(ktr4path_run_progress(run, &p), KTR4PATH_OK);
    EXPECT_EQ(state, KTR4PATH_RUN_FINISHED);
    EXPECT_EQ(p.position[0], 0);
    EXPECT_EQ(p.position[1], 0);
    EXPECT_GT(p.moves_sent, 2u);
    EXPECT_EQ(ktr4path_run_set_override(run, 5.0), KTR4PATH_ERR_ARGUMENT);
    ktr4path_run_free(run);
    int32_t position = -1;
    ASSERT_EQ(KTR4_read_current_position(0, 0, &position), KTR4_OK);
    EXPECT_EQ(position, 0);
}

}  // namespace
