#include "end_position.h"

namespace ktr4 {
namespace {

// Positions are i32 counters on the card: sums and differences wrap.
int32_t add(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
int32_t sub(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

}  // namespace

int32_t book_relative_move(AxisEnd& axis, int32_t dist)
{
    int32_t distance = dist;
    if (axis.correction_pending == 1 && axis.correction_enable == 1) {
        distance = add(dist, axis.lost_pulses);
        axis.correction_pending = 0;
        axis.correction_enable = 0;
    }
    axis.commanded_end = add(axis.commanded_end, distance);
    return distance;
}

int32_t book_absolute_move(AxisEnd& axis, int32_t target)
{
    if (axis.correction_pending != 0)
        axis.correction_pending = 0;
    const int32_t distance = sub(target, axis.commanded_end);
    axis.commanded_end = target;
    return distance;
}

int32_t book_plain_move(AxisEnd& axis, int32_t value, bool absolute)
{
    const int32_t distance = absolute ? sub(value, axis.commanded_end) : value;
    axis.commanded_end = absolute ? value : add(axis.commanded_end, value);
    return distance;
}

void book_position(AxisEnd& axis, int32_t position)
{
    axis.commanded_end = position;
}

void book_stop(AxisEnd& axis, int32_t position)
{
    axis.lost_pulses = sub(axis.commanded_end, position);
    axis.commanded_end = position;
    axis.correction_pending = 1;
}

int32_t relative_to_end(const AxisEnd& axis, int32_t coordinate)
{
    return sub(coordinate, axis.commanded_end);
}

TargetChange change_running_target(int32_t commanded_end, int32_t running_target, int32_t new_dist, bool absolute)
{
    const int32_t start = sub(commanded_end, running_target);
    if (absolute)
        return {new_dist, sub(new_dist, start)};
    return {add(start, new_dist), new_dist};
}

int32_t book_running_change(AxisEnd& axis, int32_t running_target, int32_t new_dist, bool absolute)
{
    const TargetChange change = change_running_target(axis.commanded_end, running_target, new_dist, absolute);
    axis.commanded_end = change.commanded_end;
    return change.target;
}

}  // namespace ktr4
