// The moving part of one simulated card: start commands, stops and the register writes that
// change a running move turn into jobs that advance with the clock and drive the counters
// and status bits of their axes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "motion/path.h"
#include "motion/runner.h"

namespace ktr4sim::motion {

// What the card motion reaches of its card.
class MotionHost {
public:
    virtual uint32_t& reg(uint32_t axis, uint32_t read_code) = 0;
    virtual uint16_t& main_status(uint32_t axis) = 0;
    // A move of the axis ended and its event factor asks to be told.
    virtual void move_ended(uint32_t axis) = 0;

protected:
    ~MotionHost() = default;
};

// Main status bits the motion drives.
inline constexpr uint16_t kStatusStopped = 0x0008;
inline constexpr uint16_t kStatusSoftLimitPlus = 0x0100;
inline constexpr uint16_t kStatusSoftLimitMinus = 0x0200;
inline constexpr uint16_t kStatusBufferFull = 0x4000;
// Event factor and event flag bit: a move ended.
inline constexpr uint32_t kEventMoveEnd = 0x0001;

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

    // The HOME sensor of an axis sits at this command position (none: it is never seen).
    void set_home(uint32_t axis, std::optional<int32_t> position) { home_[axis] = position; }
    std::optional<int32_t> home(uint32_t axis) const { return home_[axis]; }

    bool moving(uint32_t axis) const { return owner_[axis] >= 0; }
    // The kind of move driving the axis, as a KTR4SIM_MOVE_* code (the live scope shows it).
    uint32_t move_kind(uint32_t axis) const;
    // Tick at which the axis's last move ended (-1: none yet).
    Tick last_end(uint32_t axis) const { return last_end_[axis]; }

private:
    enum class Kind { Single, Velocity, Home, Line, Arc, Pulser };
    struct Job {
        Kind kind = Kind::Single;
        uint8_t axes = 0;
        Runner runner;
        int direction = 1;
        LinePath line;
        ArcPath arc;
        int arc_x = 0, arc_y = 1;
        bool soft_limit = false;  // the runner's limit is a soft limit (else the HOME sensor)
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

    Tick now_ = 0;
    std::array<std::optional<Job>, 4> jobs_ {};  // by the lowest axis of the job
    std::array<int, 4> owner_ {{-1, -1, -1, -1}};  // job slot of each axis
    std::array<bool, 4> pre_written_ {};  // pre-registers hold a move not yet taken
    std::array<uint8_t, 4> queued_ {};  // axis bits of a start waiting for the axis
    std::array<std::optional<int32_t>, 4> home_ {};
    std::array<Tick, 4> last_end_ {{-1, -1, -1, -1}};
};

}  // namespace ktr4sim::motion
