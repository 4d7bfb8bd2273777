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

}  // namespace
