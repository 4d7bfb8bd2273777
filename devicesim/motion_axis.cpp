#include "motion_axis.h"

namespace tessa_device {

void MotionAxis::step(bool negative, Millis now)
{
    moveBy(negative ? -kStepPulses : kStepPulses, now);
}

void MotionAxis::startJog(bool negative, Millis now)
{
    position_ = position(now);
    jogging_ = true;
    negative_ = negative;
    jogStart_ = now;
}

void MotionAxis::stopJog(Millis now)
{
    position_ = position(now);
    jogging_ = false;
}

void MotionAxis::moveTo(std::int64_t position, Millis now)
{
    position_ = position;
    jogStart_ = now;
}

std::int64_t MotionAxis::position(Millis now) const
{
    if (!jogging_)
        return position_;
    const std::int64_t travelled = (now - jogStart_) * kJogSpeed / 1000;
    return negative_ ? position_ - travelled : position_ + travelled;
}

}  // namespace tessa_device
