// ktr4-run: runs a part program on the card a machine file names, or shows what it would do.
//
//   ktr4-run PROGRAM --machine MACHINE.toml [--dry-run [--json]] [--plot OUT.svg]
//
// Without --dry-run or --plot the program runs on the card (the simulated card unless
// KTR4IO_LIBRARY names another driver), starting where the axes stand, with a progress bar on a
// terminal (a plain line a second otherwise). Ctrl-C holds (brakes to a stop on the path) and
// then ends the run; a second Ctrl-C stops every axis at once. M0 waits for Enter.
// --dry-run prints the canonical moves (text, or JSON with --json) and the planned time;
// --plot draws the planned path and its speed. Exit status: 0 done, 1 the machine file or the
// program has an error or leaves a soft limit (said on standard error with its place) or the
// card failed, 2 the command line is wrong, 3 the run was stopped by Ctrl-C (or end of input at
// M0).
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "executor/executor.h"
#include "gcode/interpreter.h"
#include "gcode/program_error.h"
#include "ktr4.h"
#include "ktr4path.h"
#include "planner/extent.h"
#include "planner/planner.h"
#include "plot/path_plot.h"

namespace {

using namespace ktr4path;

constexpr const char* kUsage = "usage: ktr4-run PROGRAM --machine MACHINE.toml [--dry-run [--json]] [--plot OUT.svg]\n";

struct Options {
    std::string program, machine, plot;
    bool dryRun = false, json = false;
};

bool parse(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--machine" && i + 1 < argc)
            o.machine = argv[++i];
        else if (arg == "--plot" && i + 1 < argc)
            o.plot = argv[++i];
        else if (arg == "--dry-run")
            o.dryRun = true;
        else if (arg == "--json")
            o.json = true;
        else if (!arg.empty() && arg[0] != '-' && o.program.empty())
            o.program = arg;
        else
            return false;
    }
    return !o.program.empty() && !o.machine.empty() && (!o.json || o.dryRun);
}

// Seconds the planned motion takes, dwells included.
double plannedSeconds(const std::vector<PlannedBlock>& blocks, const Program& program)
{
    double seconds = 0;
    for (const PlannedBlock& b : blocks)
        seconds += b.duration();
    for (const CanonicalMove& m : program.moves)
        seconds += m.kind == MoveKind::Dwell ? m.seconds : 0.0;
    return seconds;
}

std::atomic<int> interrupts {0};

extern "C" void onInterrupt(int)
{
    interrupts.fetch_add(1);
}

const char* stateName(RunState state)
{
    static const char* names[] = {"ready",    "running",  "holding", "held",  "paused",
                                  "dwelling", "finished", "stopped", "failed"};
    return names[static_cast<int>(state)];
}

// Opens the card library and gives where the machine's axes stand (units): the program's start.
int32_t openCard(const Machine& machine, Position& start)
{
    if (int32_t rc = KTR4_initial(); rc != KTR4_OK)
        return rc;
    for (int i = 0; i < kAxisCount; ++i) {
        const AxisConfig& axis = machine.axes[i];
        if (!axis.present)
            continue;
        int32_t pulses = 0;
        if (int32_t rc =
                KTR4_read_current_position(static_cast<ktr4_u8>(axis.card), static_cast<ktr4_u8>(axis.axis), &pulses);
            rc != KTR4_OK)
            return rc;
        start[i] = pulses / axis.pulsesPerUnit * axis.direction + 0.0;
    }
    return KTR4_OK;
}

void showProgress(const RunProgress& p, int lastLine, bool terminal)
{
    const double share = lastLine > 0 ? std::min(1.0, static_cast<double>(p.line) / lastLine) : 1.0;
    if (terminal) {
        char bar[31];
        const int filled = static_cast<int>(share * 30);
        for (int i = 0; i < 30; ++i)
            bar[i] = i < filled ? '#' : '-';
        bar[30] = '\0';
        std::fprintf(stderr, "\r[%s] %3.0f%% line %d X%.3f Y%.3f Z%.3f F%.0f %s   ", bar, share * 100, p.line,
                     p.position[kX], p.position[kY], p.position[kZ], p.feed, stateName(p.state));
    } else {
        std::fprintf(stderr, "ktr4-run: %3.0f%% line %d X%.3f Y%.3f Z%.3f F%.0f %s\n", share * 100, p.line,
                     p.position[kX], p.position[kY], p.position[kZ], p.feed, stateName(p.state));
    }
}

// Why Executor::begin refused, in the user's words. A run drives one card: a machine whose axes
// are on several cards can be checked, dry-run and plotted, not run.
std::string startFailure(int32_t rc, const Machine& machine)
{
    if (rc == KTR4PATH_ERR_MACHINE) {
        std::string where;
        for (int i = 0; i < kAxisCount; ++i)
            if (machine.axes[i].present)
                where += std::string(where.empty() ? "" : ", ") + "XYZA"[i] + " on card "
                    + std::to_string(machine.axes[i].card);
        return "a run drives one card; the machine has " + where;
    }
    if (rc == KTR4PATH_ERR_POSITION)
        return "the axes must stand still where the program starts";
    return KTR4_error_text(rc);
}

// Runs the program on the card: serves the executor every millisecond, shows the progress,
// turns Ctrl-C into a hold and then an end. Returns the exit status.
int runOnCard(const Machine& machine, const Program& program)
{
    int lastLine = 0;
    for (const CanonicalMove& m : program.moves)
        lastLine = std::max(lastLine, m.line);
    Executor executor(machine, program);
    if (int32_t rc = executor.begin(); rc != 0) {
        std::fprintf(stderr, "ktr4-run: the run cannot start: %d (%s)\n", rc, startFailure(rc, machine).c_str());
        return 1;
    }
    std::signal(SIGINT, onInterrupt);
    const bool terminal = isatty(STDERR_FILENO) != 0;
    auto shown = std::chrono::steady_clock::now() - std::chrono::hours(1);
    int seen = 0;
    int status = 0;
    for (;;) {
        if (int32_t rc = executor.service(); rc != 0) {
            std::fprintf(stderr, "\nktr4-run: the card failed: %d (%s)\n", rc, KTR4_error_text(rc));
            status = 1;
            break;
        }
        const int now = interrupts.load();
        if (now != seen) {
            seen = now;
            if (now == 1) {
                executor.hold();
                std::fputs("\nktr4-run: holding (Ctrl-C again stops every axis at once)\n", stderr);
            } else {
                executor.emergencyStop();
            }
            status = 3;
        }
        const RunProgress p = executor.progress();
        const auto tick = std::chrono::steady_clock::now();
        if (tick - shown >= std::chrono::milliseconds(terminal ? 100 : 1000) || executor.over()) {
            shown = tick;
            showProgress(p, lastLine, terminal);
        }
        if (executor.over())
            break;
        if (p.state == RunState::Held && status == 3)
            break;  // the hold asked for by Ctrl-C is done: end here, standing on the path
        if (p.state == RunState::Paused) {
            std::fprintf(stderr, "\nktr4-run: paused at line %d: press Enter to go on\n", p.line);
            int c = 0;
            while ((c = std::getchar()) != EOF && c != '\n') { }
            if (c == EOF) {
                status = 3;
                break;
            }
            executor.resume();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const RunProgress p = executor.progress();
    if (terminal)
        std::fputc('\n', stderr);
    std::fprintf(stderr, "ktr4-run: %s at line %d, X%.4f Y%.4f Z%.4f A%.4f, %llu card moves\n", stateName(p.state),
                 p.line, p.position[kX], p.position[kY], p.position[kZ], p.position[kA],
                 static_cast<unsigned long long>(p.movesSent));
    if (p.state == RunState::Failed)
        return 1;
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parse(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    Machine machine;
    Program program;
    try {
        machine = loadMachineFile(options.machine);
        std::ifstream file(options.program, std::ios::binary);
        std::ostringstream text;
        if (!file || !(text << file.rdbuf())) {
            std::fprintf(stderr, "ktr4-run: %s: cannot be read\n", options.program.c_str());
            return 1;
        }
        Position start {};
        if (!options.dryRun && options.plot.empty()) {
            if (int32_t rc = openCard(machine, start); rc != KTR4_OK) {
                std::fprintf(stderr, "ktr4-run: the card cannot be opened: %d (%s)\n", rc, KTR4_error_text(rc));
                return 1;
            }
        }
        program = interpret(text.str(), machine, start);
    } catch (const MachineError& e) {
        std::fprintf(stderr, "ktr4-run: %s\n", e.what());
        return 1;
    } catch (const ProgramError& e) {
        std::fprintf(stderr, "ktr4-run: %s:%d:%d: %s\n", options.program.c_str(), e.line(), e.column(),
                     e.reason().c_str());
        return 1;
    }
    const auto violations =
        softLimitViolations(program, machine, program.moves.empty() ? Position {} : program.moves.front().start);
    for (const std::string& v : violations)
        std::fprintf(stderr, "ktr4-run: %s: %s\n", options.program.c_str(), v.c_str());
    if (!violations.empty())
        return 1;
    if (!options.dryRun && options.plot.empty())
        return runOnCard(machine, program);
    const std::vector<PlannedBlock> blocks = plan(toSegments(program, machine), machine);
    if (options.dryRun) {
        const std::string moves = options.json ? formatJson(program) : formatText(program);
        std::fwrite(moves.data(), 1, moves.size(), stdout);
        std::fprintf(stderr, "ktr4-run: %zu canonical moves, %zu planned blocks, %.3f s\n", program.moves.size(),
                     blocks.size(), plannedSeconds(blocks, program));
    }
    if (!options.plot.empty()) {
        std::ofstream out(options.plot, std::ios::binary | std::ios::trunc);
        out << pathPlotSvg(blocks, options.program);
        out.close();
        if (!out) {
            std::fprintf(stderr, "ktr4-run: %s: cannot be written\n", options.plot.c_str());
            return 1;
        }
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
