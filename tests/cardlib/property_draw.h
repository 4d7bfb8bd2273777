// The random source of the randomised motion tests: uniform draws from one seeded generator,
// so a failing case is reproduced from its seed, and the edge-weighted arguments and axis
// states both tests draw.
#pragma once

#include <cstdint>
#include <limits>
#include <random>

#include "frame/card_table.h"

namespace ktr4test {

class RandomDraw {
public:
    explicit RandomDraw(uint64_t seed)
        : gen_(seed)
    {
    }

    uint32_t below(uint32_t n) { return static_cast<uint32_t>(gen_() % n); }
    bool chance(uint32_t percent) { return below(100) < percent; }
    int32_t any_i32() { return static_cast<int32_t>(static_cast<uint32_t>(gen_())); }
    int32_t between(int32_t lo, int32_t hi)
    {
        return static_cast<int32_t>(lo + static_cast<int64_t>(gen_() % (static_cast<uint64_t>(int64_t {hi} - lo) + 1)));
    }
    std::mt19937_64& gen() { return gen_; }

    // Edge-weighted arguments of the motion exports.
    int32_t signed_(int32_t v) { return chance(50) ? v : -v; }
    int32_t speed()
    {
        switch (below(10)) {
        case 0:
            return 0;
        case 1:
            return signed_(1);
        case 2:
            return between(-1000, 1000);
        case 3:
            return between(-6553500, 6553500);
        case 4:
            return signed_(chance(50) ? 6553500 : 6553501);
        case 5:
            return any_i32();
        case 6:
            return chance(50) ? INT32_MIN : INT32_MAX;
        default:
            return between(-100000, 100000);
        }
    }
    int32_t max_speed()
    {
        const int32_t s = speed();
        return chance(90) && (s > 6553500 || s < -6553500) ? between(-6553500, 6553500) : s;
    }
    double time()
    {
        switch (below(12)) {
        case 0:
            return 0.0;
        case 1:
            return -0.0;
        case 2:
            return std::uniform_real_distribution<double>(-1.0, 0.0)(gen_);
        case 3:
            return 1e300;
        case 4:
            return std::numeric_limits<double>::infinity();
        case 5:
            return std::numeric_limits<double>::quiet_NaN();
        case 6:
            return 1e-320;
        case 7:
            return std::uniform_real_distribution<double>(0.0, 1000.0)(gen_);
        case 8:
            return below(100) / 100.0;
        default:
            return std::uniform_real_distribution<double>(0.0, 1.0)(gen_);
        }
    }
    int32_t coordinate()
    {
        switch (below(8)) {
        case 0:
            return 0;
        case 1:
            return between(-20, 20);
        case 2:
            return between(-2000, 2000);
        case 3:
            return between(-100000, 100000);
        case 4:
            return chance(50) ? INT32_MIN : INT32_MAX;
        case 5:
            return between(-46341, 46341);
        default:
            return any_i32();
        }
    }
    uint16_t status()
    {
        switch (below(8)) {
        case 0:
            return 0;  // running, buffer free
        case 1:
            return 0x4000;  // running, buffer full
        case 2:
            return 0x4008;
        default:
            return 0x0008;  // stopped
        }
    }
    uint16_t running_status() { return chance(90) ? (chance(50) ? 0x0000 : 0x4000) : 0x0008; }

    // An axis's settings and bookkeeping before a move.
    void axis_state(ktr4::AxisState& st, bool continuous)
    {
        st.profile.continuous = continuous ? 1 : 0;
        st.profile.speed_range_fixed = chance(30) ? 1 : 0;
        st.profile.fixed_magnification = 2 + below(4094);
        st.profile.mode_variant = chance(20) ? 1 : 0;
        st.profile.correction_speed = chance(90) ? below(100000) : static_cast<uint32_t>(gen_());
        st.end.commanded_end = chance(50) ? between(-100000, 100000) : any_i32();
        st.end.lost_pulses = between(-1000, 1000);
        st.end.correction_pending = chance(50) ? 1 : 0;
        st.end.correction_enable = chance(30) ? 1 : 0;
        st.end.bookkeeping_armed = chance(50) ? 1 : 0;
        st.profile.operation_mode = static_cast<uint32_t>(gen_());
    }

protected:
    std::mt19937_64 gen_;
};

}  // namespace ktr4test
