#include "planner/planner.h"

#include <algorithm>
#include <cmath>

namespace ktr4path {
namespace {

double brakeFrom(double exit, double accel, double length)
{
    return std::sqrt(exit * exit + 2 * accel * length);
}

}  // namespace

double PlannedBlock::duration() const
{
    const double a = segment.accel;
    const double up = (peakSpeed - entrySpeed) / a, down = (peakSpeed - exitSpeed) / a;
    const double upLength = (peakSpeed * peakSpeed - entrySpeed * entrySpeed) / (2 * a);
    const double downLength = (peakSpeed * peakSpeed - exitSpeed * exitSpeed) / (2 * a);
    const double cruise = std::max(0.0, segment.length - upLength - downLength);
    return up + down + (peakSpeed > 0 ? cruise / peakSpeed : 0.0);
}

double PlannedBlock::speedAt(double distance) const
{
    const double a = segment.accel;
    const double rising = std::sqrt(entrySpeed * entrySpeed + 2 * a * std::max(0.0, distance));
    const double falling = std::sqrt(exitSpeed * exitSpeed + 2 * a * std::max(0.0, segment.length - distance));
    return std::min({rising, falling, peakSpeed});
}

double junctionSpeed(const Segment& a, const Segment& b, const Machine& machine)
{
    if (b.stopBefore)
        return 0;
    double limit = std::min(a.maxSpeed, b.maxSpeed);
    // Each axis's speed steps by v·|Δunit| at the joint: within its start speed, the step the
    // card takes at once.
    std::array<double, 4> change {};
    double changeLength = 0;
    for (int i = 0; i < kAxisCount; ++i) {
        change[i] = b.unit[i] - a.unit[i];
        changeLength += change[i] * change[i];
        const double step = std::abs(change[i]);
        if (step > 1e-12 && machine.axes[i].present)
            limit = std::min(limit, machine.axes[i].startSpeed / 60.0 / step);
    }
    changeLength = std::sqrt(changeLength);
    if (changeLength < 1e-12)
        return limit;  // straight on
    // Junction deviation: the speed of a circle through the corner that stays within the corner
    // tolerance and turns within the axes' accelerations along the change of direction.
    double cosTheta = 0;
    for (int i = 0; i < kAxisCount; ++i)
        cosTheta -= a.unit[i] * b.unit[i];
    if (cosTheta > 0.999999)
        return 0;  // a reversal
    double accel = INFINITY;
    for (int i = 0; i < kAxisCount; ++i) {
        const double share = std::abs(change[i]) / changeLength;
        if (share > 1e-12 && machine.axes[i].present)
            accel = std::min(accel, machine.axes[i].maxAccel / share);
    }
    const double sinHalf = std::sqrt(0.5 * (1.0 - cosTheta));
    const double deviation = std::sqrt(accel * machine.cornerTolerance * sinHalf / (1.0 - sinHalf));
    return std::min(limit, deviation);
}

Planner::Planner(const Machine& machine, size_t lookahead)
    : machine_(machine)
    , lookahead_(std::max(lookahead, kMinLookahead))
{
}

void Planner::add(const Segment& segment)
{
    Waiting item;
    item.block.segment = segment;
    // With nothing waiting the machine stands (at the start, or after finish()).
    item.maxEntry = window_.empty() ? startSpeed_ : junctionSpeed(window_.back().block.segment, segment, machine_);
    // The first block's entry is where the machine is; neither pass changes it.
    if (window_.empty())
        item.block.entrySpeed = startSpeed_;
    startSpeed_ = 0;
    window_.push_back(item);
    recalculate();
    while (window_.size() > lookahead_)
        release();
}

void Planner::recalculate()
{
    // Backward: the newest block must be able to stop; each earlier entry no faster than the
    // following block can brake from. The entry at planned_ is final and stays.
    const size_t n = window_.size();
    double next = 0;  // entry of the block after the one being looked at
    for (size_t k = n; k-- > planned_ + 1;) {
        Waiting& w = window_[k];
        w.block.entrySpeed = std::min(w.maxEntry, brakeFrom(next, w.block.segment.accel, w.block.segment.length));
        next = w.block.entrySpeed;
    }
    // Forward: no entry faster than the block before can reach. A block that enters at its
    // junction limit, or at what acceleration from the one before allows, is final.
    for (size_t k = planned_; k + 1 < n; ++k) {
        Waiting& cur = window_[k];
        Waiting& nxt = window_[k + 1];
        const double reach = brakeFrom(cur.block.entrySpeed, cur.block.segment.accel, cur.block.segment.length);
        if (reach <= nxt.block.entrySpeed) {
            nxt.block.entrySpeed = reach;
            planned_ = k + 1;
        } else if (nxt.block.entrySpeed >= nxt.maxEntry) {
            planned_ = k + 1;
        }
    }
}

void Planner::release()
{
    Waiting first = window_.front();
    window_.pop_front();
    planned_ = planned_ > 0 ? planned_ - 1 : 0;
    PlannedBlock& block = first.block;
    // The next block's entry is where the released block ends; it now lies at or before planned_,
    // where neither pass changes it.
    block.exitSpeed = window_.empty() ? 0.0 : window_.front().block.entrySpeed;
    const Segment& s = block.segment;
    const double peak = std::sqrt(
        (2 * s.accel * s.length + block.entrySpeed * block.entrySpeed + block.exitSpeed * block.exitSpeed) / 2);
    block.peakSpeed = std::min(s.maxSpeed, peak);
    block.peakSpeed = std::max({block.peakSpeed, block.entrySpeed, block.exitSpeed});
    released_.push_back(block);
}

void Planner::finish()
{
    while (!window_.empty())
        release();
    planned_ = 0;
}

std::vector<PlannedBlock> Planner::take()
{
    std::vector<PlannedBlock> out;
    out.swap(released_);
    return out;
}

std::vector<PlannedBlock> plan(const std::vector<Segment>& segments, const Machine& machine, size_t lookahead)
{
    Planner planner(machine, lookahead);
    std::vector<PlannedBlock> out;
    out.reserve(segments.size());
    for (const Segment& s : segments) {
        planner.add(s);
        for (PlannedBlock& b : planner.take())
            out.push_back(b);
    }
    planner.finish();
    for (PlannedBlock& b : planner.take())
        out.push_back(b);
    return out;
}

}  // namespace ktr4path
