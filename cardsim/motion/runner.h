// One profile along one line of travel: how many pulses have gone out by a given tick.
//
// The runner knows nothing of axes or registers; a card job maps its travelled pulses to
// the axes it drives. Everything is advanced by events (end of a ramp piece, ramping-down
// point, target, limit) found on the closed-form distance, so the cost does not grow with
// the length of the move.
#pragma once

#include <cstdint>

#include "motion/ramp.h"

namespace ktr4sim::motion {

// The registers that shape a profile.
struct Profile {
    uint32_t fl = 1, fh = 1, ur = 1, dr = 1, mg = 299, dp = 0, s_acc = 0, s_dec = 0;
    bool s_curve = false;
    bool manual_dp = false;  // decelerate when the remaining pulses reach dp
};

enum class EndReason { None, Target, Limit, Stopped };

class Runner {
public:
    // A move of `distance` pulses (>= 0) starting at tick t0 from the start speed.
    void start_position(Tick t0, const Profile& profile, int64_t distance);
    // An endless run at the operating speed.
    void start_velocity(Tick t0, const Profile& profile);

    // All of these act at now(); advance_to the tick first.
    void change_speed(uint32_t fh, uint32_t ur, uint32_t dr, uint32_t mg);
    void set_target(int64_t distance);
    void decelerate_stop(uint32_t dr, uint32_t s_dec);
    void stop();
    // Stops at once when this many pulses have gone out (soft limits, sensors).
    void set_limit(int64_t pulses) { limit_ = pulses; }
    // Pauses advance_to on the tick this many pulses have gone out, so that the caller can look
    // at the position there (sensors, comparators) before going on; INT64_MAX: no watch.
    void set_watch(int64_t pulses)
    {
        watch_ = pulses;
        watch_hit_ = false;
    }
    // Whether the last advance_to paused at the watch (which is then cleared).
    bool watch_hit() const { return watch_hit_; }
    // How often this run reached its operating speed, and began a deceleration (card events).
    uint32_t accel_ends() const { return accel_ends_; }
    uint32_t decel_starts() const { return decel_starts_; }

    void advance_to(Tick t);

    bool running() const { return phase_ != Phase::Idle; }
    Tick now() const { return now_; }
    Tick end_tick() const { return end_tick_; }
    EndReason end_reason() const { return end_reason_; }
    int64_t pulses() const;  // whole pulses out so far
    double exact_pulses() const;  // with the fraction of the pulse in progress
    double speed() const;  // speed-register units at the current magnification
    uint32_t magnification() const { return profile_.mg; }
    const Profile& profile() const { return profile_; }
    bool is_position() const { return target_ >= 0; }
    int64_t target() const { return target_; }

    // Pulses the card needs to come down from `speed` to the start speed.
    double ramp_down_pulses(double speed) const;

private:
    enum class Phase { Idle, Accel, Cruise, Decel, Creep };

    void enter(Phase phase, Tick at, double speed);
    void next_piece(Tick at);
    void begin_segment(Tick at, const Segment& segment);
    void finish(Tick at, EndReason reason);
    double pulses_at(Tick dt) const { return base_ + segment_.area(dt) * scale_; }
    bool event_at(Tick dt) const;
    void set_scale();

    Profile profile_ {};
    Phase phase_ = Phase::Idle;
    Ramp ramp_ {};
    int piece_ = 0;
    Segment segment_ {};
    Tick segment_start_ = 0;
    double base_ = 0;  // pulses at segment_start_
    double scale_ = 0;  // pulses per speed unit per tick
    double cruise_ = 0;  // speed the current accel phase heads for
    int64_t target_ = -1;  // < 0: velocity run
    int64_t limit_ = INT64_MAX;
    int64_t watch_ = INT64_MAX;
    bool watch_hit_ = false;
    uint32_t accel_ends_ = 0, decel_starts_ = 0;
    bool stop_after_decel_ = false;
    Tick now_ = 0;
    Tick end_tick_ = 0;
    EndReason end_reason_ = EndReason::None;
};

}  // namespace ktr4sim::motion
