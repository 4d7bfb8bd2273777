// Runs a part program on the simulated card's virtual clock, serving the executor every
// millisecond of card time, with actions at given card times, so that a test can read the
// card's recording (KTR4SIM_RECORD) of a whole run, made and finished as for any program.
//
// pathlib_run_recorded MACHINE PROGRAM [SECONDS ACTION]...   ACTION: hold, resume, estop,
// override=PERCENT, single=0|1. Prints each action with its card time, then the run's end.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "executor/executor.h"
#include "gcode/interpreter.h"
#include "ktr4.h"
#include "ktr4sim.h"
#include "machine/machine.h"

namespace {

double cardSeconds()
{
    return static_cast<double>(ktr4sim_now()) / static_cast<double>(KTR4SIM_TICKS_PER_SECOND);
}

struct Action {
    double at = 0;
    std::string what;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || argc % 2 == 0) {
        std::fprintf(stderr, "usage: %s MACHINE PROGRAM [SECONDS ACTION]...\n", argv[0]);
        return 2;
    }
    std::vector<Action> actions;
    for (int i = 3; i + 1 < argc; i += 2)
        actions.push_back(Action {std::atof(argv[i]), argv[i + 1]});
    if (KTR4_initial() != KTR4_OK || KTR4_init_card(0) != KTR4_OK) {
        std::fprintf(stderr, "no card\n");
        return 2;
    }
    ktr4sim_use_virtual_clock(1);
    try {
        const ktr4path::Machine machine = ktr4path::loadMachineFile(argv[1]);
        std::FILE* file = std::fopen(argv[2], "r");
        if (!file)
            return 2;
        std::string text;
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            text.append(buffer, n);
        std::fclose(file);
        const ktr4path::Program program = ktr4path::interpret(text, machine, {});
        ktr4path::Executor::Options options;
        options.clock = cardSeconds;
        ktr4path::Executor executor(machine, program, options);
        if (int32_t rc = executor.begin(); rc != 0) {
            std::fprintf(stderr, "begin: %d\n", rc);
            return 1;
        }
        const double started = cardSeconds();
        size_t next = 0;
        while (cardSeconds() - started < 600) {
            while (next < actions.size() && cardSeconds() - started >= actions[next].at) {
                const std::string& what = actions[next].what;
                std::printf("%s t=%.6f\n", what.c_str(), cardSeconds());
                if (what == "hold")
                    executor.hold();
                else if (what == "resume")
                    executor.resume();
                else if (what == "estop")
                    executor.emergencyStop();
                else if (what.rfind("override=", 0) == 0)
                    executor.setOverride(std::atof(what.c_str() + 9));
                else if (what.rfind("single=", 0) == 0)
                    executor.setSingleBlock(what[7] == '1');
                ++next;
            }
            if (executor.service() != 0)
                break;
            const ktr4path::RunState state = executor.progress().state;
            const bool waiting = state == ktr4path::RunState::Held || state == ktr4path::RunState::Paused;
            if (executor.over() || (waiting && next == actions.size()))
                break;
            ktr4sim_advance(KTR4SIM_TICKS_PER_SECOND / 1000);
        }
        // A little standing still at the end, so the record's last rows show the axes at rest.
        ktr4sim_advance(KTR4SIM_TICKS_PER_SECOND / 100);
        const ktr4path::RunProgress p = executor.progress();
        std::printf("end t=%.6f state=%d underruns=%llu moves=%llu\n", cardSeconds(), static_cast<int>(p.state),
                    static_cast<unsigned long long>(p.underruns), static_cast<unsigned long long>(p.movesSent));
        return p.state == ktr4path::RunState::Failed ? 1 : 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
