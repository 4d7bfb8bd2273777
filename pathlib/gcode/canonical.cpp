// Names and axes of the canonical moves' kinds and planes.
#include "gcode/canonical.h"

#include "machine/machine.h"

namespace ktr4path {

PlaneAxes planeAxes(Plane plane)
{
    switch (plane) {
    case Plane::ZX:
        return {kZ, kX, kY};
    case Plane::YZ:
        return {kY, kZ, kX};
    case Plane::XY:
        break;
    }
    return {kX, kY, kZ};
}

const char* moveKindName(MoveKind kind)
{
    switch (kind) {
    case MoveKind::StraightTraverse:
        return "STRAIGHT_TRAVERSE";
    case MoveKind::StraightFeed:
        return "STRAIGHT_FEED";
    case MoveKind::ArcFeed:
        return "ARC_FEED";
    case MoveKind::Dwell:
        return "DWELL";
    case MoveKind::Output:
        return "OUTPUT";
    case MoveKind::ProgramPause:
        return "PROGRAM_PAUSE";
    case MoveKind::ProgramEnd:
        return "PROGRAM_END";
    }
    return "?";
}

const char* planeName(Plane plane)
{
    switch (plane) {
    case Plane::ZX:
        return "ZX";
    case Plane::YZ:
        return "YZ";
    case Plane::XY:
        break;
    }
    return "XY";
}

}  // namespace ktr4path
