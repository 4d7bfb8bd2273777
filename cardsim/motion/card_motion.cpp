#include "motion/card_motion.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "ktr4sim.h"
#include "ktr4sim_scope.h"
#include "motion/card_registers.h"
#include "register_map.h"

namespace ktr4sim::motion {

namespace {

using namespace registers;

uint32_t operation_code(MotionHost& host, uint32_t axis)
{
    return host.reg(axis, kMode) & kOperationCodeMask;
}

int32_t as_signed(uint32_t value)
{
    return static_cast<int32_t>(value);
}

int lowest_axis(uint8_t axes)
{
    for (int a = 0; a < 4; ++a)
        if (axes & (1u << a))
            return a;
    return -1;
}

uint32_t clamp_u(uint32_t value, uint32_t lo, uint32_t hi)
{
    return std::min(std::max(value, lo), hi);
}

}  // namespace

void CardMotion::reset(Tick now)
{
    now_ = now;
    for (auto& job : jobs_)
        job.reset();
    owner_.fill(-1);
    pre_written_.fill(false);
    queued_.fill(0);
    last_end_.fill(-1);
    machine_.fill(AxisMachine {});
    travel_.fill(0);
    feedback_rest_.fill(0);
    compared_.fill(0);
    compare_holds_.fill(false);
    cmp_pulse_end_.fill(0);
    inp_due_.fill(std::nullopt);
    end_waits_for_inp_.fill(false);
}

void CardMotion::set_home(uint32_t axis, std::optional<int32_t> position)
{
    if (position)
        machine_[axis].home = Zone {*position, 1};
    else
        machine_[axis].home.reset();
}

std::optional<int32_t> CardMotion::home(uint32_t axis) const
{
    if (!machine_[axis].home)
        return std::nullopt;
    return static_cast<int32_t>(machine_[axis].home->first);
}

Profile CardMotion::profile_of(MotionHost& host, uint32_t axis)
{
    Profile p;
    // A shortened profile's operating speed is not clamped by the library; the card takes 24 bits.
    p.fl = clamp_u(host.reg(axis, kStart), 1, 0xFFFFFF);
    p.fh = clamp_u(host.reg(axis, kOperating), 1, 0xFFFFFF);
    p.ur = clamp_u(host.reg(axis, kAccRate), 0, 65535);
    p.dr = clamp_u(host.reg(axis, kDecRate), 0, 65535);
    p.mg = clamp_u(host.reg(axis, kMagnification), 0, 4095);
    p.dp = host.reg(axis, kRampDown) & 0xFFFFFF;
    p.s_acc = host.reg(axis, kSAcc) & 0xFFFF;
    p.s_dec = host.reg(axis, kSDec) & 0xFFFF;
    const uint32_t mode = host.reg(axis, kMode);
    p.s_curve = (mode & kSCurveBit) != 0;
    p.manual_dp = (mode & kManualRampDownBit) != 0;
    return p;
}

int64_t CardMotion::offset(const Job& job, int axis) const
{
    const int64_t p = job.runner.pulses();
    switch (job.kind) {
    case Kind::Line:
        return job.line.offset(axis, p);
    case Kind::Arc: {
        int64_t x = 0, y = 0;
        job.arc.point(p, &x, &y);
        return axis == job.arc_x ? x : y;
    }
    case Kind::Pulser:
        return job.pulser_moved;
    default:
        return job.direction * p;
    }
}

uint32_t CardMotion::move_kind(uint32_t axis) const
{
    if (owner_[axis] < 0)
        return KTR4SIM_MOVE_NONE;
    switch (jobs_[static_cast<size_t>(owner_[axis])]->kind) {
    case Kind::Single:
        return KTR4SIM_MOVE_POSITION;
    case Kind::Velocity:
        return KTR4SIM_MOVE_VELOCITY;
    case Kind::Home:
        return KTR4SIM_MOVE_HOME;
    case Kind::Line:
        return KTR4SIM_MOVE_LINE;
    case Kind::Arc:
        return KTR4SIM_MOVE_ARC;
    case Kind::Pulser:
        return KTR4SIM_MOVE_PULSER;
    }
    return KTR4SIM_MOVE_NONE;
}

bool CardMotion::running(const Job& job)
{
    return job.kind == Kind::Pulser ? !job.pulser_end.has_value() : job.runner.running();
}

Tick CardMotion::end_tick(const Job& job)
{
    return job.kind == Kind::Pulser ? job.pulser_end.value_or(0) : job.runner.end_tick();
}

void CardMotion::start_pulser(MotionHost& host, uint8_t axes, Tick at)
{
    release_axes(host, axes);
    for (uint32_t a = 0; a < 4; ++a) {
        if (!(axes & (1u << a)))
            continue;
        const uint32_t op = operation_code(host, a);
        Job job;
        job.kind = Kind::Pulser;
        job.axes = static_cast<uint8_t>(1u << a);
        if (op == kPulserPositionCode || op == kPulserPositionVariantCode) {
            job.pulser_amount = as_signed(host.reg(a, kTarget));
            if (*job.pulser_amount == 0)
                job.pulser_end = at;
        } else if (op != kPulserVelocityCode) {
            continue;
        }
        begin(host, std::move(job), at);
    }
}

void CardMotion::pulser_input(MotionHost& host, uint32_t axis, int32_t pulses)
{
    host.reg(axis, kPulserCounter) += static_cast<uint32_t>(pulses);
    compare(host, axis, false, now_);
    if (owner_[axis] < 0)
        return;
    Job& job = *jobs_[static_cast<size_t>(owner_[axis])];
    if (job.kind != Kind::Pulser || job.pulser_end)
        return;
    int64_t moved = job.pulser_moved + pulses;
    if (job.pulser_amount) {
        // A pulser move keeps between its start and its end and is over on reaching the end.
        const int64_t amount = *job.pulser_amount;
        moved = std::clamp<int64_t>(moved, std::min<int64_t>(0, amount), std::max<int64_t>(0, amount));
        if (moved == amount)
            job.pulser_end = now_;
    }
    job.pulser_moved = moved;
    apply(host, job);
    advance_to(host, now_);
}

void CardMotion::apply(MotionHost& host, Job& job)
{
    // The run's acceleration ends and deceleration starts since the last look are card events.
    uint32_t events = 0;
    if (job.runner.accel_ends() > job.accel_ends)
        events |= kEventAccelEnd;
    if (job.runner.decel_starts() > job.decel_starts)
        events |= kEventDecelStart;
    job.accel_ends = job.runner.accel_ends();
    job.decel_starts = job.runner.decel_starts();
    for (int a = 0; a < 4; ++a) {
        if (!(job.axes & (1u << a)))
            continue;
        const auto axis = static_cast<uint32_t>(a);
        const int64_t now = offset(job, a);
        const int64_t moved = now - job.applied[static_cast<size_t>(a)];
        const auto delta = static_cast<uint32_t>(static_cast<uint64_t>(moved));
        job.applied[static_cast<size_t>(a)] = now;
        host.reg(axis, kCommand) += delta;  // wraps like the card's 32-bit counter
        travel_[axis] += moved;
        const bool reversed = (host.reg(axis, kWord2) & (1u << 22)) != 0;
        const double ratio = machine_[axis].feedback_ratio;
        if (ratio == 1.0) {
            host.reg(axis, kFeedback) += reversed ? 0u - delta : delta;
        } else {
            // The encoder's counts follow the travel at its ratio; the fraction carries over.
            const double counts = static_cast<double>(moved) * ratio * (reversed ? -1 : 1) + feedback_rest_[axis];
            const double whole_counts = std::floor(counts);
            feedback_rest_[axis] = counts - whole_counts;
            host.reg(axis, kFeedback) += static_cast<uint32_t>(static_cast<int64_t>(whole_counts));
        }
        double v = job.runner.speed();
        if (job.kind == Kind::Line && job.line.span > 0)
            v = v * static_cast<double>(std::llabs(job.line.distance[static_cast<size_t>(a)]))
                / static_cast<double>(job.line.span);
        if (job.kind == Kind::Arc) {
            double sx = 0, sy = 0;
            job.arc.speed_share(job.runner.pulses(), &sx, &sy);
            v *= a == job.arc_x ? sx : sy;
        }
        host.reg(axis, kSpeed) = static_cast<uint32_t>(std::clamp(std::lround(v), 0L, 65535L));
        if (moved != 0)
            compare(host, axis, false, job.kind == Kind::Pulser ? now_ : job.runner.now());
        if (events != 0)
            post_event(host, axis, events);
    }
}

void CardMotion::release_axes(MotionHost& host, uint8_t axes)
{
    for (int a = 0; a < 4; ++a) {
        if (!(axes & (1u << a)) || owner_[static_cast<size_t>(a)] < 0)
            continue;
        const int slot = owner_[static_cast<size_t>(a)];
        Job& job = *jobs_[static_cast<size_t>(slot)];
        job.runner.stop();
        job.pulser_end = now_;
        apply(host, job);
        for (int b = 0; b < 4; ++b)
            if (job.axes & (1u << b))
                owner_[static_cast<size_t>(b)] = -1;
        jobs_[static_cast<size_t>(slot)].reset();
    }
}

void CardMotion::begin(MotionHost& host, Job&& job, Tick at)
{
    (void)at;
    const int slot = lowest_axis(job.axes);
    if (slot < 0)
        return;
    for (int a = 0; a < 4; ++a) {
        if (!(job.axes & (1u << a)))
            continue;
        const auto axis = static_cast<uint32_t>(a);
        owner_[static_cast<size_t>(a)] = slot;
        host.main_status(axis) &=
            static_cast<uint16_t>(~(kStatusStopped | kStatusSoftLimitPlus | kStatusSoftLimitMinus));
        // A start clears the error flag, and an axis that waited for INP is over it.
        host.reg(axis, kErrorFlags) = 0;
        end_waits_for_inp_[axis] = false;
        inp_due_[axis].reset();
    }
    jobs_[static_cast<size_t>(slot)] = std::move(job);
    if (one_axis(*jobs_[static_cast<size_t>(slot)]))
        first_look(host, *jobs_[static_cast<size_t>(slot)]);
}

void CardMotion::start_axis_job(MotionHost& host, uint32_t axis, uint32_t op, Tick at)
{
    Job job;
    job.axes = static_cast<uint8_t>(1u << axis);
    const Profile profile = profile_of(host, axis);
    const int32_t target = as_signed(host.reg(axis, kTarget));
    switch (op) {
    case kPositionCode:
    case kPositionVariantCode:
        job.kind = Kind::Single;
        job.direction = target < 0 ? -1 : 1;
        job.runner.start_position(at, profile, std::llabs(static_cast<int64_t>(target)));
        break;
    case kVelocityPlusCode:
    case kVelocityMinusCode:
        job.kind = Kind::Velocity;
        job.direction = op == kVelocityMinusCode ? -1 : 1;
        job.runner.start_velocity(at, profile);
        break;
    case kHomeReturnPlusCode:
    case kHomeReturnMinusCode:  // origin return in the home mode of configuration word 3
    case kHomeSearchPlusCode:
    case kHomeSearchMinusCode: {  // origin search: mode 0 over at most the target amount
        job.kind = Kind::Home;
        job.origin_search = op == kHomeSearchPlusCode || op == kHomeSearchMinusCode;
        job.direction = op == kHomeReturnMinusCode || op == kHomeSearchMinusCode ? -1 : 1;
        job.search_dir = job.direction;
        const uint32_t word3 = host.reg(axis, kWord3);
        job.home_mode = job.origin_search || (word3 & 0xF) > 12 ? 0 : word3 & 0xF;
        job.home_count = (word3 >> 4) & 0xF;
        job.runner.start_velocity(at, profile);  // first_look sets the first step's run
        break;
    }
    default:
        return;  // an operation this card model does not run
    }
    begin(host, std::move(job), at);
}

void CardMotion::start_line(MotionHost& host, uint8_t axes, Tick at)
{
    std::array<int64_t, 4> distance {};
    int master = lowest_axis(axes);
    for (int a = 0; a < 4; ++a) {
        if (!(axes & (1u << a)))
            continue;
        distance[static_cast<size_t>(a)] = as_signed(host.reg(static_cast<uint32_t>(a), kTarget));
        if (std::llabs(distance[static_cast<size_t>(a)]) > std::llabs(distance[static_cast<size_t>(master)]))
            master = a;
    }
    Job job;
    job.kind = Kind::Line;
    job.axes = axes;
    job.line = LinePath::of(distance);
    // The longest axis paces the line with its own registers.
    job.runner.start_position(at, profile_of(host, static_cast<uint32_t>(master)), job.line.span);
    begin(host, std::move(job), at);
}

void CardMotion::start_arc(MotionHost& host, uint8_t axes, Tick at)
{
    const int x = lowest_axis(axes);
    const int y = lowest_axis(static_cast<uint8_t>(axes & ~(1u << x)));
    if (y < 0)
        return;
    const auto ux = static_cast<uint32_t>(x), uy = static_cast<uint32_t>(y);
    Job job;
    job.kind = Kind::Arc;
    job.axes = static_cast<uint8_t>((1u << x) | (1u << y));
    job.arc_x = x;
    job.arc_y = y;
    job.arc = ArcPath::of(as_signed(host.reg(ux, kCentre)), as_signed(host.reg(uy, kCentre)),
                          as_signed(host.reg(ux, kTarget)), as_signed(host.reg(uy, kTarget)),
                          operation_code(host, ux) == kArcReverseCode);
    // An arc runs at the constant speed of its start and operating speed registers.
    Profile profile = profile_of(host, ux);
    profile.fl = profile.fh;
    profile.manual_dp = true;
    profile.dp = 0;
    job.runner.start_position(at, profile, job.arc.length);
    begin(host, std::move(job), at);
}

void CardMotion::start(MotionHost& host, uint8_t axes, Tick at)
{
    release_axes(host, axes);
    const int first = lowest_axis(axes);
    if (first < 0)
        return;
    const uint32_t op = operation_code(host, static_cast<uint32_t>(first));
    if (op == kInterpolationCode || op == kInterpolationVariantCode) {
        start_line(host, axes, at);
    } else if (op == kArcCode || op == kArcReverseCode) {
        start_arc(host, axes, at);
    } else {
        for (int a = 0; a < 4; ++a)
            if (axes & (1u << a))
                start_axis_job(host, static_cast<uint32_t>(a), operation_code(host, static_cast<uint32_t>(a)), at);
    }
}

void CardMotion::end(MotionHost& host, int slot)
{
    Job& job = *jobs_[static_cast<size_t>(slot)];
    apply(host, job);
    const EndReason reason = job.runner.end_reason();
    for (int a = 0; a < 4; ++a) {
        if (!(job.axes & (1u << a)))
            continue;
        const auto axis = static_cast<uint32_t>(a);
        owner_[static_cast<size_t>(a)] = -1;
        const Tick at = end_tick(job);
        last_end_[axis] = at;
        host.reg(axis, kSpeed) = 0;
        if (job.kind == Kind::Home && !job.failed) {
            if (job.home_done)
                post_event(host, axis, kEventHomeDone);
            else if (job.origin_search && reason == EndReason::Target)
                post_error(host, axis, kErrorHomeNotFound);
        }
        // INP turns on its settle time after the last pulse; with INP enabled the move is
        // over only then.
        const Tick settle = machine_[axis].inp_settle.value_or(0);
        const bool inp_enabled = one_axis(job) && (job.mode_word & kInpEnableBit) != 0;
        end_waits_for_inp_[axis] = false;
        if (settle > 0) {
            inp_due_[axis] = at + settle;
            end_waits_for_inp_[axis] = inp_enabled;
        }
        if (!end_waits_for_inp_[axis])
            finish_axis(host, axis);
        if (settle == 0 && machine_[axis].inp_settle)
            post_event(host, axis, kEventInPosition);
    }
    jobs_[static_cast<size_t>(slot)].reset();
}

void CardMotion::finish_axis(MotionHost& host, uint32_t axis)
{
    host.main_status(axis) |= kStatusStopped;
    post_event(host, axis, kEventMoveEnd);
}

void CardMotion::post_event(MotionHost& host, uint32_t axis, uint32_t events)
{
    // Only the events the factor asks for are recorded and raise an interrupt.
    const uint32_t asked = events & host.reg(axis, kEventFactor);
    if (asked == 0)
        return;
    host.reg(axis, kEventFlags) |= asked;
    host.interrupt(axis, kCauseEvent, asked);
}

void CardMotion::post_error(MotionHost& host, uint32_t axis, uint32_t errors)
{
    uint32_t& flags = host.reg(axis, kErrorFlags);
    const uint32_t fresh = errors & ~flags;
    flags |= errors;
    if (fresh != 0)
        host.interrupt(axis, kCauseError, 0);
}

void CardMotion::advance_to(MotionHost& host, Tick t)
{
    t = std::max(t, now_);
    for (;;) {
        int first = -1;
        for (size_t s = 0; s < jobs_.size(); ++s) {
            if (!jobs_[s])
                continue;
            Job& job = *jobs_[s];
            if (one_axis(job)) {
                run_one_axis(host, job, t);
            } else {
                if (job.kind != Kind::Pulser)
                    job.runner.advance_to(t);
                apply(host, job);
            }
            if (!running(job) && (first < 0 || end_tick(job) < end_tick(*jobs_[static_cast<size_t>(first)])))
                first = static_cast<int>(s);
        }
        if (first < 0)
            break;
        const Tick at = end_tick(*jobs_[static_cast<size_t>(first)]);
        end(host, first);
        // A move queued in the pre-registers starts on the tick its axes come free.
        for (uint32_t a = 0; a < 4; ++a) {
            const uint8_t bits = queued_[a];
            if (bits == 0)
                continue;
            bool free = true;
            for (uint32_t b = 0; b < 4; ++b)
                if ((bits & (1u << b)) && owner_[b] >= 0)
                    free = false;
            if (!free)
                continue;
            for (uint32_t b = 0; b < 4; ++b) {
                if (!(bits & (1u << b)))
                    continue;
                queued_[b] = 0;
                for (uint32_t i = 0; i < kOperatingRegisters; ++i)
                    host.reg(b, kTarget + i) = host.reg(b, kPreBase + i);
                pre_written_[b] = false;
                host.main_status(b) &= static_cast<uint16_t>(~kStatusBufferFull);
                post_event(host, b, kEventNext);
            }
            start(host, bits, at);
        }
    }
    for (uint32_t a = 0; a < 4; ++a) {
        if (!inp_due_[a] || *inp_due_[a] > t)
            continue;
        inp_due_[a].reset();
        if (end_waits_for_inp_[a]) {
            end_waits_for_inp_[a] = false;
            finish_axis(host, a);
        }
        if (machine_[a].inp_settle)
            post_event(host, a, kEventInPosition);
    }
    now_ = t;
}

void CardMotion::on_command(MotionHost& host, uint16_t word)
{
    const auto axes = static_cast<uint8_t>((word >> 8) & 0x0F);
    const uint32_t code = word & 0xFF;
    switch (code) {
    case kStartCommand: {
        bool queued_move = false, busy = false;
        for (uint32_t a = 0; a < 4; ++a) {
            if (!(axes & (1u << a)))
                continue;
            queued_move = queued_move || pre_written_[a];
            busy = busy || owner_[a] >= 0;
        }
        if (queued_move && busy) {
            for (uint32_t a = 0; a < 4; ++a) {
                if (!(axes & (1u << a)))
                    continue;
                queued_[a] = axes;
                host.main_status(a) |= kStatusBufferFull;
            }
            break;
        }
        for (uint32_t a = 0; a < 4; ++a) {
            if (!(axes & (1u << a)) || !pre_written_[a])
                continue;
            for (uint32_t i = 0; i < kOperatingRegisters; ++i)
                host.reg(a, kTarget + i) = host.reg(a, kPreBase + i);
            pre_written_[a] = false;
        }
        start(host, axes, now_);
        break;
    }
    case kPulserStartCommand:
        start_pulser(host, axes, now_);
        break;
    case kDecelerationStopCommand:  // the deceleration rate now in the register
        for (uint32_t a = 0; a < 4; ++a) {
            if (!(axes & (1u << a)) || owner_[a] < 0)
                continue;
            Job& job = *jobs_[static_cast<size_t>(owner_[a])];
            if (job.kind == Kind::Pulser) {
                job.pulser_end = now_;
                continue;
            }
            job.next = HomeNext::None;
            job.stopping = true;
            job.runner.decelerate_stop(clamp_u(host.reg(a, kDecRate), 0, 65535), host.reg(a, kSDec) & 0xFFFF);
        }
        break;
    case kImmediateStopCommand:
    case kEmergencyStopCommand:
        for (uint32_t a = 0; a < 4; ++a) {
            if (!(axes & (1u << a)))
                continue;
            if (queued_[a] != 0) {
                queued_[a] = 0;
                host.main_status(a) &= static_cast<uint16_t>(~kStatusBufferFull);
            }
            if (owner_[a] < 0)
                continue;
            Job& job = *jobs_[static_cast<size_t>(owner_[a])];
            if (job.kind == Kind::Pulser) {
                job.pulser_end = now_;
            } else {
                job.next = HomeNext::None;
                job.stopping = true;
                job.runner.stop();
            }
        }
        break;
    default:
        break;
    }
    advance_to(host, now_);
}

void CardMotion::on_register_write(MotionHost& host, uint32_t axis, uint32_t write_code, uint32_t value)
{
    if (write_code >= kTargetCode - kPreRegisterOffset && write_code <= kSCurveDecelerationCode - kPreRegisterOffset) {
        pre_written_[axis] = true;
        return;
    }
    if (write_code == kLatchWordCode || write_code == kComparatorDataCode) {
        // A new comparison: the flag is cleared and > or < is looked at anew.
        host.main_status(axis) &= static_cast<uint16_t>(~kStatusCompare);
        compare_holds_[axis] = false;
        compare(host, axis, true, now_);
    } else if (write_code == kCommandPositionCode || write_code == kFeedbackPositionCode
               || write_code == kPulserCounterCode) {
        compare(host, axis, true, now_);  // a counter set is not a counter passing the data
    }
    if (owner_[axis] < 0)
        return;
    Job& job = *jobs_[static_cast<size_t>(owner_[axis])];
    if (write_code == kOperatingSpeedCode && job.kind == Kind::Velocity) {
        // A velocity change: the new operating speed with the rates and magnification just written.
        const int direction = (host.reg(axis, kMode) & kVelocityMinusCode) ? -1 : 1;  // the minus bit
        if (direction != job.direction) {
            start(host, static_cast<uint8_t>(1u << axis), now_);  // reverses from the start speed
        } else {
            job.runner.change_speed(clamp_u(value, 1, 0xFFFFFF), clamp_u(host.reg(axis, kAccRate), 0, 65535),
                                    clamp_u(host.reg(axis, kDecRate), 0, 65535),
                                    clamp_u(host.reg(axis, kMagnification), 0, 4095));
        }
    } else if (write_code == kTargetCode && job.kind == Kind::Single) {
        // A new end for the running move, counted from where it started.
        const int64_t distance = as_signed(value);
        const bool same_way = distance == 0 || (distance < 0 ? -1 : 1) == job.direction;
        job.runner.set_target(same_way ? std::llabs(distance) : 0);
    }
    if (one_axis(job) && job.runner.running()) {
        // Limits, counters or the comparator may have moved: look again from here.
        check_soft_limits(host, job);
        arm_watch(host, job);
    }
    advance_to(host, now_);
}

}  // namespace ktr4sim::motion
