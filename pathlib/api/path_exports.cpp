// The C surface: objects behind opaque pointers, every C++ exception turned into a result code
// and a filled-in error, so nothing throws across the C boundary.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <fstream>
#include <new>
#include <sstream>

#include "api/objects.h"
#include "gcode/interpreter.h"
#include "gcode/program_error.h"
#include "ktr4path.h"
#include "machine/machine.h"
#include "planner/extent.h"
#include "planner/planner.h"

namespace {

void report(ktr4path_error* error, int line, int column, const char* text)
{
    if (!error)
        return;
    error->line = line;
    error->column = column;
    std::snprintf(error->text, sizeof error->text, "%s", text);
}

int32_t readProgram(const ktr4path_machine* machine, const std::string& text, const double* start,
                    ktr4path_program** program, ktr4path_error* error)
{
    ktr4path::Position origin {};
    if (start)
        std::copy(start, start + ktr4path::kAxisCount, origin.begin());
    try {
        auto* made = new ktr4path_program {ktr4path::interpret(text, machine->machine, origin)};
        *program = made;
        report(error, 0, 0, "");
        return KTR4PATH_OK;
    } catch (const ktr4path::ProgramError& e) {
        report(error, e.line(), e.column(), e.reason().c_str());
        return KTR4PATH_ERR_PROGRAM;
    } catch (const std::bad_alloc&) {
        report(error, 0, 0, "out of memory");
        return KTR4PATH_ERR_PROGRAM;
    }
}

}  // namespace

extern "C" {

KTR4PATH_API int32_t ktr4path_load_machine(const char* path, ktr4path_machine** machine, ktr4path_error* error)
{
    if (!path || !machine) {
        report(error, 0, 0, "path and machine must not be NULL");
        return KTR4PATH_ERR_ARGUMENT;
    }
    try {
        *machine = new ktr4path_machine {ktr4path::loadMachineFile(path)};
        report(error, 0, 0, "");
        return KTR4PATH_OK;
    } catch (const ktr4path::MachineError& e) {
        report(error, e.line(), e.column(), e.what());
        return KTR4PATH_ERR_MACHINE;
    } catch (const std::bad_alloc&) {
        report(error, 0, 0, "out of memory");
        return KTR4PATH_ERR_MACHINE;
    }
}

KTR4PATH_API void ktr4path_free_machine(ktr4path_machine* machine)
{
    delete machine;
}

KTR4PATH_API int32_t ktr4path_read_program(const ktr4path_machine* machine, const char* text, const double* start,
                                           ktr4path_program** program, ktr4path_error* error)
{
    if (!machine || !text || !program) {
        report(error, 0, 0, "machine, text and program must not be NULL");
        return KTR4PATH_ERR_ARGUMENT;
    }
    return readProgram(machine, text, start, program, error);
}

KTR4PATH_API int32_t ktr4path_read_program_file(const ktr4path_machine* machine, const char* path, const double* start,
                                                ktr4path_program** program, ktr4path_error* error)
{
    if (!machine || !path || !program) {
        report(error, 0, 0, "machine, path and program must not be NULL");
        return KTR4PATH_ERR_ARGUMENT;
    }
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    if (!(file && text << file.rdbuf())) {
        report(error, 0, 0, (std::string(path) + ": cannot be read").c_str());
        return KTR4PATH_ERR_FILE;
    }
    return readProgram(machine, text.str(), start, program, error);
}

KTR4PATH_API int32_t ktr4path_program_move_count(const ktr4path_program* program, uint32_t* count)
{
    if (!program || !count)
        return KTR4PATH_ERR_ARGUMENT;
    *count = static_cast<uint32_t>(program->program.moves.size());
    return KTR4PATH_OK;
}

KTR4PATH_API int32_t ktr4path_program_move(const ktr4path_program* program, uint32_t index, ktr4path_move* move)
{
    if (!program || !move || index >= program->program.moves.size())
        return KTR4PATH_ERR_ARGUMENT;
    const ktr4path::CanonicalMove& m = program->program.moves[index];
    *move = ktr4path_move {};
    move->kind = static_cast<int32_t>(m.kind);
    move->line = m.line;
    move->n = static_cast<int32_t>(m.n);
    std::copy(m.start.begin(), m.start.end(), move->start);
    std::copy(m.end.begin(), m.end.end(), move->end);
    move->feed = m.feed;
    move->plane = static_cast<int32_t>(m.plane);
    move->centre[0] = m.centre[0];
    move->centre[1] = m.centre[1];
    move->turns = m.turns;
    move->seconds = m.seconds;
    move->mcode = m.mcode;
    return KTR4PATH_OK;
}

KTR4PATH_API int32_t ktr4path_write_dry_run(const ktr4path_program* program, int32_t format, const char* path)
{
    if (!program || (format != KTR4PATH_FORMAT_TEXT && format != KTR4PATH_FORMAT_JSON))
        return KTR4PATH_ERR_ARGUMENT;
    const std::string text = format == KTR4PATH_FORMAT_TEXT ? ktr4path::formatText(program->program)
                                                            : ktr4path::formatJson(program->program);
    if (!path) {
        const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
        return written && std::fflush(stdout) == 0 ? KTR4PATH_OK : KTR4PATH_ERR_FILE;
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    return file ? KTR4PATH_OK : KTR4PATH_ERR_FILE;
}

KTR4PATH_API void ktr4path_free_program(ktr4path_program* program)
{
    delete program;
}

KTR4PATH_API int32_t ktr4path_check_soft_limits(const ktr4path_machine* machine, const ktr4path_program* program,
                                                ktr4path_error* error)
{
    if (!machine || !program) {
        report(error, 0, 0, "machine and program must not be NULL");
        return KTR4PATH_ERR_ARGUMENT;
    }
    const auto& moves = program->program.moves;
    const ktr4path::Position start = moves.empty() ? ktr4path::Position {} : moves.front().start;
    const auto violations = ktr4path::softLimitViolations(program->program, machine->machine, start);
    if (violations.empty()) {
        report(error, 0, 0, "");
        return KTR4PATH_OK;
    }
    // "line N: ..." gives the line.
    report(error, std::atoi(violations.front().c_str() + 5), 0, violations.front().c_str());
    return KTR4PATH_ERR_SOFT_LIMIT;
}

KTR4PATH_API int32_t ktr4path_plan_program(const ktr4path_machine* machine, const ktr4path_program* program,
                                           uint32_t lookahead, ktr4path_plan** plan)
{
    if (!machine || !program || !plan)
        return KTR4PATH_ERR_ARGUMENT;
    auto made = std::make_unique<ktr4path_plan>();
    made->blocks =
        ktr4path::plan(ktr4path::toSegments(program->program, machine->machine), machine->machine, lookahead);
    for (const auto& block : made->blocks)
        made->seconds += block.duration();
    for (const auto& move : program->program.moves)
        made->seconds += move.kind == ktr4path::MoveKind::Dwell ? move.seconds : 0.0;
    *plan = made.release();
    return KTR4PATH_OK;
}

KTR4PATH_API int32_t ktr4path_plan_block_count(const ktr4path_plan* plan, uint32_t* count)
{
    if (!plan || !count)
        return KTR4PATH_ERR_ARGUMENT;
    *count = static_cast<uint32_t>(plan->blocks.size());
    return KTR4PATH_OK;
}

KTR4PATH_API int32_t ktr4path_plan_block(const ktr4path_plan* plan, uint32_t index, ktr4path_block* block)
{
    if (!plan || !block || index >= plan->blocks.size())
        return KTR4PATH_ERR_ARGUMENT;
    const ktr4path::PlannedBlock& b = plan->blocks[index];
    *block = ktr4path_block {};
    block->line = b.segment.line;
    block->kind = static_cast<int32_t>(b.segment.kind);
    std::copy(b.segment.start.begin(), b.segment.start.end(), block->start);
    std::copy(b.segment.end.begin(), b.segment.end.end(), block->end);
    block->length = b.segment.length;
    block->entry_speed = b.entrySpeed * 60;
    block->peak_speed = b.peakSpeed * 60;
    block->exit_speed = b.exitSpeed * 60;
    block->max_speed = b.segment.maxSpeed * 60;
    block->accel = b.segment.accel;
    block->seconds = b.duration();
    return KTR4PATH_OK;
}

KTR4PATH_API int32_t ktr4path_plan_seconds(const ktr4path_plan* plan, double* seconds)
{
    if (!plan || !seconds)
        return KTR4PATH_ERR_ARGUMENT;
    *seconds = plan->seconds;
    return KTR4PATH_OK;
}

KTR4PATH_API void ktr4path_free_plan(ktr4path_plan* plan)
{
    delete plan;
}

KTR4PATH_API const char* ktr4path_error_text(int32_t code)
{
    switch (code) {
    case KTR4PATH_OK:
        return "done";
    case KTR4PATH_ERR_ARGUMENT:
        return "an argument is NULL or out of range";
    case KTR4PATH_ERR_MACHINE:
        return "the machine file cannot be read or holds a value out of range";
    case KTR4PATH_ERR_PROGRAM:
        return "the part program has an error";
    case KTR4PATH_ERR_FILE:
        return "a file could not be read or written";
    case KTR4PATH_ERR_SOFT_LIMIT:
        return "the program leaves a soft limit of the machine";
    case KTR4PATH_ERR_POSITION:
        return "the card's axes do not stand where the program starts";
    case KTR4PATH_ERR_STATE:
        return "the run cannot do that now";
    default:
        return "unknown result code";
    }
}

}  // extern "C"

// The C kinds and planes are the C++ enumerators in the same order.
static_assert(static_cast<int>(ktr4path::MoveKind::ProgramEnd) == KTR4PATH_PROGRAM_END);
static_assert(static_cast<int>(ktr4path::MoveKind::ArcFeed) == KTR4PATH_ARC_FEED);
static_assert(static_cast<int>(ktr4path::Plane::YZ) == KTR4PATH_PLANE_YZ);
