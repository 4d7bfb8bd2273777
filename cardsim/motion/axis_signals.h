// The simulated machine around one axis: where its sensors and switches sit on the travel, and
// what the card sees of them at a machine position. Machine positions are pulses of travel,
// counted from power-on; writing the command counter does not move them.
#pragma once

#include <cstdint>
#include <optional>

#include "motion/ramp.h"

namespace ktr4sim::motion {

// A sensor that is on over machine positions first..first + width - 1.
struct Zone {
    int64_t first = 0;
    int64_t width = 1;
    int64_t last() const { return first + width - 1; }
};

// The encoder's index mark: on at first + k * pitch for every integer k.
struct IndexMark {
    int64_t first = 0;
    int64_t pitch = 1;
};

struct AxisMachine {
    std::optional<Zone> home;
    std::optional<IndexMark> index;
    std::optional<int64_t> el_plus, el_minus;  // EL+ on at >= el_plus, EL- on at <= el_minus
    std::optional<int64_t> sd_plus, sd_minus;  // SD on moving + at >= sd_plus, moving - at <= sd_minus
    std::optional<int64_t> latch_at;  // LTC is on at this one position
    std::optional<bool> alarm;  // raised or not; none: the ALM input is not wired
    std::optional<Tick> inp_settle;  // INP on this long after the last pulse; none: not wired
    double feedback_ratio = 1.0;  // feedback counts per command pulse
};

// Pin logic and options of the configuration words that decide what the card sees.
struct PinLogic {
    bool home_inverted = false, ez_inverted = false, alarm_inverted = false, sd_inverted = false, inp_inverted = false,
         ltc_inverted = false;
};
PinLogic pin_logic(uint32_t word1, uint32_t word2);

// The inputs as the card sees them (after their logic) at machine position m while moving in
// direction `dir` (+1, -1; 0 standing). A signal the machine lacks is off whatever its logic.
struct Inputs {
    bool home = false, ez = false, el_plus = false, el_minus = false, sd = false, ltc = false;
};
Inputs inputs_at(const AxisMachine& machine, const PinLogic& logic, int64_t m, int dir);

// Pulses (>= 1) from m in direction dir to the next machine position where any input of the
// machine may change; none when nothing lies ahead. The index marks only when asked for: only
// an origin return counts them, and a long move would otherwise stop at every revolution.
std::optional<int64_t> next_input_edge(const AxisMachine& machine, int64_t m, int dir, bool with_index);

// Pulses (>= 1, never beyond the truth) until a value now at `value`, changing by `rate` per
// pulse, may reach or pass `data`; none when it moves away or not at all.
std::optional<int64_t> pulses_toward(double value, double rate, double data);

}  // namespace ktr4sim::motion
