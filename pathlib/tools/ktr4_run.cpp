// ktr4-run: checks a part program against a machine and shows what it would do.
//
//   ktr4-run PROGRAM --machine MACHINE.toml [--dry-run [--json]] [--plot OUT.svg]
//
// --dry-run prints the canonical moves (text, or JSON with --json) and the planned time;
// --plot draws the planned path and its speed. Exit status: 0 done, 1 the machine file or the
// program has an error or leaves a soft limit (said on standard error with its place), 2 the
// command line is wrong.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "gcode/interpreter.h"
#include "gcode/program_error.h"
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
        program = interpret(text.str(), machine);
    } catch (const MachineError& e) {
        std::fprintf(stderr, "ktr4-run: %s\n", e.what());
        return 1;
    } catch (const ProgramError& e) {
        std::fprintf(stderr, "ktr4-run: %s:%d:%d: %s\n", options.program.c_str(), e.line(), e.column(),
                     e.reason().c_str());
        return 1;
    }
    const auto violations = softLimitViolations(program, machine, {});
    for (const std::string& v : violations)
        std::fprintf(stderr, "ktr4-run: %s: %s\n", options.program.c_str(), v.c_str());
    if (!violations.empty())
        return 1;
    if (!options.dryRun && options.plot.empty()) {
        std::fputs("ktr4-run: the program and the machine file are correct. Running on the card is not in this "
                   "version: use --dry-run or --plot.\n",
                   stderr);
        return 2;
    }
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
