#include "panels/jog_hold.h"

#include "panels/motion_buttons.h"

#include <utility>

namespace tessa {

void JogHold::press(std::uint8_t direction, Clock::time_point now)
{
    pressed_ = true;
    holdSent_ = false;
    direction_ = direction;
    pressedAt_ = now;
}

std::optional<int> JogHold::msUntilHold(Clock::time_point now) const
{
    if (!pressed_ || holdSent_)
        return std::nullopt;
    const auto left = pressedAt_ + std::chrono::milliseconds(kJogHoldMs) - now;
    if (left <= Clock::duration::zero())
        return 0;
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

std::optional<QByteArray> JogHold::takeHoldFrame(Clock::time_point now)
{
    if (msUntilHold(now) != 0)
        return std::nullopt;
    holdSent_ = true;
    return jogHoldFrame(direction_);
}

bool JogHold::release()
{
    return std::exchange(pressed_, false);
}

}  // namespace tessa
