// The axis groups of the interpolations: pairs, triples and all four axes. The first axis of
// a group (its lowest axis number) decides what the whole group shares.
#pragma once

#include <cstdint>

namespace ktr4::motion {

inline constexpr uint8_t kMaxGroupAxes = 4;

struct AxisGroup {
    uint8_t axes[kMaxGroupAxes] = {};
    uint8_t count = 0;
    uint8_t bits() const
    {
        uint8_t b = 0;
        for (uint8_t i = 0; i < count; ++i)
            b = static_cast<uint8_t>(b | (1u << axes[i]));
        return b;
    }
};

inline constexpr uint8_t kPairCount = 6;
inline constexpr uint8_t kTripleCount = 4;

// Pair selector 0..5; false for any other selector.
inline bool pair_group(uint8_t selector, AxisGroup& group)
{
    static constexpr uint8_t kPairs[kPairCount][2] = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}};
    if (selector >= kPairCount)
        return false;
    group = AxisGroup {{kPairs[selector][0], kPairs[selector][1], 0, 0}, 2};
    return true;
}

// Triple selector 0..3; false for any other selector.
inline bool triple_group(uint8_t selector, AxisGroup& group)
{
    static constexpr uint8_t kTriples[kTripleCount][3] = {{0, 1, 2}, {0, 1, 3}, {0, 2, 3}, {1, 2, 3}};
    if (selector >= kTripleCount)
        return false;
    group = AxisGroup {{kTriples[selector][0], kTriples[selector][1], kTriples[selector][2], 0}, 3};
    return true;
}

inline AxisGroup all_axes_group()
{
    return AxisGroup {{0, 1, 2, 3}, 4};
}

}  // namespace ktr4::motion
