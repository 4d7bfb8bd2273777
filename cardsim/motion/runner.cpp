#include "motion/runner.h"

#include <algorithm>
#include <cmath>

namespace ktr4sim::motion {

namespace {

// Whole pulses out at an exact distance; the small allowance absorbs rounding in the
// closed-form area so that a profile meant to land on a pulse does land on it.
int64_t whole(double pulses)
{
    // Far beyond any 32-bit counter: held there rather than overflowing the conversion.
    if (!(pulses < 1e18))
        return INT64_C(1000000000000000000);
    return static_cast<int64_t>(std::floor(pulses + 1e-6));
}

RampShape shape_for(const Profile& p, bool rising)
{
    return {rising ? p.ur : p.dr, p.s_curve, rising ? p.s_acc : p.s_dec};
}

}  // namespace

void Runner::set_scale()
{
    scale_ = 1.0 / (65536.0 * (static_cast<double>(profile_.mg) + 1.0));
}

void Runner::start_position(Tick t0, const Profile& profile, int64_t distance)
{
    profile_ = profile;
    set_scale();
    target_ = std::max<int64_t>(distance, 0);
    limit_ = INT64_MAX;
    watch_ = INT64_MAX;
    accel_ends_ = decel_starts_ = 0;
    stop_after_decel_ = false;
    base_ = 0;
    now_ = t0;
    end_reason_ = EndReason::None;
    if (target_ == 0) {
        finish(t0, EndReason::Target);
        return;
    }
    enter(Phase::Accel, t0, profile.fl);
}

void Runner::start_velocity(Tick t0, const Profile& profile)
{
    profile_ = profile;
    set_scale();
    target_ = -1;
    limit_ = INT64_MAX;
    watch_ = INT64_MAX;
    accel_ends_ = decel_starts_ = 0;
    stop_after_decel_ = false;
    base_ = 0;
    now_ = t0;
    end_reason_ = EndReason::None;
    enter(Phase::Accel, t0, profile.fl);
}

void Runner::enter(Phase phase, Tick at, double speed)
{
    phase_ = phase;
    if (phase == Phase::Accel) {
        cruise_ = profile_.fh;
        ramp_ = plan_ramp(speed, cruise_, shape_for(profile_, speed <= cruise_));
    } else if (phase == Phase::Decel) {
        if (speed <= profile_.fl && (stop_after_decel_ || target_ < 0)) {
            finish(at, EndReason::Stopped);
            return;
        }
        ramp_ = plan_ramp(speed, profile_.fl, shape_for(profile_, false));
        ++decel_starts_;
    } else {
        ramp_ = Ramp {};
    }
    piece_ = 0;
    next_piece(at);
}

void Runner::next_piece(Tick at)
{
    if (piece_ < ramp_.count) {
        begin_segment(at, ramp_.pieces[piece_++]);
        return;
    }
    switch (phase_) {
    case Phase::Accel:
        phase_ = Phase::Cruise;
        ++accel_ends_;
        begin_segment(at, {kForever, cruise_, 0, 0});
        break;
    case Phase::Decel:
        if (stop_after_decel_ || target_ < 0) {
            finish(at, EndReason::Stopped);
        } else {
            phase_ = Phase::Creep;  // arrived early: creep at the start speed
            begin_segment(at, {kForever, static_cast<double>(profile_.fl), 0, 0});
        }
        break;
    default:
        break;
    }
}

void Runner::begin_segment(Tick at, const Segment& segment)
{
    segment_start_ = at;
    segment_ = segment;
}

void Runner::finish(Tick at, EndReason reason)
{
    phase_ = Phase::Idle;
    end_tick_ = at;
    end_reason_ = reason;
    if (reason == EndReason::Target)
        base_ = static_cast<double>(target_);
    else if (reason == EndReason::Limit)
        base_ = static_cast<double>(limit_);
    else
        base_ = static_cast<double>(whole(base_));
    segment_ = Segment {};
}

double Runner::ramp_down_pulses(double speed) const
{
    if (speed <= profile_.fl)
        return 0;
    return plan_ramp(speed, profile_.fl, shape_for(profile_, false)).area() * scale_;
}

bool Runner::event_at(Tick dt) const
{
    const double p = pulses_at(dt);
    const int64_t out = whole(p);
    if (out >= limit_ || out >= watch_)
        return true;
    if (target_ < 0)
        return false;
    if (out >= target_)
        return true;
    if (phase_ != Phase::Accel && phase_ != Phase::Cruise)
        return false;
    if (profile_.manual_dp)
        return target_ - out <= static_cast<int64_t>(profile_.dp);
    return static_cast<double>(target_) - p <= ramp_down_pulses(segment_.speed(dt));
}

void Runner::advance_to(Tick t)
{
    watch_hit_ = false;
    while (running()) {
        const Tick horizon = std::min(segment_.ticks, t - segment_start_);
        if (horizon < 0)
            break;
        if (event_at(horizon)) {
            // event_at(lo) false (or lo before now), event_at(hi) true
            Tick lo = std::max<Tick>(-1, now_ - segment_start_ - 1), hi = horizon;
            while (hi - lo > 1) {
                const Tick mid = lo + (hi - lo) / 2;
                if (event_at(mid))
                    hi = mid;
                else
                    lo = mid;
            }
            const Tick at = segment_start_ + hi;
            const double p = pulses_at(hi);
            const int64_t out = whole(p);
            if (out >= watch_) {
                // The caller looks first; a target or limit on the same pulse follows.
                watch_ = INT64_MAX;
                watch_hit_ = true;
                now_ = std::max(now_, at);
                return;
            }
            if (target_ >= 0 && out >= target_ && target_ <= limit_) {
                finish(at, EndReason::Target);
            } else if (out >= limit_) {
                finish(at, EndReason::Limit);
            } else {
                const double v = segment_.speed(hi);
                base_ = p;
                enter(Phase::Decel, at, v);
            }
            continue;
        }
        if (segment_.ticks != kForever && segment_.ticks <= t - segment_start_) {
            base_ = pulses_at(segment_.ticks);
            next_piece(segment_start_ + segment_.ticks);
            continue;
        }
        break;
    }
    now_ = std::max(now_, t);
}

int64_t Runner::pulses() const
{
    return whole(exact_pulses());
}

double Runner::exact_pulses() const
{
    return running() ? pulses_at(now_ - segment_start_) : base_;
}

double Runner::speed() const
{
    return running() ? segment_.speed(now_ - segment_start_) : 0.0;
}

void Runner::change_speed(uint32_t fh, uint32_t ur, uint32_t dr, uint32_t mg)
{
    if (!running())
        return;
    // The speed counter keeps its value: a new magnification rescales the output at once.
    const double v = speed();
    base_ = exact_pulses();
    profile_.fh = fh;
    profile_.ur = ur;
    profile_.dr = dr;
    profile_.mg = mg;
    set_scale();
    enter(Phase::Accel, now_, v);
}

void Runner::set_target(int64_t distance)
{
    if (!running())
        return;
    const double p = exact_pulses();
    const double v = speed();
    target_ = std::max<int64_t>(distance, 0);
    base_ = p;
    if (whole(p) >= target_) {
        // The new end lies behind: the axis stops where it is.
        base_ = static_cast<double>(whole(p));
        const int64_t keep = target_;
        target_ = whole(p);
        finish(now_, EndReason::Target);
        target_ = keep;
        return;
    }
    enter(Phase::Accel, now_, v);
}

void Runner::decelerate_stop(uint32_t dr, uint32_t s_dec)
{
    if (!running())
        return;
    const double v = speed();
    base_ = exact_pulses();
    profile_.dr = dr;
    profile_.s_dec = s_dec;
    stop_after_decel_ = true;
    enter(Phase::Decel, now_, v);
}

void Runner::stop()
{
    if (!running())
        return;
    base_ = exact_pulses();
    finish(now_, EndReason::Stopped);
}

}  // namespace ktr4sim::motion
