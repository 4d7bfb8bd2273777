#pragma once

#include <QByteArray>
#include <chrono>
#include <cstdint>
#include <optional>

namespace tessa {

// One press of a jog button, from press to whatever ends it. The hold frame is due once the
// press has lasted kJogHoldMs on the monotonic clock (a timer alone may fire a few ms early),
// at most once per press. Anything that ends the press (mouse up anywhere, focus or window
// lost, the port closing) must send the release frames, or the axis keeps jogging.
// Times are passed in, so tests need no waiting.
class JogHold {
public:
    using Clock = std::chrono::steady_clock;

    void press(std::uint8_t direction, Clock::time_point now);
    bool pressed() const { return pressed_; }
    std::uint8_t direction() const { return direction_; }
    // Whole milliseconds until the hold frame is due (0: due now, never rounded down to 0
    // early); nothing when no hold is pending.
    std::optional<int> msUntilHold(Clock::time_point now) const;
    // The hold frame when it is due now; then not again in this press.
    std::optional<QByteArray> takeHoldFrame(Clock::time_point now);
    // Ends the press; true when one was going on (its release frames are then due).
    bool release();

private:
    bool pressed_ = false;
    bool holdSent_ = false;
    std::uint8_t direction_ = 0x00;  // kept between presses
    Clock::time_point pressedAt_ {};
};

}  // namespace tessa
