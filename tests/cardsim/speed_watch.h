// Steps the simulated card's virtual clock and checks that, step by step, no axis moved farther
// than its move's speed allows: the operating speed register (at its magnification) over the
// step, plus the rounding of the two positions to whole pulses. A card that jumps (an arc
// snapping to an end off its circle) is reported with the axis, the step and the distances; it
// is never clamped away.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>

#include "ktr4sim.h"

namespace ktr4test {

class SpeedWatch {
public:
    SpeedWatch() { look(); }

    // Advances the clock by `ticks` and checks every axis's movement over that step.
    ::testing::AssertionResult advance(uint64_t ticks)
    {
        const double before = top_speed();
        const std::array<int32_t, 4> from = positions_;
        ktr4sim_advance(ticks);
        look();
        const double speed = std::max(before, top_speed());
        const double allowed = speed * static_cast<double>(ticks) / KTR4SIM_TICKS_PER_SECOND + kRounding;
        ++steps_;
        for (uint32_t a = 0; a < 4; ++a) {
            const auto moved =
                static_cast<int32_t>(static_cast<uint32_t>(positions_[a]) - static_cast<uint32_t>(from[a]));
            if (static_cast<double>(moved < 0 ? -static_cast<int64_t>(moved) : moved) > allowed)
                return ::testing::AssertionFailure()
                    << "axis " << a << " moved " << moved << " pulses in step " << steps_ << " (" << ticks
                    << " ticks) at most " << speed << " pps: " << allowed << " allowed";
        }
        return ::testing::AssertionSuccess();
    }

private:
    static constexpr double kRounding = 2.0;  // whole pulses at both ends of the step

    static uint32_t reg(uint32_t axis, uint32_t read_code)
    {
        uint32_t v = 0;
        ktr4sim_get_register(0, axis, read_code, &v);
        return v;
    }
    // The fastest operating speed among the axes, pps: an interpolation is paced by one axis's
    // registers, and no axis of it runs faster than the path.
    static double top_speed()
    {
        double top = 0;
        for (uint32_t a = 0; a < 4; ++a) {
            const double fh = reg(a, 0xD2) & 0xFFFFFFu, mg = reg(a, 0xD5) & 0xFFFu;
            top = std::max(top, fh * 300.0 / (mg + 1.0));
        }
        return top;
    }
    void look()
    {
        for (uint32_t a = 0; a < 4; ++a)
            positions_[a] = static_cast<int32_t>(reg(a, 0xE3));
    }

    std::array<int32_t, 4> positions_ {};
    uint64_t steps_ = 0;
};

}  // namespace ktr4test
