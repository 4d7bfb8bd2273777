// The comparator, looked at wherever its counter changes, and the inputs and outputs the
// machine shows in the status words.
#include "motion/card_motion.h"
#include "motion/card_registers.h"

namespace ktr4sim::motion {

using namespace registers;

int64_t CardMotion::compared_value(MotionHost& host, uint32_t axis, uint32_t source) const
{
    const auto counter = [&](uint32_t code) {
        return static_cast<int64_t>(static_cast<int32_t>(host.reg(axis, code)));
    };
    switch (source) {
    case 0:
        return counter(kCommand);
    case 1:
        return counter(kFeedback);
    case 2:
        return counter(kCommand) - counter(kFeedback);
    default:
        return counter(kPulserCounter);
    }
}

void CardMotion::compare(MotionHost& host, uint32_t axis, bool rebase, Tick at)
{
    const uint32_t word = host.reg(axis, kLatchWord);
    const uint32_t source = word & 7, condition = (word >> 3) & 7, action = (word >> 6) & 3;
    if (source > 3)
        return;
    const int64_t value = compared_value(host, axis, source);
    const int64_t before = compared_[axis];
    compared_[axis] = value;
    const int64_t data = static_cast<int32_t>(host.reg(axis, kCompareData));
    // Counting up or down onto or over the data; a counter set by a write has not counted.
    const bool up = !rebase && before < data && value >= data;
    const bool down = !rebase && before > data && value <= data;
    bool fire = false;
    switch (condition) {
    case 1:
        fire = up || down;
        break;
    case 2:
        fire = up;
        break;
    case 3:
        fire = down;
        break;
    case 4:
    case 5: {
        const bool holds = condition == 4 ? value > data : value < data;
        fire = holds && !compare_holds_[axis];
        compare_holds_[axis] = holds;
        break;
    }
    default:
        return;
    }
    if (!fire)
        return;
    host.main_status(axis) |= kStatusCompare;
    cmp_pulse_end_[axis] = at + kCmpPulseTicks;
    post_event(host, axis, kEventCompare);
    if (action != 1 && action != 2)
        return;
    post_error(host, axis, kErrorCompareStop);
    if (owner_[axis] < 0)
        return;
    Job& job = *jobs_[static_cast<size_t>(owner_[axis])];
    if (job.kind == Kind::Pulser)
        job.pulser_end = now_;
    else
        stop_job(host, job, action == 2);
}

InputOverlay CardMotion::overlay(MotionHost& host, uint32_t axis) const
{
    InputOverlay o;
    const AxisMachine& m = machine_[axis];
    int dir = 0;
    if (owner_[axis] >= 0) {
        const Job& job = *jobs_[static_cast<size_t>(owner_[axis])];
        if (one_axis(job))
            dir = job.direction;
    }
    const Inputs in = inputs_of(host, axis, dir);
    auto sub = [&](unsigned n, bool present, bool on) {
        if (!present)
            return;
        o.sub_mask |= static_cast<uint16_t>(1u << n);
        if (on)
            o.sub_bits |= static_cast<uint16_t>(1u << n);
    };
    auto pin = [&](unsigned n, bool present, bool on) {
        if (!present)
            return;
        o.pin_mask |= 1u << n;
        if (on)
            o.pin_bits |= 1u << n;
    };
    sub(0, m.el_minus.has_value(), !in.el_minus);
    sub(1, m.el_plus.has_value(), !in.el_plus);
    sub(2, m.home.has_value(), !in.home);
    sub(11, m.alarm.has_value(), alarm_on(host, axis));
    sub(12, m.index.has_value(), in.ez);
    // The CMP output, once the comparator has a condition: level, 1 ms pulse or not driven.
    const uint32_t condition = (host.reg(axis, kLatchWord) >> 3) & 7;
    const uint32_t cmp_mode = (host.reg(axis, kWord2) >> 14) & 3;
    const bool cmp =
        (cmp_mode == 1 && (host.main_status(axis) & kStatusCompare)) || (cmp_mode == 2 && now_ < cmp_pulse_end_[axis]);
    sub(7, condition != 0, !cmp);
    pin(14, m.latch_at.has_value(), in.ltc);
    pin(15, m.sd_plus.has_value() || m.sd_minus.has_value(), in.sd);
    if (m.inp_settle) {
        const bool settled = owner_[axis] < 0 && !inp_due_[axis] && !end_waits_for_inp_[axis];
        const bool inverted = ((host.reg(axis, kWord1) >> 22) & 1u) != 0;
        pin(16, true, settled != inverted);
    }
    return o;
}

}  // namespace ktr4sim::motion
