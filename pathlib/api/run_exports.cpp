// The C surface of a run: an executor and the thread that serves it every millisecond.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

#include "api/objects.h"
#include "executor/executor.h"
#include "ktr4path.h"

struct ktr4path_run {
    std::unique_ptr<ktr4path::Executor> executor;
    std::thread thread;
    std::atomic<bool> quit {false};
    std::mutex mutex;
    std::condition_variable ended;
    bool over = false;
};

namespace {

void serve(ktr4path_run* run)
{
    while (!run->quit.load()) {
        run->executor->service();
        if (run->executor->over())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::lock_guard<std::mutex> lock(run->mutex);
    run->over = true;
    run->ended.notify_all();
}

}  // namespace

extern "C" {

KTR4PATH_API int32_t ktr4path_run_start(const ktr4path_machine* machine, const ktr4path_program* program,
                                        ktr4path_run** run)
{
    if (!machine || !program || !run)
        return KTR4PATH_ERR_ARGUMENT;
    try {
        auto made = std::make_unique<ktr4path_run>();
        made->executor = std::make_unique<ktr4path::Executor>(machine->machine, program->program);
        if (int32_t rc = made->executor->begin(); rc != KTR4PATH_OK)
            return rc;
        made->thread = std::thread(serve, made.get());
        *run = made.release();
        return KTR4PATH_OK;
    } catch (const std::bad_alloc&) {
        return KTR4PATH_ERR_ARGUMENT;
    } catch (const std::system_error&) {
        return KTR4PATH_ERR_ARGUMENT;
    }
}

KTR4PATH_API int32_t ktr4path_run_progress(const ktr4path_run* run, ktr4path_progress* progress)
{
    if (!run || !progress)
        return KTR4PATH_ERR_ARGUMENT;
    const ktr4path::RunProgress p = run->executor->progress();
    progress->state = static_cast<int32_t>(p.state);
    progress->line = p.line;
    for (int i = 0; i < ktr4path::kAxisCount; ++i)
        progress->position[i] = p.position[i];
    progress->feed = p.feed;
    progress->override_percent = p.overridePercent;
    progress->moves_sent = p.movesSent;
    progress->underruns = p.underruns;
    progress->error = p.error;
    return KTR4PATH_OK;
}

KTR4PATH_API int32_t ktr4path_run_hold(ktr4path_run* run)
{
    if (!run)
        return KTR4PATH_ERR_ARGUMENT;
    run->executor->hold();
    return KTR4PATH_OK;
}

KTR4PATH_API int32_t ktr4path_run_resume(ktr4path_run* run)
{
    if (!run)
        return KTR4PATH_ERR_ARGUMENT;
    run->executor->resume();
    return KTR4PATH_OK;
}

KTR4PATH_API int32_t ktr4path_run_set_override(ktr4path_run* run, double percent)
{
    if (!run || !run->executor->setOverride(percent))
        return KTR4PATH_ERR_ARGUMENT;
    return KTR4PATH_OK;
}

KTR4PATH_API int32_t ktr4path_run_single_block(ktr4path_run* run, int32_t on)
{
    if (!run)
        return KTR4PATH_ERR_ARGUMENT;
    run->executor->setSingleBlock(on != 0);
    return KTR4PATH_OK;
}

KTR4PATH_API int32_t ktr4path_run_emergency_stop(ktr4path_run* run)
{
    if (!run)
        return KTR4PATH_ERR_ARGUMENT;
    return run->executor->emergencyStop();
}

KTR4PATH_API int32_t ktr4path_run_wait(ktr4path_run* run, uint32_t milliseconds, int32_t* state)
{
    if (!run)
        return KTR4PATH_ERR_ARGUMENT;
    {
        std::unique_lock<std::mutex> lock(run->mutex);
        run->ended.wait_for(lock, std::chrono::milliseconds(milliseconds), [run] { return run->over; });
    }
    if (state)
        *state = static_cast<int32_t>(run->executor->progress().state);
    return KTR4PATH_OK;
}

KTR4PATH_API void ktr4path_run_free(ktr4path_run* run)
{
    if (!run)
        return;
    if (!run->executor->over())
        run->executor->emergencyStop();
    run->quit.store(true);
    if (run->thread.joinable())
        run->thread.join();
    delete run;
}

}  // extern "C"

static_assert(static_cast<int>(ktr4path::RunState::Failed) == KTR4PATH_RUN_FAILED);
