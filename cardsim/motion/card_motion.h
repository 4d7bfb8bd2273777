// The moving part of one simulated card: start commands, stops and the register writes that
// change a running move turn into jobs that advance with the clock and drive the counters
// and status bits of their axes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "motion/axis_signals.h"
#include "motion/path.h"
#include "motion/runner.h"

namespace ktr4sim::motion {

// What the card motion reaches of its card.
class MotionHost {
public:
    virtual uint32_t& reg(uint32_t axis, uint32_t read_code) = 0;
    virtual uint16_t& main_status(uint32_t axis) = 0;
    // The card raises an interrupt of the axis: cause bit 4 (event) with the events, or cause
    // bit 5 (error).
    virtual void interrupt(uint32_t axis, uint16_t cause, uint32_t events) = 0;

protected:
    ~MotionHost() = default;
};

// Main status bits the motion drives.
inline constexpr uint16_t kStatusStopped = 0x0008;
inline constexpr uint16_t kStatusSoftLimitPlus = 0x0100;
inline constexpr uint16_t kStatusSoftLimitMinus = 0x0200;
inline constexpr uint16_t kStatusCompare = 0x1000;
inline constexpr uint16_t kStatusBufferFull = 0x4000;
// Event factor and event flag bits.
inline constexpr uint32_t kEventMoveEnd = 0x0001;
inline constexpr uint32_t kEventNext = 0x0002;
inline constexpr uint32_t kEventAccelEnd = 0x0010;
inline constexpr uint32_t kEventDecelStart = 0x0020;
inline constexpr uint32_t kEventCompare = 0x0040;
inline constexpr uint32_t kEventLatch = 0x0080;
inline constexpr uint32_t kEventSlowDown = 0x0100;
inline constexpr uint32_t kEventHome = 0x0200;
inline constexpr uint32_t kEventIndex = 0x1000;
inline constexpr uint32_t kEventInPosition = 0x4000;
inline constexpr uint32_t kEventHomeDone = 0x10000;
// Error flag bits.
inline constexpr uint32_t kErrorSoftPlus = 0x01, kErrorSoftMinus = 0x02, kErrorElPlus = 0x04, kErrorElMinus = 0x08,
                          kErrorAlarm = 0x10, kErrorCompareStop = 0x20, kErrorHomeNotFound = 0x40;
// Interrupt causes.
inline constexpr uint16_t kCauseEvent = 0x0010, kCauseError = 0x0020;

// What the machine puts into the status words: the bits under each mask are the machine's, the
// others keep what was stored (a signal the machine lacks reads as it was set).
struct InputOverlay {
    uint16_t sub_mask = 0, sub_bits = 0;
    uint32_t pin_mask = 0, pin_bits = 0;
};

class CardMotion {
public:
    void reset(Tick now);
    Tick now() const { return now_; }
    void advance_to(MotionHost& host, Tick t);

    void on_register_write(MotionHost& host, uint32_t axis, uint32_t write_code, uint32_t value);
    void on_command(MotionHost& host, uint16_t word);

    // Pulses arriving at the axis's pulser input: they count in its pulser counter and, in
    // pulser motion, move the axis.
    void pulser_input(MotionHost& host, uint32_t axis, int32_t pulses);

    // The machine around an axis; set_home gives it a one-pulse HOME sensor (or none).
    AxisMachine& machine(uint32_t axis) { return machine_[axis]; }
    const AxisMachine& machine(uint32_t axis) const { return machine_[axis]; }
    void set_home(uint32_t axis, std::optional<int32_t> position);
    std::optional<int32_t> home(uint32_t axis) const;
    // Machine position of the axis: pulses of travel since reset.
    int64_t travel(uint32_t axis) const { return travel_[axis]; }
    // The alarm input changed (raised or cleared by hand or by the ARST output).
    void alarm_changed(MotionHost& host, uint32_t axis);
    // The LTC input pulses now: the counter the latch word names goes into 0xEE.
    void latch_now(MotionHost& host, uint32_t axis);
    InputOverlay overlay(MotionHost& host, uint32_t axis) const;

    bool moving(uint32_t axis) const { return owner_[axis] >= 0; }
    // The kind of move driving the axis, as a KTR4SIM_MOVE_* code (the live scope shows it).
    uint32_t move_kind(uint32_t axis) const;
    // Tick at which the axis's last move ended (-1: none yet).
    Tick last_end(uint32_t axis) const { return last_end_[axis]; }

private:
    enum class Kind { Single, Velocity, Home, Line, Arc, Pulser };
    // The steps of an origin return (see the home modes): what the axis is running for.
    enum class HomeStep { Leave, Search, Back, Forward, Count };
    enum class HomeNext { None, Search, Back, Forward };
    struct Job {
        Kind kind = Kind::Single;
        uint8_t axes = 0;
        Runner runner;
        int direction = 1;
        LinePath line;
        ArcPath arc;
        int arc_x = 0, arc_y = 1;
        // One-axis moves: where the run began, what the axis saw at the last look, and what
        // has already acted (each acts once per move).
        int64_t origin = 0;
        Inputs seen;
        uint32_t mode_word = 0;
        bool soft_plus_done = false, soft_minus_done = false, el_done = false, failed = false;
        bool sd_slowed = false;
        uint32_t fh = 0;  // operating speed before SD slowed the axis
        // Origin returns.
        bool origin_search = false;
        uint32_t home_mode = 0, home_count = 0;
        int search_dir = 1;
        HomeStep step = HomeStep::Search;
        HomeNext next = HomeNext::None;
        uint32_t ez_counted = 0;
        bool stopping = false, home_done = false;
        // Runner events already told (acceleration ends, deceleration starts).
        uint32_t accel_ends = 0, decel_starts = 0;
        // Pulser motion: the axis takes the pulser's pulses, up to `amount` when one is set.
        int64_t pulser_moved = 0;
        std::optional<int64_t> pulser_amount;
        std::optional<Tick> pulser_end;
        std::array<int64_t, 4> applied {};
    };

    void start(MotionHost& host, uint8_t axes, Tick at);
    void start_axis_job(MotionHost& host, uint32_t axis, uint32_t op, Tick at);
    void start_line(MotionHost& host, uint8_t axes, Tick at);
    void start_arc(MotionHost& host, uint8_t axes, Tick at);
    void start_pulser(MotionHost& host, uint8_t axes, Tick at);
    static bool running(const Job& job);
    static Tick end_tick(const Job& job);
    void begin(MotionHost& host, Job&& job, Tick at);
    void apply(MotionHost& host, Job& job);
    void end(MotionHost& host, int slot);
    void release_axes(MotionHost& host, uint8_t axes);
    int64_t offset(const Job& job, int axis) const;
    static Profile profile_of(MotionHost& host, uint32_t axis);

    // One-axis moves run from look to look: a look happens wherever an input, a soft limit or
    // the comparator may change, found in closed form (the runner's watch).
    static bool one_axis(const Job& job)
    {
        return job.kind == Kind::Single || job.kind == Kind::Velocity || job.kind == Kind::Home;
    }
    void run_one_axis(MotionHost& host, Job& job, Tick t);
    void first_look(MotionHost& host, Job& job);
    void look(MotionHost& host, Job& job);
    void look_homing(MotionHost& host, Job& job, const Inputs& was, const Inputs& in);
    void arm_watch(MotionHost& host, Job& job);
    bool next_home_step(MotionHost& host, Job& job);
    void home_search(MotionHost& host, Job& job, Tick at);
    void restart_runner(MotionHost& host, Job& job, Tick at, int dir, bool slow, std::optional<int64_t> distance);
    void stop_job(MotionHost& host, Job& job, bool decelerate);
    void check_soft_limits(MotionHost& host, Job& job);
    bool alarm_on(MotionHost& host, uint32_t axis) const;
    Inputs inputs_of(MotionHost& host, uint32_t axis, int dir) const;

    // The comparator, looked at wherever its counter changes.
    int64_t compared_value(MotionHost& host, uint32_t axis, uint32_t source) const;
    void compare(MotionHost& host, uint32_t axis, bool rebase, Tick at);
    void post_event(MotionHost& host, uint32_t axis, uint32_t events);
    void post_error(MotionHost& host, uint32_t axis, uint32_t errors);
    void finish_axis(MotionHost& host, uint32_t axis);

    Tick now_ = 0;
    std::array<std::optional<Job>, 4> jobs_ {};  // by the lowest axis of the job
    std::array<int, 4> owner_ {{-1, -1, -1, -1}};  // job slot of each axis
    std::array<bool, 4> pre_written_ {};  // pre-registers hold a move not yet taken
    std::array<uint8_t, 4> queued_ {};  // axis bits of a start waiting for the axis
    std::array<Tick, 4> last_end_ {{-1, -1, -1, -1}};
    std::array<AxisMachine, 4> machine_ {};
    std::array<int64_t, 4> travel_ {};
    std::array<double, 4> feedback_rest_ {};  // the feedback counter's fraction of a count
    std::array<int64_t, 4> compared_ {};  // the comparator's value at its last look
    std::array<bool, 4> compare_holds_ {};  // condition > or < held at the last look
    std::array<Tick, 4> cmp_pulse_end_ {};  // the CMP pulse output is on until then
    // After a move with INP enabled, the axis reports stopped when INP turns on.
    std::array<std::optional<Tick>, 4> inp_due_ {};
    std::array<bool, 4> end_waits_for_inp_ {};
};

}  // namespace ktr4sim::motion
