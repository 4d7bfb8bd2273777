#pragma once

#include "bytes.h"

namespace tessa_device {

// The motion controller's one axis: jog steps and press-and-hold jogging at a fixed speed,
// homing and absolute or relative moves that complete at once.
class MotionAxis {
public:
    static constexpr std::int64_t kStepPulses = 10;
    static constexpr std::int64_t kJogSpeed = 1000;  // pulses per second while a jog is held

    void step(bool negative, Millis now);
    void startJog(bool negative, Millis now);
    void stopJog(Millis now);
    void moveTo(std::int64_t position, Millis now);
    void moveBy(std::int64_t distance, Millis now) { moveTo(position(now) + distance, now); }

    std::int64_t position(Millis now) const;
    std::int64_t speed() const { return jogging_ ? kJogSpeed : 0; }
    bool jogging() const { return jogging_; }

private:
    std::int64_t position_ = 0;  // at jogStart_ while jogging
    bool jogging_ = false;
    bool negative_ = false;
    Millis jogStart_ = 0;
};

}  // namespace tessa_device
