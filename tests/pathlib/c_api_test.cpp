// The C surface as an application sees it: only ktr4path.h, the shared library, result codes
// and errors with their places.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "ktr4path.h"

namespace {

ktr4path_machine* router()
{
    ktr4path_machine* machine = nullptr;
    ktr4path_error error {};
    EXPECT_EQ(ktr4path_load_machine(PATHLIB_EXAMPLES "/router.toml", &machine, &error), KTR4PATH_OK) << error.text;
    return machine;
}

TEST(PathCApi, MachineErrorsGiveTheirPlace)
{
    const std::string path = testing::TempDir() + "/bad_machine.toml";
    std::ofstream(path) << "[axis.X]\ncard = 0\naxis = 7\n";
    ktr4path_machine* machine = nullptr;
    ktr4path_error error {};
    EXPECT_EQ(ktr4path_load_machine(path.c_str(), &machine, &error), KTR4PATH_ERR_MACHINE);
    EXPECT_EQ(machine, nullptr);
    EXPECT_EQ(error.line, 3);
    EXPECT_EQ(error.column, 8);
    EXPECT_EQ(std::string(error.text), path + ":3:8: axis.X.axis = 7: must be an integer 0..3");
    EXPECT_EQ(ktr4path_load_machine(nullptr, &machine, &error), KTR4PATH_ERR_ARGUMENT);
    EXPECT_EQ(ktr4path_load_machine(path.c_str(), nullptr, nullptr), KTR4PATH_ERR_ARGUMENT);
    std::remove(path.c_str());
}

TEST(PathCApi, ProgramMovesAndErrors)
{
    ktr4path_machine* machine = router();
    ktr4path_program* program = nullptr;
    ktr4path_error error {};
    const double start[4] = {1, 2, 3, 4};
    ASSERT_EQ(ktr4path_read_program(machine, "N7 G91 G2 X2 I1 F100\nG4 P2\nM3\nM0\n", start, &program, &error),
              KTR4PATH_OK);
    uint32_t count = 0;
    ASSERT_EQ(ktr4path_program_move_count(program, &count), KTR4PATH_OK);
    ASSERT_EQ(count, 4u);
    ktr4path_move arc {};
    ASSERT_EQ(ktr4path_program_move(program, 0, &arc), KTR4PATH_OK);
    EXPECT_EQ(arc.kind, KTR4PATH_ARC_FEED);
    EXPECT_EQ(arc.line, 1);
    EXPECT_EQ(arc.n, 7);
    EXPECT_DOUBLE_EQ(arc.start[3], 4);
    EXPECT_DOUBLE_EQ(arc.end[0], 3);
    EXPECT_DOUBLE_EQ(arc.end[1], 2);
    EXPECT_DOUBLE_EQ(arc.centre[0], 2);
    EXPECT_DOUBLE_EQ(arc.centre[1], 2);
    EXPECT_EQ(arc.plane, KTR4PATH_PLANE_XY);
    EXPECT_EQ(arc.turns, -1);
    EXPECT_DOUBLE_EQ(arc.feed, 100);
    ktr4path_move move {};
    ASSERT_EQ(ktr4path_program_move(program, 1, &move), KTR4PATH_OK);
    EXPECT_EQ(move.kind, KTR4PATH_DWELL);
    EXPECT_EQ(move.n, -1);
    EXPECT_DOUBLE_EQ(move.seconds, 2);
    ASSERT_EQ(ktr4path_program_move(program, 2, &move), KTR4PATH_OK);
    EXPECT_EQ(move.kind, KTR4PATH_OUTPUT);
    EXPECT_EQ(move.mcode, 3);
    ASSERT_EQ(ktr4path_program_move(program, 3, &move), KTR4PATH_OK);
    EXPECT_EQ(move.kind, KTR4PATH_PROGRAM_PAUSE);
    EXPECT_EQ(ktr4path_program_move(program, 4, &move), KTR4PATH_ERR_ARGUMENT);

    const std::string out = testing::TempDir() + "/dry_run.json";
    ASSERT_EQ(ktr4path_write_dry_run(program, KTR4PATH_FORMAT_JSON, out.c_str()), KTR4PATH_OK);
    std::ostringstream written;
    written << std::ifstream(out).rdbuf();
    EXPECT_EQ(written.str().rfind("[\n  {\"line\": 1, \"n\": 7, \"kind\": \"ARC_FEED\"", 0), 0u) << written.str();
    EXPECT_EQ(ktr4path_write_dry_run(program, 2, out.c_str()), KTR4PATH_ERR_ARGUMENT);
    EXPECT_EQ(ktr4path_write_dry_run(program, KTR4PATH_FORMAT_TEXT, "/nonexistent/dir/out.txt"), KTR4PATH_ERR_FILE);
    std::remove(out.c_str());
    ktr4path_free_program(program);

    // An error on the last line keeps nothing.
    program = nullptr;
    EXPECT_EQ(ktr4path_read_program(machine, "G0 X1\nG0 Y1\nG1 Y2\n", nullptr, &program, &error), KTR4PATH_ERR_PROGRAM);
    EXPECT_EQ(program, nullptr);
    EXPECT_EQ(error.line, 3);
    EXPECT_EQ(error.column, 1);
    EXPECT_STREQ(error.text, "G1 with no feed rate: give F greater than 0");
    EXPECT_EQ(ktr4path_read_program_file(machine, "/nonexistent.ngc", nullptr, &program, &error), KTR4PATH_ERR_FILE);
    EXPECT_EQ(ktr4path_read_program(nullptr, "", nullptr, &program, &error), KTR4PATH_ERR_ARGUMENT);
    EXPECT_STREQ(ktr4path_error_text(KTR4PATH_ERR_PROGRAM), "the part program has an error");
    ktr4path_free_machine(machine);
}

TEST(PathCApi, SoftLimitsAndPlan)
{
    ktr4path_machine* machine = router();
    ktr4path_program* program = nullptr;
    ktr4path_error error {};
    ASSERT_EQ(ktr4path_read_program(machine, "G1 X100 F6000\nG4 P0.5\nG0 X0\n", nullptr, &program, &error),
              KTR4PATH_OK);
    EXPECT_EQ(ktr4path_check_soft_limits(machine, program, &error), KTR4PATH_OK);
    ktr4path_plan* plan = nullptr;
    ASSERT_EQ(ktr4path_plan_program(machine, program, 0, &plan), KTR4PATH_OK);
    uint32_t count = 0;
    ASSERT_EQ(ktr4path_plan_block_count(plan, &count), KTR4PATH_OK);
    ASSERT_EQ(count, 2u);
    ktr4path_block block {};
    ASSERT_EQ(ktr4path_plan_block(plan, 0, &block), KTR4PATH_OK);
    // 100 mm at 6000 mm/min with 1500 mm/s²: 1 1/15 s, from rest to rest.
    EXPECT_EQ(block.kind, KTR4PATH_STRAIGHT_FEED);
    EXPECT_DOUBLE_EQ(block.length, 100);
    EXPECT_DOUBLE_EQ(block.entry_speed, 0);
    EXPECT_DOUBLE_EQ(block.peak_speed, 6000);
    EXPECT_DOUBLE_EQ(block.exit_speed, 0);
    EXPECT_NEAR(block.seconds, 1.0 + 1.0 / 15, 1e-12);
    ASSERT_EQ(ktr4path_plan_block(plan, 1, &block), KTR4PATH_OK);
    EXPECT_EQ(block.kind, KTR4PATH_STRAIGHT_TRAVERSE);
    EXPECT_DOUBLE_EQ(block.max_speed, 12000);  // the X axis's max_feed
    double seconds = 0;
    ASSERT_EQ(ktr4path_plan_seconds(plan, &seconds), KTR4PATH_OK);
    // The feed (1 1/15 s), the dwell (0.5 s) and the traverse back at 200 mm/s: 2/15 s up and
    // 2/15 s down over 40/3 mm each, 220/3 mm at speed in 11/30 s.
    EXPECT_NEAR(seconds, 1.0 + 1.0 / 15 + 0.5 + 4.0 / 15 + 11.0 / 30, 1e-12);
    EXPECT_EQ(ktr4path_plan_block(plan, 2, &block), KTR4PATH_ERR_ARGUMENT);
    ktr4path_free_plan(plan);
    ktr4path_free_program(program);

    ASSERT_EQ(ktr4path_read_program(machine, "G0 X10 Y10\nG2 X10 Y10 I-10.5 F100\n", nullptr, &program, &error),
              KTR4PATH_OK);
    EXPECT_EQ(ktr4path_check_soft_limits(machine, program, &error), KTR4PATH_ERR_SOFT_LIMIT);
    EXPECT_EQ(error.line, 2);
    EXPECT_STREQ(error.text, "line 2: X reaches -11.0000, below axis.X.soft_limit_min -1.0000");
    EXPECT_EQ(ktr4path_plan_program(machine, nullptr, 0, &plan), KTR4PATH_ERR_ARGUMENT);
    ktr4path_free_program(program);
    ktr4path_free_machine(machine);
}

}  // namespace
