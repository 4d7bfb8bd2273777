#include "planner/segments.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ktr4path {
namespace {

constexpr double kShortest = 1e-6;  // mm (or degrees): shorter moves are dropped

}  // namespace

bool describeSegment(Segment& segment, double feedPerMinute, const Machine& machine)
{
    std::array<double, 4> delta {};
    double linear = 0;
    for (int i = 0; i < kAxisCount; ++i) {
        delta[i] = segment.end[i] - segment.start[i];
        if (i != kA)
            linear += delta[i] * delta[i];
    }
    // As RS274/NGC: the feed is along X, Y, Z when any of them moves, else along A.
    segment.length = linear > 0 ? std::sqrt(linear) : std::abs(delta[kA]);
    if (segment.length < kShortest)
        return false;
    double speed = feedPerMinute > 0 ? feedPerMinute / 60.0 : INFINITY;
    double accel = INFINITY;
    for (int i = 0; i < kAxisCount; ++i) {
        segment.unit[i] = delta[i] / segment.length;
        const double share = std::abs(segment.unit[i]);
        if (share < 1e-12 || !machine.axes[i].present)
            continue;
        speed = std::min(speed, machine.axes[i].maxFeed / 60.0 / share);
        accel = std::min(accel, machine.axes[i].maxAccel / share);
    }
    segment.maxSpeed = speed;
    segment.limitSpeed = feedPerMinute > 0 ? INFINITY : speed;
    for (int i = 0; i < kAxisCount; ++i)
        if (std::abs(segment.unit[i]) >= 1e-12 && machine.axes[i].present)
            segment.limitSpeed =
                std::min(segment.limitSpeed, machine.axes[i].maxFeed / 60.0 / std::abs(segment.unit[i]));
    segment.accel = accel;
    return true;
}

void appendArcChords(const CanonicalMove& arc, const Machine& machine, std::vector<Segment>& out)
{
    const PlaneAxes axes = planeAxes(arc.plane);
    const double cp = arc.centre[0], cq = arc.centre[1];
    const double p0 = arc.start[axes.first] - cp, q0 = arc.start[axes.second] - cq;
    const double p1 = arc.end[axes.first] - cp, q1 = arc.end[axes.second] - cq;
    const double r0 = std::hypot(p0, q0), r1 = std::hypot(p1, q1);
    const double a0 = std::atan2(q0, p0);
    double sweep = std::atan2(q1, p1) - a0;
    constexpr double kTurn = 2 * std::numbers::pi;
    // G3 sweeps counter-clockwise (positive), G2 clockwise; an end on the start is a full turn.
    if (arc.turns > 0) {
        while (sweep <= 1e-12)
            sweep += kTurn;
        sweep += (arc.turns - 1) * kTurn;
    } else {
        while (sweep >= -1e-12)
            sweep -= kTurn;
        sweep += (arc.turns + 1) * kTurn;
    }
    // The largest angle whose chord stays within the tolerance of the circle.
    const double radius = std::max(r0, r1);
    const double tolerance = machine.chordTolerance;
    const double step = tolerance >= radius ? std::numbers::pi / 2
                                            : std::min(std::numbers::pi / 2, 2 * std::acos(1 - tolerance / radius));
    const int chords = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / step)));
    // Centripetal acceleration v²/r within the slower of the plane's two axes.
    const double planeAccel = std::min(machine.axes[axes.first].maxAccel, machine.axes[axes.second].maxAccel);
    const double arcSpeed = std::sqrt(planeAccel * std::min(r0, r1));
    Position from = arc.start;
    for (int k = 1; k <= chords; ++k) {
        Position to = arc.end;
        if (k < chords) {
            const double f = static_cast<double>(k) / chords;
            // A spiral from the start radius to the end radius, so the last chord ends on the end.
            const double r = r0 + (r1 - r0) * f;
            const double angle = a0 + sweep * f;
            to[axes.first] = cp + r * std::cos(angle);
            to[axes.second] = cq + r * std::sin(angle);
            to[axes.normal] = arc.start[axes.normal] + (arc.end[axes.normal] - arc.start[axes.normal]) * f;
            to[kA] = arc.start[kA] + (arc.end[kA] - arc.start[kA]) * f;
        }
        Segment chord;
        chord.line = arc.line;
        chord.kind = MoveKind::ArcFeed;
        chord.start = from;
        chord.end = to;
        if (describeSegment(chord, arc.feed, machine)) {
            chord.maxSpeed = std::min(chord.maxSpeed, arcSpeed);
            chord.limitSpeed = std::min(chord.limitSpeed, arcSpeed);
            out.push_back(chord);
            from = to;
        }
    }
}

void appendMoveSegments(const CanonicalMove& move, const Machine& machine, std::vector<Segment>& out)
{
    switch (move.kind) {
    case MoveKind::StraightTraverse:
    case MoveKind::StraightFeed: {
        Segment segment;
        segment.line = move.line;
        segment.kind = move.kind;
        segment.start = move.start;
        segment.end = move.end;
        if (describeSegment(segment, move.kind == MoveKind::StraightFeed ? move.feed : 0.0, machine))
            out.push_back(segment);
        break;
    }
    case MoveKind::ArcFeed:
        appendArcChords(move, machine, out);
        break;
    default:
        break;
    }
}

std::vector<Segment> toSegments(const Program& program, const Machine& machine)
{
    std::vector<Segment> out;
    bool stop = true;
    for (const CanonicalMove& move : program.moves) {
        const size_t before = out.size();
        switch (move.kind) {
        case MoveKind::StraightTraverse:
        case MoveKind::StraightFeed:
        case MoveKind::ArcFeed:
            appendMoveSegments(move, machine, out);
            break;
        case MoveKind::Dwell:
        case MoveKind::Output:
        case MoveKind::ProgramPause:
        case MoveKind::ProgramEnd:
            stop = true;
            break;
        }
        if (out.size() > before) {
            out[before].stopBefore = stop;
            stop = false;
        }
    }
    return out;
}

}  // namespace ktr4path
