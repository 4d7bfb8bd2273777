// The look-ahead planner: joins segments at the highest speeds the machine allows and still
// stops at the end of what it has seen. Junction speeds come from the corner tolerance (the
// junction deviation of open CNC controllers) and from the axes' start speeds (the speed step an
// axis takes at once); a backward pass limits each entry to what the following segments can
// brake from, a forward pass to what the earlier ones can reach.
#pragma once

#include <cstddef>
#include <deque>
#include <vector>

#include "machine/machine.h"
#include "planner/segments.h"

namespace ktr4path {

struct PlannedBlock {
    Segment segment;
    double entrySpeed = 0;  // units/s at the start
    double exitSpeed = 0;  // units/s at the end (the next block's entry)
    double peakSpeed = 0;  // the highest speed reached inside: a trapezoid or triangle

    // Seconds the block takes, accelerating and braking at segment.accel.
    double duration() const;
    // Speed (units/s) at a distance (units) from the block's start.
    double speedAt(double distance) const;
};

// The speed the machine may keep through the joint from segment a into segment b.
double junctionSpeed(const Segment& a, const Segment& b, const Machine& machine);

class Planner {
public:
    // At least 128 blocks of look-ahead are kept (fewer make corners slower, never faster).
    static constexpr size_t kMinLookahead = 128;

    explicit Planner(const Machine& machine, size_t lookahead = 256);

    // The machine moves at this speed (units/s) where the next segment added begins, instead of
    // standing: the planner starts again from a running block (a hold, a new feed override).
    void startFrom(double speed) { startSpeed_ = speed; }
    // Adds a segment; once more than the look-ahead wait, the oldest is released to take().
    void add(const Segment& segment);
    // The program has ended (or stops here): every waiting block is released, the last ending at 0.
    void finish();
    // Moves the released blocks out, oldest first.
    std::vector<PlannedBlock> take();
    size_t waiting() const { return window_.size(); }

private:
    struct Waiting {
        PlannedBlock block;
        double maxEntry = 0;  // the junction speed from the previous block (0 after a stop)
    };
    void recalculate();
    void release();

    const Machine& machine_;
    size_t lookahead_;
    std::deque<Waiting> window_;
    size_t planned_ = 0;
    double startSpeed_ = 0;  // blocks before this index cannot be made faster
    std::vector<PlannedBlock> released_;
};

// Plans a whole list of segments.
std::vector<PlannedBlock> plan(const std::vector<Segment>& segments, const Machine& machine, size_t lookahead = 256);

}  // namespace ktr4path
