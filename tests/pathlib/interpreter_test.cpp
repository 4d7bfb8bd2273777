// The interpreter, by tables of program lines and the canonical moves (dry-run text) or the
// error (line, column, reason) they give.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "gcode/interpreter.h"
#include "gcode/program_error.h"
#include "test_machine.h"

namespace ktr4path {
namespace {

std::string dryRun(const std::string& program)
{
    try {
        return formatText(interpret(program, test::router()));
    } catch (const ProgramError& e) {
        return std::string("error ") + e.what();
    }
}

struct Case {
    const char* program;
    const char* moves;  // the dry run's text, or "error line L, column C: reason"
};

void expectCases(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        // A whole dry run ends in a new line; anything else is the start of what must come.
        const std::string got = dryRun(c.program), want = c.moves;
        if (want.empty() || want.back() == '\n')
            EXPECT_EQ(got, want) << c.program;
        else
            EXPECT_EQ(got.rfind(want, 0), 0u) << c.program << "\n gave: " << got;
    }
}

TEST(Interpreter, StraightMovesModesAndUnits)
{
    expectCases({
        {"G0 X10 Y-2.5", "line 1: STRAIGHT_TRAVERSE X10.0000 Y-2.5000 Z0.0000 A0.0000\n"},
        // The motion mode and the feed stay until changed; N, comments and spaces are dropped.
        {"N10 G1 X1 F300 (first)\nY2 ; then\n  x 3",
         "line 1 N10: STRAIGHT_FEED X1.0000 Y0.0000 Z0.0000 A0.0000 F300.0000\n"
         "line 2: STRAIGHT_FEED X1.0000 Y2.0000 Z0.0000 A0.0000 F300.0000\n"
         "line 3: STRAIGHT_FEED X3.0000 Y2.0000 Z0.0000 A0.0000 F300.0000\n"},
        // G91 counts from the last point; G20 converts to mm, A stays in degrees.
        {"G91 G1 X1 F100\nX1 A90",
         "line 1: STRAIGHT_FEED X1.0000 Y0.0000 Z0.0000 A0.0000 F100.0000\n"
         "line 2: STRAIGHT_FEED X2.0000 Y0.0000 Z0.0000 A90.0000 F100.0000\n"},
        {"G20 G1 X1 A1 F10", "line 1: STRAIGHT_FEED X25.4000 Y0.0000 Z0.0000 A1.0000 F254.0000\n"},
        // F is read in the units in force when the move runs (G21 on a later line).
        {"F10\nG21 G1 X1", "line 2: STRAIGHT_FEED X1.0000 Y0.0000 Z0.0000 A0.0000 F10.0000\n"},
        {"G20 F10\nG21 G1 X1", "line 2: STRAIGHT_FEED X1.0000 Y0.0000 Z0.0000 A0.0000 F10.0000\n"},
        // A mode alone moves nothing.
        {"G1 F100\nG0\nG17 G90 G94", ""},
        {"%\nG0 X1\n%", "line 2: STRAIGHT_TRAVERSE X1.0000 Y0.0000 Z0.0000 A0.0000\n"},
        {"g0 x1\r\n", "line 1: STRAIGHT_TRAVERSE X1.0000 Y0.0000 Z0.0000 A0.0000\n"},
    });
}

TEST(Interpreter, DwellOutputsAndStopsInTheirOrder)
{
    expectCases({
        // Within a line: outputs, then the dwell, then the move, then the stop.
        {"G1 X1 F60 G4 P0.5 M3 M0",
         "line 1: OUTPUT M3\nline 1: DWELL 0.5000 s\n"
         "line 1: STRAIGHT_FEED X1.0000 Y0.0000 Z0.0000 A0.0000 F60.0000\n"
         "line 1: PROGRAM_PAUSE\n"},
        {"M3 M7\nM5 M9", "line 1: OUTPUT M3\nline 1: OUTPUT M7\nline 2: OUTPUT M5\nline 2: OUTPUT M9\n"},
        // Nothing after the end is read, not even an error.
        {"M30\nG1 X1", "line 1: PROGRAM_END\n"},
        {"M2\nQ5", "line 1: PROGRAM_END\n"},
    });
}

TEST(Interpreter, ArcsByCentreAndRadius)
{
    expectCases({
        // A quarter circle by its centre, the same by R, and the long way round by -R.
        {"G2 X10 Y0 I5 F600",
         "line 1: ARC_FEED X10.0000 Y0.0000 Z0.0000 A0.0000 centre X5.0000 Y0.0000 plane XY turns -1 F600.0000\n"},
        {"G0 X-5 Y0\nG3 X0 Y-5 R5 F600",
         "line 1: STRAIGHT_TRAVERSE X-5.0000 Y0.0000 Z0.0000 A0.0000\n"
         "line 2: ARC_FEED X0.0000 Y-5.0000 Z0.0000 A0.0000 centre X0.0000 Y0.0000 plane XY turns 1 F600.0000\n"},
        {"G0 X-5 Y0\nG3 X0 Y-5 R-5 F600",
         "line 1: STRAIGHT_TRAVERSE X-5.0000 Y0.0000 Z0.0000 A0.0000\n"
         "line 2: ARC_FEED X0.0000 Y-5.0000 Z0.0000 A0.0000 centre X-5.0000 Y-5.0000 plane XY turns 1 F600.0000\n"},
        {"G0 X-5 Y0\nG2 X0 Y-5 R5 F600",
         "line 1: STRAIGHT_TRAVERSE X-5.0000 Y0.0000 Z0.0000 A0.0000\n"
         "line 2: ARC_FEED X0.0000 Y-5.0000 Z0.0000 A0.0000 centre X-5.0000 Y-5.0000 plane XY turns -1 F600.0000\n"},
        // A full circle ends where it starts; a helix moves Z along; G90.1 gives the centre itself.
        {"G3 X0 Y0 I3 J4 F100",
         "line 1: ARC_FEED X0.0000 Y0.0000 Z0.0000 A0.0000 centre X3.0000 Y4.0000 plane XY turns 1 F100.0000\n"},
        {"G2 X0 I1 Z-1 F100",
         "line 1: ARC_FEED X0.0000 Y0.0000 Z-1.0000 A0.0000 centre X1.0000 Y0.0000 plane XY turns -1 F100.0000\n"},
        {"G0 X2 Y2\nG90.1 G2 X4 Y0 I2 J0 F100",
         "line 1: STRAIGHT_TRAVERSE X2.0000 Y2.0000 Z0.0000 A0.0000\n"
         "line 2: ARC_FEED X4.0000 Y0.0000 Z0.0000 A0.0000 centre X2.0000 Y0.0000 plane XY turns -1 F100.0000\n"},
        // G18 turns from Z toward X, G19 from Y toward Z; their centre words are K, I and J, K.
        {"G18 G2 X2 Z0 I1 F100",
         "line 1: ARC_FEED X2.0000 Y0.0000 Z0.0000 A0.0000 centre Z0.0000 X1.0000 plane ZX turns -1 F100.0000\n"},
        {"G19 G3 Y0 Z-2 K-1 F100",
         "line 1: ARC_FEED X0.0000 Y0.0000 Z-2.0000 A0.0000 centre Y0.0000 Z-1.0000 plane YZ turns 1 F100.0000\n"},
        // The arc mode stays: the next line's end words make another arc.
        {"G2 X2 I1 F100\nX0 I-1",
         "line 1: ARC_FEED X2.0000 Y0.0000 Z0.0000 A0.0000 centre X1.0000 Y0.0000 plane XY turns -1 F100.0000\n"
         "line 2: ARC_FEED X0.0000 Y0.0000 Z0.0000 A0.0000 centre X1.0000 Y0.0000 plane XY turns -1 F100.0000\n"},
        // In inches the centre is converted too.
        {"G20 G2 X1 I0.5 F10",
         "line 1: ARC_FEED X25.4000 Y0.0000 Z0.0000 A0.0000 centre X12.7000 Y0.0000 plane XY turns -1 F254.0000\n"},
    });
}

TEST(Interpreter, ArcEndMustLieOnItsCircle)
{
    // Radius 5 at the start; allowed difference max(0.01 mm, 0.1 % of 5 mm) = 0.01 mm.
    expectCases({
        {"G2 X10.009 I5 F100", "line 1: ARC_FEED X10.0090"},
        {"G2 X10.011 I5 F100",
         "error line 1, column 12: arc end is not on its circle: radius 5.0000 mm at the start, 5.0110 mm at the end "
         "(they may differ by 0.0100 mm)"},
        // 0.1 % of a 100 mm radius is 0.1 mm.
        {"G2 X200.09 I100 F100", "line 1: ARC_FEED X200.0900"},
        {"G2 X200.11 I100 F100", "error line 1, column 12: arc end is not on its circle: radius 100.0000 mm"},
        {"G2 X0 Y0 I0 J0 F100", "error line 1, column 10: arc centre is at its start: the radius is 0"},
        {"G2 X2 I2 F100", "error line 1, column 7: arc centre is at its end: the radius is 0"},
        {"G2 X10 R4 F100", "error line 1, column 8: R 4.0000 mm is less than half the distance to the end (5.0000 mm)"},
        // Within the tolerance a too-short R is taken as the half circle.
        {"G2 X10 R4.995 F100", "line 1: ARC_FEED X10.0000 Y0.0000 Z0.0000 A0.0000 centre X5.0000 Y0.0000"},
        {"G2 X0 Y0 R5 F100", "error line 1, column 10: an arc in R form cannot end where it starts"},
    });
}

TEST(Interpreter, ErrorsNameLineAndColumnAndKeepNothing)
{
    expectCases({
        {"G1 X1", "error line 1, column 1: G1 with no feed rate: give F greater than 0"},
        {"G1 F0 X1", "error line 1, column 1: G1 with no feed rate"},
        {"F100\nG0 X1\nX2 G1 F0", "error line 3, column 4: G1 with no feed rate"},
        {"G0 G1 X1", "error line 1, column 4: G1 and G0 are both in modal group 1 (motion); a line may hold one"},
        {"G20 G21", "error line 1, column 5: G21 and G20 are both in modal group 6 (units)"},
        {"G90 G91.1 G91", "error line 1, column 11: G91 and G90 are both in modal group 3 (distance mode)"},
        {"M3 M5", "error line 1, column 4: M5 and M3 are both in modal group 7"},
        {"M0 M2", "error line 1, column 4: M2 and M0 are both in modal group 4"},
        {"G0 X1 X2", "error line 1, column 7: a second X word on one line"},
        {"G0 X1\nG0 S100", "error line 2, column 4: unknown word S"},
        {"G0 X1 T2", "error line 1, column 7: unknown word T"},
        {"G93", "error line 1, column 1: G-code not supported: G93"},
        {"G1.5", "error line 1, column 1: G-code not supported: G1.5"},
        {"G81 X1", "error line 1, column 1: G-code not supported: G81"},
        {"M8", "error line 1, column 1: M8 is not supported: the machine file maps no output to it"},
        {"M1", "error line 1, column 1: M1 is not supported"},
        {"G0 X", "error line 1, column 5: X needs a number"},
        {"G0 X1.2.3", "error line 1, column 5: X needs a number"},
        {"G0 X1 (open", "error line 1, column 7: comment not closed"},
        {"G0 (a (b) c) X1", "error line 1, column 7: comment inside a comment"},
        {"G0 X1 #1", "error line 1, column 7: unexpected character '#'"},
        {"X1", "error line 1, column 1: axis words with no motion mode (G0, G1, G2, G3) to use them"},
        {"G0 X1 N5", "error line 1, column 7: N (the line number) must come first on the line"},
        {"G4", "error line 1, column 1: G4 needs P, the dwell in seconds"},
        {"G4 P-1", "error line 1, column 4: P (dwell seconds) must not be negative"},
        {"G0 X1 P1", "error line 1, column 7: P word with no G4 to use it"},
        {"G1 X1 I1 F10", "error line 1, column 7: I word with no G2 or G3 to use it"},
        {"G1 X1 F-10", "error line 1, column 7: F must not be negative"},
        {"G2 I1 F10", "error line 1, column 1: G2 needs X or Y (the arc's end in the XY plane)"},
        {"G2 X1 F10", "error line 1, column 1: G2 needs R or the centre (I, J)"},
        {"G2 X1 K1 F10", "error line 1, column 7: K word in the XY plane (it uses I and J)"},
        {"G2 X1 R1 I1 F10", "error line 1, column 7: R together with I, J or K"},
        {"G90.1 G2 X1 I1 F10", "error line 1, column 7: G2 in absolute arc distance mode (G90.1) needs both I and J"},
        {"G0 X1 % ", "error line 1, column 7: unexpected character '%'"},
        {"% G0", "error line 1, column 1: % must stand alone on its line"},
    });
}

TEST(Interpreter, AxisTheMachineLacksIsRefused)
{
    const Machine xy = parseMachine(R"(
[axis.X]
card = 0
axis = 0
pulses_per_unit = 100
max_feed = 1000
max_accel = 100
soft_limit_min = 0
soft_limit_max = 100
)");
    try {
        interpret("G0 X1\nG0 Z1", xy);
        FAIL() << "read";
    } catch (const ProgramError& e) {
        EXPECT_EQ(e.line(), 2);
        EXPECT_EQ(e.column(), 4);
        EXPECT_EQ(e.reason(), "Z word, but the machine file has no [axis.Z]");
    }
    EXPECT_THROW(interpret("G2 X1 I1 F100", xy), ProgramError);
}

TEST(Interpreter, JsonNamesEveryField)
{
    const Program p = interpret("N5 G18 G3 X2 Z0 I1 F100\nG4 P1.5\nM3\nM2", test::router());
    EXPECT_EQ(formatJson(p),
              "[\n"
              "  {\"line\": 1, \"n\": 5, \"kind\": \"ARC_FEED\", \"end\": {\"X\": 2.0000, \"Y\": 0.0000, \"Z\": "
              "0.0000, \"A\": 0.0000}, \"centre\": {\"Z\": 0.0000, \"X\": 1.0000}, \"plane\": \"ZX\", \"turns\": 1, "
              "\"feed\": 100.0000},\n"
              "  {\"line\": 2, \"kind\": \"DWELL\", \"seconds\": 1.5000},\n"
              "  {\"line\": 3, \"kind\": \"OUTPUT\", \"mcode\": 3},\n"
              "  {\"line\": 4, \"kind\": \"PROGRAM_END\"}\n"
              "]\n");
    EXPECT_EQ(formatJson(Program {}), "[]\n");
}

// Lines of random G-code-like characters: each is read or refused with a place on that line;
// nothing else escapes.
TEST(Interpreter, RandomLinesAreReadOrRefusedAtAPlaceOnTheLine)
{
    const Machine m = test::router();
    const std::string alphabet = "GMXYZAIJKRFPNST0123456789.-+ ();%#\t";
    std::mt19937 random(11);
    int refused = 0, read = 0;
    for (int k = 0; k < 3000; ++k) {
        std::string line = "G1 F100 ";
        const int size = static_cast<int>(random() % 24);
        for (int c = 0; c < size; ++c)
            line += alphabet[random() % alphabet.size()];
        try {
            interpret("G0 X0 Y0\n" + line + "\n", m);
            ++read;
        } catch (const ProgramError& e) {
            ++refused;
            EXPECT_EQ(e.line(), 2) << line;
            EXPECT_GE(e.column(), 1) << line;
            EXPECT_LE(e.column(), static_cast<int>(line.size()) + 1) << line;
        }
    }
    // Both outcomes occur, so the check above saw refusals.
    EXPECT_GT(refused, 100);
    EXPECT_GT(read, 10);
}

// A real program, once in mm and once in inches: every move ends on the same pulse.
std::string readFile(const std::string& path)
{
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(Interpreter, SameProgramInInchesAndMillimetresGivesTheSamePulses)
{
    const Machine m = test::router();
    const Program mm = interpret(readFile(PATHLIB_PROGRAMS "/bracket_mm.ngc"), m);
    const Program inch = interpret(readFile(PATHLIB_PROGRAMS "/bracket_inch.ngc"), m);
    ASSERT_EQ(mm.moves.size(), inch.moves.size());
    ASSERT_GT(mm.moves.size(), 20u);
    int arcs = 0;
    for (size_t i = 0; i < mm.moves.size(); ++i) {
        const CanonicalMove &a = mm.moves[i], &b = inch.moves[i];
        EXPECT_EQ(a.kind, b.kind) << "move " << i;
        for (int axis = 0; axis < kAxisCount; ++axis)
            EXPECT_EQ(m.axes[axis].toPulses(a.end[axis]), m.axes[axis].toPulses(b.end[axis]))
                << "move " << i << " (line " << a.line << ") axis " << kAxisLetters[axis];
        if (a.kind == MoveKind::ArcFeed) {
            ++arcs;
            EXPECT_EQ(a.turns, b.turns);
            for (int k = 0; k < 2; ++k)
                EXPECT_NEAR(a.centre[k], b.centre[k], 1e-9) << "move " << i;
        }
        EXPECT_NEAR(a.feed, b.feed, 1e-9) << "move " << i;
    }
    EXPECT_GE(arcs, 4);
}

}  // namespace
}  // namespace ktr4path
