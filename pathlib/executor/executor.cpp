#include "executor/executor.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "ktr4.h"
#include "ktr4path.h"
#include "planner/extent.h"
#include "planner/straight_runs.h"

namespace ktr4path {
namespace {

double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

int32_t pathPps(double speed, double pulsesPerUnit)
{
    const double pps = std::round(speed * pulsesPerUnit);
    return static_cast<int32_t>(std::clamp(pps, 0.0, kCardMaxPulseRate));
}

// The card's interpolation groups: pair and triple numbers by their axes.
int pairOf(int a, int b)
{
    static const int pairs[4][4] = {{-1, 0, 1, 2}, {0, -1, 3, 4}, {1, 3, -1, 5}, {2, 4, 5, -1}};
    return pairs[a][b];
}

int tripleOf(int a, int b, int c)
{
    const int missing = 6 - a - b - c;  // the axis not in the triple
    return 3 - missing;  // 0,1,2 -> 0 (3 missing); 0,1,3 -> 1; 0,2,3 -> 2; 1,2,3 -> 3
}

}  // namespace

Executor::Executor(const Machine& machine, const Program& program, Options options)
    : machine_(machine)
    , options_(std::move(options))
{
    if (!options_.clock)
        options_.clock = steadySeconds;
    buildSteps(program);
    leavesSoftLimits_ = !softLimitViolations(program, machine_, programStart_).empty();
}

Executor::Executor(const Machine& machine, const Program& program)
    : Executor(machine, program, Options {})
{
}

Executor::~Executor()
{
    if (state_ == RunState::Ready)
        return;
    for (int i : programAxes_) {
        const auto axis = static_cast<ktr4_u8>(machine_.axes[i].axis);
        KTR4_set_continuous_flag(static_cast<ktr4_u8>(card_), axis, 0);
        KTR4_unfix_speed_range(static_cast<ktr4_u8>(card_), axis);
    }
}

void Executor::buildSteps(const Program& program)
{
    if (!program.moves.empty())
        programStart_ = program.moves.front().start;
    for (const CanonicalMove& move : program.moves) {
        Step step;
        step.line = move.line;
        switch (move.kind) {
        case MoveKind::StraightTraverse:
        case MoveKind::StraightFeed:
        case MoveKind::ArcFeed: {
            const size_t before = segments_.size();
            appendMoveSegments(move, machine_, segments_);
            if (segments_.size() == before)
                continue;
            if (!steps_.empty() && steps_.back().kind == Step::Motion) {
                steps_.back().last = segments_.size();
                continue;
            }
            step.kind = Step::Motion;
            step.first = before;
            step.last = segments_.size();
            break;
        }
        case MoveKind::Dwell:
            step.kind = Step::Dwell;
            step.seconds = move.seconds;
            break;
        case MoveKind::Output:
            step.kind = Step::Output;
            step.mcode = move.mcode;
            break;
        case MoveKind::ProgramPause:
            step.kind = Step::Pause;
            break;
        case MoveKind::ProgramEnd:
            step.kind = Step::End;
            break;
        }
        steps_.push_back(step);
    }
}

int32_t Executor::begin()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (state_ != RunState::Ready)
        return KTR4PATH_ERR_STATE;
    // The whole program's extent, arcs included, before anything moves.
    if (leavesSoftLimits_)
        return KTR4PATH_ERR_SOFT_LIMIT;
    programAxes_.clear();
    int card = -1;
    for (int i = 0; i < kAxisCount; ++i) {
        if (!machine_.axes[i].present)
            continue;
        if (card >= 0 && machine_.axes[i].card != card)
            return KTR4PATH_ERR_MACHINE;
        card = machine_.axes[i].card;
        programAxes_.push_back(i);
    }
    if (programAxes_.empty())
        return KTR4PATH_ERR_MACHINE;
    card_ = card;
    std::sort(programAxes_.begin(), programAxes_.end(),
              [this](int a, int b) { return machine_.axes[a].axis < machine_.axes[b].axis; });
    const auto c = static_cast<ktr4_u8>(card_);
    double fastest = 1;
    for (int i : programAxes_)
        fastest = std::max(fastest, machine_.axes[i].maxFeed / 60.0 * machine_.axes[i].pulsesPerUnit);
    for (int i : programAxes_) {
        const auto axis = static_cast<ktr4_u8>(machine_.axes[i].axis);
        int32_t position = 0;
        uint8_t stopped = 0;
        if (int32_t rc = KTR4_read_current_position(c, axis, &position); rc != KTR4_OK)
            return rc;
        if (int32_t rc = KTR4_read_motion_status(c, axis, 0, &stopped); rc != KTR4_OK)
            return rc;
        if (!stopped || position != machine_.axes[i].toPulses(programStart_[i]))
            return KTR4PATH_ERR_POSITION;
    }
    state_ = RunState::Running;  // from here the destructor restores the axes' modes
    for (int i : programAxes_) {
        const auto axis = static_cast<ktr4_u8>(machine_.axes[i].axis);
        if (int32_t rc = KTR4_set_continuous_flag(c, axis, 1); rc != KTR4_OK) {
            fail(rc);
            return rc;
        }
        if (int32_t rc =
                KTR4_fix_speed_range(c, axis, static_cast<int32_t>(std::min(std::ceil(fastest), kCardMaxPulseRate)));
            rc != KTR4_OK) {
            fail(rc);
            return rc;
        }
    }
    step_ = 0;
    enterStep();
    return error_;
}

void Executor::fail(int32_t code)
{
    error_ = code;
    state_ = RunState::Failed;
    pending_.clear();
}

void Executor::enterStep()
{
    pauseInMotion_ = false;
    while (step_ < steps_.size()) {
        const Step& step = steps_[step_];
        switch (step.kind) {
        case Step::Motion:
            cursor_ = step.first;
            cursorAlong_ = 0;
            speed_ = 0;
            state_ = RunState::Running;
            replan(false);
            return;
        case Step::Dwell:
            dwellEnd_ = options_.clock() + step.seconds;
            state_ = RunState::Dwelling;
            lastLine_ = step.line;
            return;
        case Step::Output:
            if (const OutputMapping* out = machine_.output(step.mcode)) {
                const int32_t rc =
                    KTR4_write_output_point(static_cast<ktr4_u8>(out->card), static_cast<ktr4_u8>(out->axis),
                                            static_cast<ktr4_u8>(out->point), out->on ? 1 : 0);
                if (rc != KTR4_OK) {
                    fail(rc);
                    return;
                }
            }
            lastLine_ = step.line;
            ++step_;
            continue;
        case Step::Pause:
            lastLine_ = step.line;
            ++step_;
            state_ = RunState::Paused;
            return;
        case Step::End:
            lastLine_ = step.line;
            state_ = RunState::Finished;
            return;
        }
    }
    state_ = RunState::Finished;
}

Segment Executor::plannedSegment(size_t index, double from, double to) const
{
    Segment s = segments_[index];
    if (from > 0 || to < s.length) {
        Position start = s.start, end = s.end;
        for (int i = 0; i < kAxisCount; ++i) {
            start[i] = s.start[i] + s.unit[i] * from;
            if (to < s.length)
                end[i] = s.start[i] + s.unit[i] * to;
        }
        s.start = start;
        s.end = end;
        s.length = to - from;
    }
    return withOverride(s);
}

Segment Executor::withOverride(Segment s) const
{
    if (s.kind != MoveKind::StraightTraverse)
        s.maxSpeed = std::min(s.maxSpeed * override_, s.limitSpeed);
    s.stopBefore = false;
    return s;
}

void Executor::replan(bool toHold)
{
    const Step& step = steps_[step_];
    runEnd_ = step.last - 1;
    runEndAlong_ = segments_[runEnd_].length;
    if (singleBlock_ && cursor_ < step.last) {
        runEnd_ = cursor_;
        while (runEnd_ + 1 < step.last && segments_[runEnd_ + 1].line == segments_[cursor_].line)
            ++runEnd_;
        runEndAlong_ = segments_[runEnd_].length;
    }
    if (toHold) {
        // The stop lies the braking distance ahead, at the lowest acceleration on the way.
        double accel = INFINITY, travelled = 0;
        for (size_t i = cursor_; i <= runEnd_; ++i) {
            accel = std::min(accel, segments_[i].accel);
            const double from = i == cursor_ ? cursorAlong_ : 0.0;
            const double available = segments_[i].length - from;
            const double need = speed_ * speed_ / (2 * accel) - travelled;
            if (need <= available) {
                runEnd_ = i;
                runEndAlong_ = from + std::max(0.0, need);
                break;
            }
            travelled += available;
        }
    }
    planner_ = std::make_unique<Planner>(machine_, options_.lookahead);
    planner_->startFrom(speed_);
    nextAdd_ = cursor_;
    firstAdd_ = cursor_;
    firstAlong_ = cursorAlong_;
    planFinished_ = false;
    sources_.clear();
    released_.clear();
    pending_.clear();
    runMoves_ = 0;
}

bool Executor::nextMove(Pending& out)
{
    while (pending_.empty()) {
        // A block waits for the one after it (the joint's turn decides how its exit is taken).
        if (released_.size() >= 2 || (!released_.empty() && planFinished_)) {
            const PlannedBlock block = released_.front();
            released_.pop_front();
            const Source source = sources_.front();
            sources_.pop_front();
            std::vector<CardMove> moves;
            const Segment* next = released_.empty() ? nullptr : &released_.front().segment;
            appendCardMoves(block, machine_, options_.shape, Incoming {speed_, direction_}, next, moves);
            for (CardMove& move : moves) {
                if (source.end > source.segment + 1) {
                    // A joined run: the cursor stays on the program's own segments.
                    const PieceAt at = pieceAt(segments_, source.segment, source.end, move.endAlong);
                    move.line = segments_[at.index].line;
                    pending_.push_back(Pending {move, at.index, at.along});
                } else {
                    pending_.push_back(Pending {move, source.segment, source.along + move.endAlong});
                }
            }
            continue;
        }
        if (planFinished_)
            return false;
        if (nextAdd_ <= runEnd_ && nextAdd_ < segments_.size()) {
            const double from = nextAdd_ == firstAdd_ ? firstAlong_ : 0.0;
            const double to = nextAdd_ == runEnd_ ? runEndAlong_ : segments_[nextAdd_].length;
            // Whole segments that lie on one line join into one, except in single block (each
            // line stops) and across the run's end.
            const bool wholeRunEnd = runEndAlong_ >= segments_[runEnd_].length - 1e-9;
            const size_t end = singleBlock_ || from > 0
                ? nextAdd_ + 1
                : straightRunEnd(segments_, nextAdd_, runEnd_ + (wholeRunEnd ? 1 : 0), machine_, override_);
            if (end > nextAdd_ + 1) {
                planner_->add(withOverride(joinedSegment(segments_, nextAdd_, end, machine_)));
                sources_.push_back(Source {nextAdd_, 0.0, end});
            } else if (to - from > 1e-9) {
                planner_->add(plannedSegment(nextAdd_, from, to));
                sources_.push_back(Source {nextAdd_, from, nextAdd_ + 1});
            }
            nextAdd_ = end;
        } else {
            planner_->finish();
            planFinished_ = true;
        }
        for (PlannedBlock& block : planner_->take())
            released_.push_back(block);
    }
    out = pending_.front();
    return true;
}

int32_t Executor::sendMove(const CardMove& move)
{
    const auto c = static_cast<ktr4_u8>(card_);
    const int32_t fl = pathPps(move.startSpeed, move.pulsesPerUnit);
    const int32_t fh = std::max<int32_t>(1, pathPps(move.topSpeed, move.pulsesPerUnit));
    const int32_t start = std::min(fl, fh);
    const double rise = fh > start ? std::max(0.0, (move.topSpeed - move.startSpeed) / move.accel) : 0.0;
    int32_t d[4] {};
    int axes[4] {};
    const size_t n = programAxes_.size();
    for (size_t k = 0; k < n; ++k) {
        const int i = programAxes_[k];
        d[k] = static_cast<int32_t>(move.target[i]);
        axes[k] = machine_.axes[i].axis;
    }
    switch (n) {
    case 1:
        return KTR4_TA_position_move(c, static_cast<ktr4_u8>(axes[0]), d[0], start, fh, rise, 0.0);
    case 2:
        return KTR4_T_curve_move_LINE2(c, static_cast<ktr4_u8>(pairOf(axes[0], axes[1])), d[0], d[1], 1, start, fh,
                                       rise, 0.0);
    case 3:
        return KTR4_T_curve_move_LINE3(c, static_cast<ktr4_u8>(tripleOf(axes[0], axes[1], axes[2])), d[0], d[1], d[2],
                                       1, start, fh, rise, 0.0);
    default:
        return KTR4_T_curve_move_LINE4(c, d[0], d[1], d[2], d[3], 1, start, fh, rise, 0.0);
    }
}

int32_t Executor::cardIdle(bool& idle) const
{
    idle = true;
    for (int i : programAxes_) {
        uint8_t stopped = 0;
        const int32_t rc = KTR4_read_motion_status(static_cast<ktr4_u8>(card_),
                                                   static_cast<ktr4_u8>(machine_.axes[i].axis), 0, &stopped);
        if (rc != KTR4_OK)
            return rc;
        idle = idle && stopped != 0;
    }
    return KTR4_OK;
}

void Executor::runComplete()
{
    speed_ = 0;
    runMoves_ = 0;
    planner_.reset();
    if (state_ == RunState::Holding) {
        state_ = RunState::Held;
    } else if (cursor_ >= steps_[step_].last) {
        ++step_;
        enterStep();
    } else {
        // Single block: the line is done.
        state_ = RunState::Paused;
        pauseInMotion_ = true;
    }
}

int32_t Executor::service()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (state_ == RunState::Dwelling) {
        if (options_.clock() >= dwellEnd_) {
            ++step_;
            enterStep();
        }
        return error_;
    }
    if (state_ != RunState::Running && state_ != RunState::Holding)
        return error_;
    bool idle = false;
    if (int32_t rc = cardIdle(idle); rc != KTR4_OK) {
        fail(rc);
        return rc;
    }
    Pending next;
    if (idle) {
        sentLines_.clear();
        if (!nextMove(next)) {
            runComplete();
            return error_;
        }
        if (runMoves_ > 0) {
            // The card ran out of moves in the middle of the run: go on from rest.
            ++underruns_;
            speed_ = 0;
            replan(state_ == RunState::Holding);
        }
    }
    const auto c = static_cast<ktr4_u8>(card_);
    const auto first = static_cast<ktr4_u8>(machine_.axes[programAxes_.front()].axis);
    bool full = false;
    while (nextMove(next)) {
        uint8_t buffered = 0;
        if (int32_t rc = KTR4_check_continuous_buffer(c, first, &buffered); rc != KTR4_OK) {
            fail(rc);
            return rc;
        }
        if (buffered) {
            full = true;
            break;
        }
        const int32_t rc = sendMove(next.move);
        if (rc == KTR4_ERR_BUFFER_FULL) {
            full = true;
            break;
        }
        if (rc != KTR4_OK) {
            fail(rc);
            return rc;
        }
        pending_.pop_front();
        ++movesSent_;
        ++runMoves_;
        sentLines_.push_back(next.move.line);
        lastLine_ = next.move.line;
        speed_ = next.move.topSpeed;
        direction_ = next.move.unit;
        cursor_ = next.segment;
        cursorAlong_ = next.along;
        if (cursorAlong_ >= segments_[cursor_].length - 1e-9) {
            ++cursor_;
            cursorAlong_ = 0;
        }
    }
    while (sentLines_.size() > (full ? 2u : 1u))
        sentLines_.pop_front();
    return error_;
}

bool Executor::over() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return state_ == RunState::Finished || state_ == RunState::Stopped || state_ == RunState::Failed;
}

void Executor::hold()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (state_ != RunState::Running)
        return;
    state_ = RunState::Holding;
    replan(true);
}

void Executor::resume()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (state_ == RunState::Held || state_ == RunState::Holding || (state_ == RunState::Paused && pauseInMotion_)) {
        state_ = RunState::Running;
        pauseInMotion_ = false;
        replan(false);
    } else if (state_ == RunState::Paused) {
        enterStep();
    }
}

bool Executor::setOverride(double percent)
{
    if (!(percent >= 10 && percent <= 200))
        return false;
    std::lock_guard<std::mutex> lock(mutex_);
    override_ = percent / 100;
    if (state_ == RunState::Running)
        replan(false);
    return true;
}

void Executor::setSingleBlock(bool on)
{
    std::lock_guard<std::mutex> lock(mutex_);
    singleBlock_ = on;
    if (state_ == RunState::Running)
        replan(false);
}

int32_t Executor::emergencyStop()
{
    // The card first, then the bookkeeping: nothing waits for a pass of service().
    const int32_t rc = KTR4_emg_stop(static_cast<ktr4_u8>(card_));
    std::lock_guard<std::mutex> lock(mutex_);
    if (state_ != RunState::Ready) {
        state_ = RunState::Stopped;
        pending_.clear();
    }
    return rc;
}

RunProgress Executor::progress() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    RunProgress p;
    p.state = state_;
    p.line = sentLines_.empty() ? lastLine_ : sentLines_.front();
    p.overridePercent = override_ * 100;
    p.movesSent = movesSent_;
    p.underruns = underruns_;
    p.error = error_;
    double sum = 0;
    for (int i : programAxes_) {
        const AxisConfig& axis = machine_.axes[i];
        int32_t pulses = 0;
        double pps = 0;
        if (KTR4_read_current_position(static_cast<ktr4_u8>(card_), static_cast<ktr4_u8>(axis.axis), &pulses)
            == KTR4_OK)
            p.position[i] = pulses / axis.pulsesPerUnit * axis.direction + 0.0;  // never -0
        if (KTR4_read_speed(static_cast<ktr4_u8>(card_), static_cast<ktr4_u8>(axis.axis), &pps) == KTR4_OK && i != kA)
            sum += (pps / axis.pulsesPerUnit) * (pps / axis.pulsesPerUnit);
    }
    p.feed = std::sqrt(sum) * 60;
    return p;
}

}  // namespace ktr4path
