// One-axis moves on the simulated machine: the inputs met on the way (EL, SD, HOME, EZ, LTC),
// the soft limits, the alarm, and the steps of an origin return in each home mode.
#include <algorithm>

#include "motion/card_motion.h"
#include "motion/card_registers.h"

namespace ktr4sim::motion {

using namespace registers;

namespace {

uint32_t clamp_u(uint32_t value, uint32_t lo, uint32_t hi)
{
    return std::min(std::max(value, lo), hi);
}

int lowest(uint8_t axes)
{
    for (int a = 0; a < 4; ++a)
        if (axes & (1u << a))
            return a;
    return 0;
}

bool bit(uint32_t word, unsigned n)
{
    return ((word >> n) & 1u) != 0;
}

}  // namespace

Inputs CardMotion::inputs_of(MotionHost& host, uint32_t axis, int dir) const
{
    return inputs_at(machine_[axis], pin_logic(host.reg(axis, kWord1), host.reg(axis, kWord2)), travel_[axis], dir);
}

bool CardMotion::alarm_on(MotionHost& host, uint32_t axis) const
{
    if (!machine_[axis].alarm)
        return false;
    return *machine_[axis].alarm != bit(host.reg(axis, kWord1), 8);
}

void CardMotion::run_one_axis(MotionHost& host, Job& job, Tick t)
{
    for (;;) {
        job.runner.advance_to(t);
        apply(host, job);
        if (job.runner.watch_hit()) {
            look(host, job);
            arm_watch(host, job);
            continue;
        }
        if (!job.runner.running() && job.kind == Kind::Home && next_home_step(host, job))
            continue;
        break;
    }
}

void CardMotion::restart_runner(MotionHost& host, Job& job, Tick at, int dir, bool slow,
                                std::optional<int64_t> distance)
{
    const auto axis = static_cast<uint32_t>(lowest(job.axes));
    apply(host, job);  // the counters where the last run ended
    job.applied[axis] = 0;
    job.accel_ends = job.decel_starts = 0;
    job.direction = dir;
    job.origin = travel_[axis];
    Profile profile = profile_of(host, axis);
    if (slow)
        profile.fh = profile.fl;  // at the start speed, with no ramp
    if (distance)
        job.runner.start_position(at, profile, *distance);
    else
        job.runner.start_velocity(at, profile);
    job.seen = inputs_of(host, axis, dir);
    job.sd_slowed = false;
    arm_watch(host, job);
}

void CardMotion::stop_job(MotionHost& host, Job& job, bool decelerate)
{
    const auto axis = static_cast<uint32_t>(lowest(job.axes));
    job.failed = true;
    job.next = HomeNext::None;
    job.stopping = true;
    if (decelerate)
        job.runner.decelerate_stop(clamp_u(host.reg(axis, kDecRate), 0, 65535), host.reg(axis, kSDec) & 0xFFFF);
    else
        job.runner.stop();
}

void CardMotion::home_search(MotionHost& host, Job& job, Tick at)
{
    job.step = HomeStep::Search;
    const bool slow = job.home_mode == 8 || job.home_mode == 12;
    std::optional<int64_t> amount;
    if (job.origin_search)
        amount = std::llabs(static_cast<int64_t>(static_cast<int32_t>(host.reg(lowest(job.axes), kTarget))));
    restart_runner(host, job, at, job.search_dir, slow, amount);
    if (job.home_mode == 8)
        job.step = HomeStep::Count;
}

void CardMotion::first_look(MotionHost& host, Job& job)
{
    const auto axis = static_cast<uint32_t>(lowest(job.axes));
    job.origin = travel_[axis];
    job.mode_word = host.reg(axis, kMode);
    job.fh = job.runner.profile().fh;
    job.seen = inputs_of(host, axis, job.direction);
    job.seen.sd = false;  // SD already on slows the move from its start
    if (alarm_on(host, axis)) {
        post_error(host, axis, kErrorAlarm);
        stop_job(host, job, false);
        return;
    }
    if (job.kind == Kind::Home) {
        const Tick at = job.runner.now();
        if (searches_home_first(job.home_mode) && job.seen.home) {
            // Started on HOME: leave it the other way at the start speed first.
            job.step = HomeStep::Leave;
            restart_runner(host, job, at, -job.search_dir, true, std::nullopt);
        } else {
            home_search(host, job, at);
        }
        job.seen.sd = false;
    }
    look(host, job);
    arm_watch(host, job);
}

void CardMotion::check_soft_limits(MotionHost& host, Job& job)
{
    const auto axis = static_cast<uint32_t>(lowest(job.axes));
    const uint32_t config = host.reg(axis, kSoftLimitConfig);
    auto value = [&](bool feedback) { return static_cast<int32_t>(host.reg(axis, feedback ? kFeedback : kCommand)); };
    auto act = [&](uint32_t setting, uint16_t status, uint32_t error) {
        host.main_status(axis) |= status;
        post_error(host, axis, error);
        if (setting == 0 || setting == 1)
            stop_job(host, job, setting == 1);
    };
    if (job.direction > 0 && !job.soft_plus_done && (config & kSoftLimitPlusEnabledBits) == kSoftLimitPlusEnabledBits
        && value(bit(config, 0)) >= static_cast<int32_t>(host.reg(axis, kSoftLimitPlus))) {
        job.soft_plus_done = true;
        act((config >> 5) & 3, kStatusSoftLimitPlus, kErrorSoftPlus);
    }
    if (job.direction < 0 && !job.soft_minus_done && (config & kSoftLimitMinusEnabledBits) == kSoftLimitMinusEnabledBits
        && value(bit(config, 8)) <= static_cast<int32_t>(host.reg(axis, kSoftLimitMinus))) {
        job.soft_minus_done = true;
        act((config >> 13) & 3, kStatusSoftLimitMinus, kErrorSoftMinus);
    }
}

void CardMotion::look(MotionHost& host, Job& job)
{
    if (!job.runner.running())
        return;
    const auto axis = static_cast<uint32_t>(lowest(job.axes));
    const Inputs was = job.seen;
    const Inputs in = inputs_of(host, axis, job.direction);
    job.seen = in;
    const uint32_t word1 = host.reg(axis, kWord1);

    if (in.home && !was.home)
        post_event(host, axis, kEventHome);
    if (in.ltc && !was.ltc)
        latch_now(host, axis);

    // The EL switch of the direction of motion stops the axis, unless it is what an origin
    // return looks for.
    const bool el_sought = job.kind == Kind::Home && job.step == HomeStep::Search && searches_el_first(job.home_mode)
        && job.direction == job.search_dir;
    const bool el_ahead = job.direction > 0 ? in.el_plus : in.el_minus;
    if (el_ahead && !el_sought && !job.el_done) {
        job.el_done = true;
        post_error(host, axis, job.direction > 0 ? kErrorElPlus : kErrorElMinus);
        stop_job(host, job, bit(word1, 3));
        return;
    }
    check_soft_limits(host, job);
    if (!job.runner.running() || job.stopping)
        return;

    // SD: slow down to the start speed (back up when it turns off) or stop, when enabled.
    if (in.sd && !was.sd) {
        post_event(host, axis, kEventSlowDown);
        if (job.mode_word & kSdEnableBit) {
            if (bit(word1, 5)) {
                job.next = HomeNext::None;
                job.failed = job.kind == Kind::Home;
                job.stopping = true;
                job.runner.decelerate_stop(clamp_u(host.reg(axis, kDecRate), 0, 65535), host.reg(axis, kSDec) & 0xFFFF);
                return;
            }
            if (!job.sd_slowed) {
                job.sd_slowed = true;
                const Profile& p = job.runner.profile();
                job.fh = p.fh;
                job.runner.change_speed(p.fl, p.ur, p.dr, p.mg);
            }
        }
    } else if (!in.sd && was.sd && job.sd_slowed && !bit(word1, 4)) {
        job.sd_slowed = false;
        const Profile& p = job.runner.profile();
        job.runner.change_speed(job.fh, p.ur, p.dr, p.mg);
    }
    if (job.kind == Kind::Home)
        look_homing(host, job, was, in);
}

void CardMotion::look_homing(MotionHost& host, Job& job, const Inputs& was, const Inputs& in)
{
    const auto axis = static_cast<uint32_t>(lowest(job.axes));
    const uint32_t mode = job.home_mode;
    const bool home_on = in.home && !was.home, home_off = !in.home && was.home;
    auto done_at_once = [&] {
        job.home_done = true;
        job.stopping = true;
        job.runner.stop();
    };
    auto decelerate_then = [&](HomeNext next) {
        job.stopping = true;
        job.next = next;
        job.home_done = next == HomeNext::None;
        job.runner.decelerate_stop(clamp_u(host.reg(axis, kDecRate), 0, 65535), host.reg(axis, kSDec) & 0xFFFF);
    };
    auto stop_then = [&](HomeNext next) {
        job.stopping = true;
        job.next = next;
        job.runner.stop();
    };
    switch (job.step) {
    case HomeStep::Leave:
        if (home_off)
            stop_then(HomeNext::Search);
        break;
    case HomeStep::Search:
        if (searches_el_first(mode)) {
            const bool el = job.search_dir > 0 ? in.el_plus : in.el_minus;
            if (el) {
                // Into the EL switch as the EL mode stops, with no error, then back.
                job.stopping = true;
                job.next = HomeNext::Back;
                if (bit(host.reg(axis, kWord1), 3))
                    job.runner.decelerate_stop(clamp_u(host.reg(axis, kDecRate), 0, 65535),
                                               host.reg(axis, kSDec) & 0xFFFF);
                else
                    job.runner.stop();
            }
        } else if (home_on) {
            if (mode == 0 || mode == 12)
                done_at_once();
            else if (mode == 1)
                decelerate_then(HomeNext::None);
            else if (mode == 2) {
                const Profile& p = job.runner.profile();
                job.runner.change_speed(p.fl, p.ur, p.dr, p.mg);
                job.step = HomeStep::Count;
            } else
                decelerate_then(HomeNext::Back);
        }
        break;
    case HomeStep::Back: {
        const bool el_seen = job.search_dir > 0 ? was.el_plus : was.el_minus;
        const bool el_off = el_seen && !(job.search_dir > 0 ? in.el_plus : in.el_minus);
        // Back at FL: modes 3, 4, 5, 9 until HOME turns off, 6 and 7 until EL turns off, 10 and
        // 11 until HOME turns on; then done, forward again (4, 9) or counting EZ (5, 7, 11).
        const bool to_home_off = mode == 3 || mode == 4 || mode == 5 || mode == 9;
        const bool signal = to_home_off ? home_off : (mode == 6 || mode == 7) ? el_off : home_on;
        if (!signal)
            break;
        if (mode == 4 || mode == 9)
            stop_then(HomeNext::Forward);
        else if (mode == 5 || mode == 7 || mode == 11)
            job.step = HomeStep::Count;
        else
            done_at_once();
        break;
    }
    case HomeStep::Forward:
        if (mode == 4 && home_on)
            done_at_once();
        else if (mode == 9 && home_on)
            job.step = HomeStep::Count;
        break;
    case HomeStep::Count:
        // EZ pulses after the signal that began the count (not on the same pulse).
        if (in.ez && !was.ez) {
            post_event(host, axis, kEventIndex);
            if (++job.ez_counted == job.home_count + 1)
                done_at_once();
        }
        break;
    }
}

bool CardMotion::next_home_step(MotionHost& host, Job& job)
{
    const HomeNext next = job.next;
    if (next == HomeNext::None || job.failed)
        return false;
    job.next = HomeNext::None;
    job.stopping = false;
    const Tick at = job.runner.end_tick();
    switch (next) {
    case HomeNext::Search:
        home_search(host, job, at);
        break;
    case HomeNext::Back:
        job.step = HomeStep::Back;
        restart_runner(host, job, at, -job.search_dir, true, std::nullopt);
        break;
    case HomeNext::Forward:
        job.step = HomeStep::Forward;
        restart_runner(host, job, at, job.search_dir, true, std::nullopt);
        break;
    case HomeNext::None:
        return false;
    }
    // The new run looks at once where it stands (an EL already on stops it).
    look(host, job);
    arm_watch(host, job);
    return true;
}

void CardMotion::arm_watch(MotionHost& host, Job& job)
{
    if (!job.runner.running())
        return;
    const auto axis = static_cast<uint32_t>(lowest(job.axes));
    const int dir = job.direction;
    std::optional<int64_t> best = next_input_edge(machine_[axis], travel_[axis], dir, job.kind == Kind::Home);
    auto take = [&](std::optional<int64_t> pulses) {
        if (pulses && (!best || *pulses < *best))
            best = pulses;
    };
    const bool reversed = bit(host.reg(axis, kWord2), 22);
    const double feedback_rate = machine_[axis].feedback_ratio * (reversed ? -1 : 1);
    auto value = [&](uint32_t code) { return static_cast<double>(static_cast<int32_t>(host.reg(axis, code))); };

    const uint32_t config = host.reg(axis, kSoftLimitConfig);
    if (dir > 0 && (config & kSoftLimitPlusEnabledBits) == kSoftLimitPlusEnabledBits) {
        const bool fb = bit(config, 0);
        take(pulses_toward(value(fb ? kFeedback : kCommand), fb ? feedback_rate : 1.0, value(kSoftLimitPlus)));
    }
    if (dir < 0 && (config & kSoftLimitMinusEnabledBits) == kSoftLimitMinusEnabledBits) {
        const bool fb = bit(config, 8);
        take(pulses_toward(value(fb ? kFeedback : kCommand), fb ? -feedback_rate : -1.0, value(kSoftLimitMinus)));
    }
    const uint32_t word = host.reg(axis, kLatchWord);
    const uint32_t condition = (word >> 3) & 7;
    if (condition >= 1 && condition <= 5) {
        const uint32_t source = word & 7;
        const double rates[4] = {1.0, feedback_rate, 1.0 - feedback_rate, 0.0};
        if (source < 4)
            take(pulses_toward(static_cast<double>(compared_value(host, axis, source)), dir * rates[source],
                               value(kCompareData)));
    }
    job.runner.set_watch(best ? job.runner.pulses() + *best : INT64_MAX);
}

void CardMotion::alarm_changed(MotionHost& host, uint32_t axis)
{
    if (owner_[axis] < 0 || !alarm_on(host, axis))
        return;
    Job& job = *jobs_[static_cast<size_t>(owner_[axis])];
    post_error(host, axis, kErrorAlarm);
    if (job.kind == Kind::Pulser) {
        job.pulser_end = now_;
    } else {
        stop_job(host, job, bit(host.reg(axis, kWord1), 9));
    }
    advance_to(host, now_);
}

void CardMotion::latch_now(MotionHost& host, uint32_t axis)
{
    // Latch word bit 15 clear: the feedback counter (the library writes NOT option15).
    const bool command = bit(host.reg(axis, kLatchWord), 15);
    host.reg(axis, kLatchValue) = host.reg(axis, command ? kCommand : kFeedback);
    post_event(host, axis, kEventLatch);
}

}  // namespace ktr4sim::motion
