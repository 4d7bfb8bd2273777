// Runs a program on the card: plans it block by block, turns the blocks into the card's queued
// line moves and keeps the card's continuous buffer (one pending move) filled. Everything acts
// at the end of the moves already handed to the card (the running and the pending one): a feed
// override or single block plans again from there, a hold plans a stop from there within the
// braking distance the axes' accelerations allow. The emergency stop stops every axis at once.
// Runs of G1 lines on one line within the chord tolerance are planned as one segment
// (planner/straight_runs.h), except in single block; the cursor stays on the program's segments.
//
// service() does one pass and never waits, so a thread can call it every millisecond, and a
// test can call it between steps of the simulated card's virtual clock. Every method may be
// called from any thread.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "executor/card_moves.h"
#include "gcode/canonical.h"
#include "machine/machine.h"
#include "planner/planner.h"

namespace ktr4path {

enum class RunState {
    Ready,  // begin() not called yet
    Running,
    Holding,  // braking to a stop on the path
    Held,  // stopped by a hold; resume() goes on
    Paused,  // M0 or single block; resume() goes on
    Dwelling,
    Finished,
    Stopped,  // emergency stop
    Failed,  // a card call failed (error())
};

struct RunProgress {
    RunState state = RunState::Ready;
    int line = 0;  // program line of the move the card runs (or ran last)
    Position position {};  // where the axes stand, units
    double feed = 0;  // units/min along the path, now
    double overridePercent = 100;
    uint64_t movesSent = 0;  // card moves handed to the card
    uint64_t underruns = 0;  // times the card ran out of moves in the middle of a run
    int32_t error = 0;  // the failing call's result code when Failed
};

class Executor {
public:
    struct Options {
        size_t lookahead = 256;
        MoveShape shape;
        // Seconds of a monotonic clock, for dwells (the card's own time in tests).
        std::function<double()> clock;
    };

    Executor(const Machine& machine, const Program& program, Options options);
    Executor(const Machine& machine, const Program& program);
    ~Executor();
    Executor(const Executor&) = delete;
    Executor& operator=(const Executor&) = delete;

    // Checks that the program stays within the machine's soft limits and that the machine's axes
    // are on one card and stand where the program starts, puts
    // them in continuous mode with a speed range for their fastest feed, and starts the run.
    // Returns 0, a KTR4PATH_ code, or the card's code.
    int32_t begin();
    // One pass: reads the card, hands it what its buffer takes, moves through dwells, outputs
    // and stops. Returns 0 or the failing card call's code (the run is then Failed).
    int32_t service();
    // Whether the run is over (Finished, Stopped or Failed).
    bool over() const;

    void hold();
    void resume();
    // 10..200 % of the programmed feeds (G1, G2, G3; rapids keep their speed). Out of range: false.
    bool setOverride(double percent);
    void setSingleBlock(bool on);
    // Stops every axis of the card at once (one card command); the run is Stopped.
    int32_t emergencyStop();

    RunProgress progress() const;

private:
    struct Step {
        enum Kind { Motion, Dwell, Output, Pause, End } kind = Motion;
        size_t first = 0, last = 0;  // Motion: segments [first, last)
        int line = 0;
        double seconds = 0;
        int mcode = 0;
    };
    struct Source {
        size_t segment = 0;
        double along = 0;  // where the planned piece of the segment starts
        size_t end = 0;  // segments [segment, end) joined into one straight run (end > segment + 1)
    };
    struct Pending {
        CardMove move;
        size_t segment = 0;
        double along = 0;  // where the move ends along the program segment
    };

    void buildSteps(const Program& program);
    void enterStep();
    void replan(bool toHold);
    bool nextMove(Pending& out);
    Segment plannedSegment(size_t index, double from, double to) const;
    Segment withOverride(Segment s) const;
    int32_t sendMove(const CardMove& move);
    int32_t cardIdle(bool& idle) const;
    void runComplete();
    void fail(int32_t code);

    const Machine& machine_;
    Options options_;
    std::vector<Segment> segments_;
    std::vector<Step> steps_;
    Position programStart_ {};
    bool leavesSoftLimits_ = false;
    int card_ = 0;
    std::vector<int> programAxes_;  // present program axes in the order of their card axes

    mutable std::mutex mutex_;
    RunState state_ = RunState::Ready;
    int32_t error_ = 0;
    size_t step_ = 0;
    double dwellEnd_ = 0;
    double override_ = 1.0;
    bool singleBlock_ = false;
    // The run in progress: moves handed to the card end at the cursor, at speed_.
    size_t cursor_ = 0;
    double cursorAlong_ = 0;
    double speed_ = 0;
    std::array<double, kAxisCount> direction_ {};  // of the last move handed to the card
    size_t runEnd_ = 0;  // the run stops at (runEnd_, runEndAlong_): 0 along = the segment's start
    double runEndAlong_ = 0;
    size_t nextAdd_ = 0;
    size_t firstAdd_ = 0;
    double firstAlong_ = 0;  // where the plan's first segment begins
    bool pauseInMotion_ = false;  // single block paused in the middle of a motion step
    bool planFinished_ = false;
    std::unique_ptr<Planner> planner_;
    std::deque<Source> sources_;
    std::deque<PlannedBlock> released_;
    std::deque<Pending> pending_;
    std::deque<int> sentLines_;  // lines of the moves the card may still be running
    int lastLine_ = 0;
    uint64_t movesSent_ = 0, runMoves_ = 0, underruns_ = 0;
};

}  // namespace ktr4path
