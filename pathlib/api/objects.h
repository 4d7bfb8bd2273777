// The C surface's opaque objects, shared by the export files.
#pragma once

#include <vector>

#include "gcode/canonical.h"
#include "machine/machine.h"
#include "planner/planner.h"

struct ktr4path_machine {
    ktr4path::Machine machine;
};

struct ktr4path_program {
    ktr4path::Program program;
};

struct ktr4path_plan {
    std::vector<ktr4path::PlannedBlock> blocks;
    double seconds = 0;
};
