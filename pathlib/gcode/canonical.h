// What a part program asks of the machine once its words are read: the canonical moves
// (straight traverse, straight feed, arc feed, dwell) and the switches and stops between them.
// Lengths are mm whatever the program's units, A is degrees, feeds are units per minute.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace ktr4path {

using Position = std::array<double, 4>;  // X, Y, Z (mm), A (degrees)

enum class MoveKind { StraightTraverse, StraightFeed, ArcFeed, Dwell, Output, ProgramPause, ProgramEnd };

// The arc plane by its G-code; the first and second axes are those the arc turns in, in the
// order that makes G3 counter-clockwise seen from the positive third axis.
enum class Plane { XY, ZX, YZ };
struct PlaneAxes {
    int first, second, normal;
};
PlaneAxes planeAxes(Plane plane);

struct CanonicalMove {
    MoveKind kind = MoveKind::StraightTraverse;
    int line = 0;  // line of the program file, from 1
    long n = -1;  // the line's N number, -1 when it has none
    Position start {};  // where the move begins
    Position end {};  // where it ends (the start again for dwells, outputs and stops)
    double feed = 0;  // StraightFeed, ArcFeed: the programmed feed in units per minute
    Plane plane = Plane::XY;  // ArcFeed
    std::array<double, 2> centre {};  // ArcFeed: centre on the plane's first and second axes
    int turns = 0;  // ArcFeed: +n counter-clockwise (G3), -n clockwise (G2); 1 is up to one turn
    double seconds = 0;  // Dwell
    int mcode = 0;  // Output: the M-code whose machine-file output is switched
};

struct Program {
    std::vector<CanonicalMove> moves;
};

const char* moveKindName(MoveKind kind);
const char* planeName(Plane plane);

// The dry run: one line of text per move, or a JSON array of objects.
std::string formatText(const Program& program);
std::string formatJson(const Program& program);

}  // namespace ktr4path
