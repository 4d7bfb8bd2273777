#include "motion/axis_signals.h"

#include <algorithm>
#include <cmath>

namespace ktr4sim::motion {

namespace {

bool bit(uint32_t word, unsigned n)
{
    return ((word >> n) & 1u) != 0;
}

int64_t floor_mod(int64_t a, int64_t b)
{
    const int64_t r = a % b;
    return r < 0 ? r + b : r;
}

void take(std::optional<int64_t>& best, int64_t distance)
{
    if (distance >= 1 && (!best || distance < *best))
        best = distance;
}

// Edges of the interval [lo, hi] met moving from m in direction dir.
void interval_edges(std::optional<int64_t>& best, int64_t lo, int64_t hi, int64_t m, int dir)
{
    if (dir > 0) {
        take(best, lo - m);
        take(best, hi + 1 - m);
    } else {
        take(best, m - hi);
        take(best, m - (lo - 1));
    }
}

constexpr int64_t kFar = INT64_C(1) << 60;

}  // namespace

PinLogic pin_logic(uint32_t word1, uint32_t word2)
{
    PinLogic logic;
    logic.home_inverted = bit(word1, 7);
    logic.ez_inverted = bit(word2, 23);
    logic.alarm_inverted = bit(word1, 8);
    logic.sd_inverted = bit(word1, 6);
    logic.inp_inverted = bit(word1, 22);
    logic.ltc_inverted = bit(word1, 23);
    return logic;
}

Inputs inputs_at(const AxisMachine& machine, const PinLogic& logic, int64_t m, int dir)
{
    Inputs in;
    if (machine.home)
        in.home = (m >= machine.home->first && m <= machine.home->last()) != logic.home_inverted;
    if (machine.index)
        in.ez = (floor_mod(m - machine.index->first, machine.index->pitch) == 0) != logic.ez_inverted;
    in.el_plus = machine.el_plus && m >= *machine.el_plus;
    in.el_minus = machine.el_minus && m <= *machine.el_minus;
    if (dir > 0 && machine.sd_plus)
        in.sd = (m >= *machine.sd_plus) != logic.sd_inverted;
    if (dir < 0 && machine.sd_minus)
        in.sd = (m <= *machine.sd_minus) != logic.sd_inverted;
    if (machine.latch_at)
        in.ltc = (m == *machine.latch_at) != logic.ltc_inverted;
    return in;
}

std::optional<int64_t> next_input_edge(const AxisMachine& machine, int64_t m, int dir, bool with_index)
{
    std::optional<int64_t> best;
    if (machine.home)
        interval_edges(best, machine.home->first, machine.home->last(), m, dir);
    if (machine.index && with_index) {
        const int64_t pitch = machine.index->pitch;
        const int64_t r = floor_mod(m - machine.index->first, pitch);
        // The next mark ahead, and leaving the mark the axis stands on.
        take(best, dir > 0 ? (r == 0 ? pitch : pitch - r) : (r == 0 ? pitch : r));
        if (r == 0)
            take(best, 1);
    }
    if (machine.el_plus)
        interval_edges(best, *machine.el_plus, kFar, m, dir);
    if (machine.el_minus)
        interval_edges(best, -kFar, *machine.el_minus, m, dir);
    if (dir > 0 && machine.sd_plus)
        interval_edges(best, *machine.sd_plus, kFar, m, dir);
    if (dir < 0 && machine.sd_minus)
        interval_edges(best, -kFar, *machine.sd_minus, m, dir);
    if (machine.latch_at)
        interval_edges(best, *machine.latch_at, *machine.latch_at, m, dir);
    return best;
}

std::optional<int64_t> pulses_toward(double value, double rate, double data)
{
    if (rate == 0)
        return std::nullopt;
    const double gap = (data - value) / rate;
    if (gap < 0)
        return std::nullopt;
    // Rounded down, never past the place; the watch looks again from there if it is early.
    const double pulses = std::floor(gap + 1e-9);
    return static_cast<int64_t>(std::clamp(pulses, 1.0, 1e15));
}

}  // namespace ktr4sim::motion
