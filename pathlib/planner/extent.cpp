#include "planner/extent.h"

#include <cmath>
#include <cstdio>
#include <numbers>

namespace ktr4path {
namespace {

void reach(AxisReach& axis, double value, int line)
{
    if (value < axis.low) {
        axis.low = value;
        axis.lowLine = line;
    }
    if (value > axis.high) {
        axis.high = value;
        axis.highLine = line;
    }
}

// The points of an arc farthest along its plane's axes: the ends and every quarter of the
// circle the sweep passes.
void reachArc(Extent& extent, const CanonicalMove& arc)
{
    const PlaneAxes axes = planeAxes(arc.plane);
    const double cp = arc.centre[0], cq = arc.centre[1];
    const double r = std::max(std::hypot(arc.start[axes.first] - cp, arc.start[axes.second] - cq),
                              std::hypot(arc.end[axes.first] - cp, arc.end[axes.second] - cq));
    const double a0 = std::atan2(arc.start[axes.second] - cq, arc.start[axes.first] - cp);
    double sweep = std::atan2(arc.end[axes.second] - cq, arc.end[axes.first] - cp) - a0;
    constexpr double kTurn = 2 * std::numbers::pi;
    if (arc.turns > 0)
        while (sweep <= 1e-12)
            sweep += kTurn;
    else
        while (sweep >= -1e-12)
            sweep -= kTurn;
    const double from = std::min(a0, a0 + sweep), to = std::max(a0, a0 + sweep);
    for (double quarter = std::ceil(from / (std::numbers::pi / 2)) * (std::numbers::pi / 2); quarter <= to;
         quarter += std::numbers::pi / 2) {
        reach(extent[axes.first], cp + r * std::cos(quarter), arc.line);
        reach(extent[axes.second], cq + r * std::sin(quarter), arc.line);
    }
}

}  // namespace

Extent programExtent(const Program& program, const Position& start)
{
    Extent extent;
    for (int i = 0; i < kAxisCount; ++i)
        extent[i] = AxisReach {start[i], start[i], 0, 0};
    for (const CanonicalMove& move : program.moves) {
        for (int i = 0; i < kAxisCount; ++i)
            reach(extent[i], move.end[i], move.line);
        if (move.kind == MoveKind::ArcFeed)
            reachArc(extent, move);
    }
    return extent;
}

std::vector<std::string> softLimitViolations(const Program& program, const Machine& machine, const Position& start)
{
    std::vector<std::string> out;
    const Extent extent = programExtent(program, start);
    char text[200];
    for (int i = 0; i < kAxisCount; ++i) {
        const AxisConfig& axis = machine.axes[i];
        if (!axis.present)
            continue;
        if (extent[i].low < axis.softMin) {
            std::snprintf(text, sizeof text, "line %d: %c reaches %.4f, below axis.%c.soft_limit_min %.4f",
                          extent[i].lowLine, kAxisLetters[i], extent[i].low, kAxisLetters[i], axis.softMin);
            out.emplace_back(text);
        }
        if (extent[i].high > axis.softMax) {
            std::snprintf(text, sizeof text, "line %d: %c reaches %.4f, above axis.%c.soft_limit_max %.4f",
                          extent[i].highLine, kAxisLetters[i], extent[i].high, kAxisLetters[i], axis.softMax);
            out.emplace_back(text);
        }
    }
    return out;
}

}  // namespace ktr4path
