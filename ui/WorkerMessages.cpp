#include "ui/WorkerMessages.h"

#include <memory>

#include "platform/Handles.h"

namespace {

struct WorkerJob {
    HWND window;
    std::function<void()> task;
    WPARAM kind;
};

DWORD WINAPI RunWorkerJob(void* parameter)
{
    const std::unique_ptr<WorkerJob> job(static_cast<WorkerJob*>(parameter));
    try {
        job->task();
    } catch (...) {
        // The window is told below either way; what the run did is in its log or its list.
    }
    ::PostMessageW(job->window, WM_WORKER_FINISHED, job->kind, 0);
    return 0;
}

} // namespace

bool StartWorker(HWND window, std::function<void()> task, WPARAM kind)
{
    auto job = std::make_unique<WorkerJob>(WorkerJob{window, std::move(task), kind});
    UniqueKernelHandle thread(::CreateThread(nullptr, 0, RunWorkerJob, job.get(), 0, nullptr));
    if (!thread)
        return false;
    job.release();  // the worker owns it now
    return true;
}
