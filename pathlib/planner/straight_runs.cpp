#include "planner/straight_runs.h"

#include <algorithm>
#include <cmath>

namespace ktr4path {
namespace {

// How far `p` lies along the unit direction `u` from `origin`, and its distance from that line.
struct Projection {
    double along = 0;
    double off = 0;
};

Projection project(const Position& p, const Position& origin, const std::array<double, 3>& u)
{
    double along = 0;
    for (int i = 0; i < 3; ++i)
        along += (p[i] - origin[i]) * u[i];
    double off = 0;
    for (int i = 0; i < 3; ++i) {
        const double e = p[i] - origin[i] - u[i] * along;
        off += e * e;
    }
    return Projection {along, std::sqrt(off)};
}

// The straight line from the start of segments[first] to the end of segments[end - 1].
struct Line {
    Position from {};
    std::array<double, 3> unit {};  // along X, Y, Z (0 when the line has no length)
    double length = 0;
};

Line lineOf(const std::vector<Segment>& segments, size_t first, size_t end)
{
    Line line {segments[first].start, {}, 0};
    const Position& to = segments[end - 1].end;
    for (int i = 0; i < 3; ++i) {
        line.unit[i] = to[i] - line.from[i];
        line.length += line.unit[i] * line.unit[i];
    }
    line.length = std::sqrt(line.length);
    if (line.length > 0)
        for (double& c : line.unit)
            c /= line.length;
    return line;
}

// A joined run's turns use at most this share of each axis's start speed at either end, so a
// joint between two runs steps by at most twice that plus the program's own turn there.
constexpr double kStepShare = 0.4;

bool joinable(const Segment& s)
{
    return s.kind == MoveKind::StraightFeed && std::abs(s.end[kA] - s.start[kA]) < 1e-12;
}

// Whether segments [first, end) lie along the line from the first's start to the last's end, and
// each turns off that line by so little that, at `speed`, no axis's speed steps by more than
// kStepShare of its start speed where the line meets the next one: joints between joined runs
// then stay within the start speeds, and the feed holds through them.
bool straight(const std::vector<Segment>& segments, size_t first, size_t end, const Machine& machine, double speed)
{
    const Line line = lineOf(segments, first, end);
    if (line.length <= 0)
        return false;
    const Position& from = line.from;
    const std::array<double, 3>& u = line.unit;
    const double length = line.length;
    double before = 0;
    for (size_t m = first; m < end; ++m) {
        for (int i = 0; i < 3; ++i)
            if (machine.axes[i].present
                && speed * std::abs(segments[m].unit[i] - u[i])
                    > kStepShare * machine.axes[i].startSpeed / 60.0 + 1e-12)
                return false;
        if (m + 1 == end)
            break;
        const Projection joint = project(segments[m].end, from, u);
        if (joint.off > machine.chordTolerance || joint.along <= before || joint.along >= length)
            return false;
        before = joint.along;
    }
    return true;
}

}  // namespace

size_t straightRunEnd(const std::vector<Segment>& segments, size_t first, size_t limit, const Machine& machine,
                      double speedFactor)
{
    limit = std::min({limit, segments.size(), first + kMostJoined});
    size_t end = first + 1;
    if (end >= limit || !joinable(segments[first]))
        return end;
    const double feed = segments[first].maxSpeed;
    double speed = std::min(feed * speedFactor, segments[first].limitSpeed);
    while (end < limit) {
        const Segment& next = segments[end];
        if (!joinable(next) || next.stopBefore || std::abs(next.maxSpeed - feed) > 1e-9 * feed)
            break;
        const double fastest = std::min(speed, next.limitSpeed);
        if (!straight(segments, first, end + 1, machine, fastest))
            break;
        speed = fastest;
        ++end;
    }
    return end;
}

Segment joinedSegment(const std::vector<Segment>& segments, size_t first, size_t end, const Machine& machine)
{
    Segment joined = segments[first];
    joined.end = segments[end - 1].end;
    describeSegment(joined, joined.maxSpeed * 60, machine);
    for (size_t m = first; m < end; ++m) {
        joined.maxSpeed = std::min(joined.maxSpeed, segments[m].maxSpeed);
        joined.limitSpeed = std::min(joined.limitSpeed, segments[m].limitSpeed);
        joined.accel = std::min(joined.accel, segments[m].accel);
    }
    return joined;
}

PieceAt pieceAt(const std::vector<Segment>& segments, size_t first, size_t end, double along)
{
    const Line line = lineOf(segments, first, end);
    const Position& from = line.from;
    const std::array<double, 3>& u = line.unit;
    const double length = line.length;
    double before = 0;
    for (size_t m = first; m < end; ++m) {
        const double after = m + 1 == end ? length : project(segments[m].end, from, u).along;
        if (along < after - 1e-9 || m + 1 == end) {
            const double share = after > before ? std::clamp((along - before) / (after - before), 0.0, 1.0) : 1.0;
            return PieceAt {m, share * segments[m].length};
        }
        before = after;
    }
    return PieceAt {end - 1, segments[end - 1].length};
}

}  // namespace ktr4path
