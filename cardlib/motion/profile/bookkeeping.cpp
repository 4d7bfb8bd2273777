#include "bookkeeping.h"

#include "arithmetic.h"

namespace ktr4::motion {

int32_t book_relative_move(AxisState& axis, int32_t dist) {
  int32_t distance = dist;
  if (axis.correction_pending == 1 && axis.correction_enable == 1) {
    distance = wrapping_add(dist, axis.lost_pulses);
    axis.correction_pending = 0;
    axis.correction_enable = 0;
  }
  axis.commanded_end = wrapping_add(axis.commanded_end, distance);
  return distance;
}

int32_t book_absolute_move(AxisState& axis, int32_t target) {
  if (axis.correction_pending != 0) axis.correction_pending = 0;
  const int32_t distance = wrapping_sub(target, axis.commanded_end);
  axis.commanded_end = target;
  return distance;
}

TargetChange change_running_target(int32_t commanded_end, int32_t running_target, int32_t new_dist, bool absolute) {
  const int32_t start = wrapping_sub(commanded_end, running_target);
  if (absolute) return {new_dist, wrapping_sub(new_dist, start)};
  return {wrapping_add(start, new_dist), new_dist};
}

}  // namespace ktr4::motion
