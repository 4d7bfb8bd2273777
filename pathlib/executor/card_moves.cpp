#include "executor/card_moves.h"

#include <algorithm>
#include <cmath>

namespace ktr4path {
namespace {

std::array<int64_t, kAxisCount> pulsesAt(const Position& point, const Machine& machine)
{
    std::array<int64_t, kAxisCount> pulses {};
    for (int i = 0; i < kAxisCount; ++i)
        if (machine.axes[i].present)
            pulses[i] = machine.axes[i].toPulses(point[i]);
    return pulses;
}

// Collects the pieces of one block, each ending `along` units from the block's start.
class Pieces {
public:
    Pieces(const PlannedBlock& block, const Machine& machine, std::vector<CardMove>& out)
        : block_(block)
        , machine_(machine)
        , out_(out)
        , previous_(pulsesAt(block.segment.start, machine))
        , from_(block.segment.start)
    {
    }

    void add(double along, double startSpeed, double topSpeed)
    {
        const Segment& s = block_.segment;
        along = std::min(along, s.length);
        if (along <= along_)
            return;
        CardMove move;
        move.line = s.line;
        move.start = from_;
        if (along >= s.length) {
            move.end = s.end;
        } else {
            for (int i = 0; i < kAxisCount; ++i)
                move.end[i] = s.start[i] + s.unit[i] * along;
        }
        move.target = pulsesAt(move.end, machine_);
        if (move.target == previous_) {
            // Less than a pulse on every axis: the next piece takes this stretch along, or, at
            // the block's end, the block's last move already ends on its end pulses.
            if (along >= s.length && pushed_ > 0) {
                out_.back().end = move.end;
                out_.back().length += along - along_;
                out_.back().endAlong = along;
                along_ = along;
            }
            return;
        }
        move.startSpeed = startSpeed;
        move.topSpeed = topSpeed;
        move.accel = s.accel;
        move.pulsesPerUnit = pathPulsesPerUnit(s.unit, machine_);
        move.unit = s.unit;
        move.length = along - along_;
        move.endAlong = along;
        previous_ = move.target;
        from_ = move.end;
        along_ = along;
        out_.push_back(move);
        ++pushed_;
    }

private:
    const PlannedBlock& block_;
    const Machine& machine_;
    std::vector<CardMove>& out_;
    std::array<int64_t, kAxisCount> previous_;
    Position from_;
    double along_ = 0;
    size_t pushed_ = 0;
};

}  // namespace

double pathPulsesPerUnit(const std::array<double, kAxisCount>& unit, const Machine& machine)
{
    double sum = 0;
    for (int i = 0; i < kAxisCount; ++i)
        if (machine.axes[i].present) {
            const double p = unit[i] * machine.axes[i].pulsesPerUnit;
            sum += p * p;
        }
    return std::sqrt(sum);
}

double stairStep(const Segment& segment, const Machine& machine, const MoveShape& shape)
{
    double step = INFINITY;
    for (int i = 0; i < kAxisCount; ++i) {
        const double share = std::abs(segment.unit[i]);
        if (share > 1e-12 && machine.axes[i].present)
            step = std::min(step, machine.axes[i].startSpeed / 60.0 / share);
    }
    return std::max(step, segment.accel * shape.minStairSeconds);
}

namespace {

// The step (units/s) an axis takes at once at a joint into the segment: its start speed, or its
// share of the segment's stair step where that is larger (the shortest stair's floor).
double jointStep(const Segment& segment, int axis, double stair, const Machine& machine)
{
    return std::max(machine.axes[axis].startSpeed / 60.0, std::abs(segment.unit[axis]) * stair);
}

// Whether every axis's speed steps by no more than its joint step from the incoming motion to
// `speed` along the segment.
bool stepsWithin(const Incoming& incoming, const Segment& segment, double speed, double stair, const Machine& machine)
{
    for (int i = 0; i < kAxisCount; ++i)
        if (machine.axes[i].present
            && std::abs(incoming.speed * incoming.unit[i] - speed * segment.unit[i])
                > jointStep(segment, i, stair, machine) + 1e-9)
            return false;
    return true;
}

// The largest drop (units/s) below `entry` that the segment's first move may start at, so that
// no axis's speed steps at the joint by more than its joint step: unlimited from rest.
double largestDropAtJoint(const Incoming& incoming, const Segment& segment, double entry, double stair,
                          const Machine& machine)
{
    if (incoming.speed <= 0)
        return INFINITY;
    // Each axis allows the first move's speed w where |in·u_in - w·u| <= its joint step.
    double lowest = 0;
    for (int i = 0; i < kAxisCount; ++i) {
        const double u = segment.unit[i];
        if (!machine.axes[i].present || std::abs(u) < 1e-12)
            continue;
        const double before = incoming.speed * incoming.unit[i];
        const double step = jointStep(segment, i, stair, machine);
        lowest = std::max(lowest, (u > 0 ? before - step : before + step) / u);
    }
    return std::max(0.0, entry - lowest);
}

// The stairs from `from` down to `to`: n equal steps no larger than `most`, the speeds after each
// step but the last (the last step lands on `to`, which the caller runs at or stops from).
std::vector<double> stairsDown(double from, double to, double most)
{
    std::vector<double> stairs;
    if (from - to <= 1e-9)
        return stairs;
    const auto n = static_cast<int>(std::ceil((from - to) / most - 1e-9));
    const double step = (from - to) / n;
    for (int k = 1; k < n; ++k)
        stairs.push_back(from - k * step);
    return stairs;
}

}  // namespace

void appendCardMoves(const PlannedBlock& block, const Machine& machine, const MoveShape& shape,
                     const Incoming& incoming, const Segment* next, std::vector<CardMove>& out)
{
    const Segment& s = block.segment;
    const double a = s.accel;
    const double v0 = block.entrySpeed;
    // The exit is never above the block's speed; the entry may be, after the feed was lowered:
    // the block then steps down to its speed first.
    const double v1 = block.exitSpeed;
    double vc = std::max(std::min(block.peakSpeed, s.maxSpeed), v1);
    const double most = stairStep(s, machine, shape);
    const double shortest = shape.minStairSeconds;

    // A rise too short for a move of its own is a step up at once (it is below the stair step).
    if (vc > v0 && (vc - v0) / a < shortest && vc - v0 <= most && vc > v1 + 1e-9)
        vc = std::max(v0, v1);
    // Each stair is held for step / a, so the speed falls no faster than a on average; down to
    // the exit the exit itself is the last stair (the next block starts there), down to a stop
    // the last step is from the lowest stair to rest. A drop within one step that would make a
    // stair shorter than the shortest move is taken at once.
    const auto dropTo = [&](double from, double to) {
        if (from - to <= most && (from - to) / a < shortest)
            return std::vector<double> {};
        std::vector<double> stairs = stairsDown(from, to, most);
        if (to > 1e-9 && from - to > 1e-9)
            stairs.push_back(to);
        return stairs;
    };
    struct Stair {
        double speed, seconds;
    };
    const auto held = [](const std::vector<double>& speeds, double seconds) {
        std::vector<Stair> stairs;
        stairs.reserve(speeds.size() + 1);
        for (double v : speeds)
            stairs.push_back(Stair {v, seconds});
        return stairs;
    };
    const std::vector<double> firstSpeeds = dropTo(v0, vc);
    std::vector<Stair> first =
        held(firstSpeeds, firstSpeeds.empty() ? 0 : (v0 - vc) / static_cast<double>(firstSpeeds.size() + 1) / a);
    const std::vector<double> lastSpeeds = dropTo(vc, v1);
    std::vector<Stair> last =
        held(lastSpeeds,
             lastSpeeds.empty() ? 0 : (vc - v1) / static_cast<double>(lastSpeeds.size() + (v1 > 1e-9 ? 0 : 1)) / a);
    // A drop to an exit above rest taken at once at the block's end comes on top of the step the
    // joint's change of direction takes: when both together would step an axis by more than its
    // start speed (or the next direction is not known), the exit is a stair of the shortest move.
    if (last.empty() && v1 > 1e-9 && vc - v1 > 1e-9
        && (next == nullptr
            || !stepsWithin(Incoming {vc, s.unit}, *next, v1, stairStep(*next, machine, shape), machine)))
        last.push_back(Stair {v1, shortest});
    // And the exit stair covers a pulse at least, or it would vanish into the stair before it.
    if (!last.empty() && v1 > 1e-9 && last.back().speed == v1) {
        double pulses = 0;
        for (int i = 0; i < kAxisCount; ++i)
            if (machine.axes[i].present)
                pulses = std::max(pulses, std::abs(s.unit[i]) * machine.axes[i].pulsesPerUnit);
        if (pulses > 0)
            last.back().seconds = std::max(last.back().seconds, 1.0 / (pulses * v1));
    }
    const double up = vc > v0 ? (vc * vc - v0 * v0) / (2 * a) : 0.0;
    double cruise = 0, squeeze = 1;
    // Rounding, or an entry faster than the block can brake from (a lowered override): the
    // stairs are shortened to fit. A cruise too short for a move of its own: the stairs are
    // stretched over it (braking more gently), or the rise's last piece runs on over it.
    const auto fit = [&] {
        double down = 0;
        for (const Stair& stair : first)
            down += stair.speed * stair.seconds;
        for (const Stair& stair : last)
            down += stair.speed * stair.seconds;
        cruise = s.length - up - down;
        squeeze = 1;
        if (cruise < 0 || (cruise < vc * shortest && down > 0)) {
            squeeze = std::max(0.0, s.length - up) / std::max(down, 1e-12);
            cruise = 0;
        }
        return down;
    };
    double down = fit();
    // The joint's change of direction already steps the axes' speeds: a step down at the block's
    // start (its first stair, or a drop taken at once) adds to it. When both together would step
    // an axis by more than its start speed, the block starts with a stair of the shortest move
    // only as far down as the joint allows.
    if (up == 0) {
        std::vector<Stair>* stairs = !first.empty() || vc < v0 ? &first : cruise <= 0 ? &last : nullptr;
        const double startSpeed = stairs == nullptr ? v0 : !stairs->empty() ? stairs->front().speed : vc;
        const double allowed = largestDropAtJoint(incoming, s, v0, most, machine);
        if (stairs != nullptr && v0 - startSpeed > allowed + 1e-9) {
            stairs->insert(stairs->begin(), Stair {v0 - allowed, shortest});
            down = fit();
        }
    }
    const bool cruiseWithRise = cruise < vc * shortest && up > 0 && down == 0;

    struct Piece {
        double along, from, to;
    };
    std::vector<Piece> plan;
    double along = 0;
    const auto hold = [&](double speed, double length, double seconds) {
        const auto m = static_cast<int>(std::ceil(seconds / shape.maxSeconds - 1e-9));
        const double start = along;
        for (int j = 1; j <= m; ++j) {
            along = start + length * j / m;
            plan.push_back(Piece {along, speed, speed});
        }
    };
    for (const Stair& stair : first)
        hold(stair.speed, stair.speed * stair.seconds * squeeze, stair.seconds);
    if (up > 0) {
        // A short cruise rides on the last rise piece: the pieces leave room for it.
        const double room = shape.maxSeconds - (cruiseWithRise ? cruise / vc : 0.0);
        const auto m = static_cast<int>(std::ceil((vc - v0) / a / room - 1e-9));
        double from = v0;
        for (int j = 1; j <= m; ++j) {
            const double to = v0 + (vc - v0) * j / m;
            along += (to * to - from * from) / (2 * a);
            plan.push_back(Piece {along, from, to});
            from = to;
        }
        if (cruiseWithRise) {
            plan.back().along = s.length;
            along = s.length;
        }
    }
    if (cruise > 0 && !cruiseWithRise)
        hold(vc, cruise, cruise / vc);
    for (const Stair& stair : last)
        hold(stair.speed, stair.speed * stair.seconds * squeeze, stair.seconds);
    // A rise too short for a move of its own (the card would finish it, and the move queued
    // after it, between two looks at its buffer) runs on into the cruise after it: the card's
    // move climbs from its start speed to its top speed and holds it.
    for (size_t k = 0; k + 1 < plan.size(); ++k) {
        Piece& rise = plan[k];
        const Piece& next = plan[k + 1];
        if (rise.to > rise.from && (rise.to - rise.from) / a < shortest && next.from == rise.to && next.to == rise.to) {
            plan[k + 1].from = rise.from;
            plan.erase(plan.begin() + static_cast<std::ptrdiff_t>(k));
        }
    }
    // The last piece ends exactly on the block's end, whatever rounding left.
    if (plan.empty())
        plan.push_back(Piece {s.length, vc, vc});
    plan.back().along = s.length;
    Pieces pieces(block, machine, out);
    for (const Piece& p : plan)
        pieces.add(p.along, p.from, p.to);
}

}  // namespace ktr4path
