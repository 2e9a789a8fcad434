#include "platform/BackgroundTask.h"

#include <utility>

#include "platform/Handles.h"
#include "platform/Trace.h"

// What the thread and the task object hold together.
struct BackgroundTask::Shared {
    Job job;
    std::atomic<bool> stop{false};
    HWND window = nullptr;
    UINT message = 0;
    WPARAM kind = 0;
    // Signalled by the thread once the job has returned; waiting on it rather than on the
    // thread lets the thread's handle be closed at once.
    UniqueKernelHandle ended;
};

bool BackgroundTask::Start(Job job, HWND window, UINT message, WPARAM kind)
{
    if (!Wait(0))
        return false;
    auto shared = std::make_shared<Shared>();
    shared->job = std::move(job);
    shared->window = window;
    shared->message = message;
    shared->kind = kind;
    shared->ended.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!shared->ended)
        return false;
    // The thread gets its own share; it takes it back as the first thing it does.
    auto handed = std::make_unique<std::shared_ptr<Shared>>(shared);
    const UniqueKernelHandle thread(::CreateThread(nullptr, 0, &BackgroundTask::ThreadMain, handed.get(), 0, nullptr));
    if (!thread)
        return false;
    handed.release();
    shared_ = std::move(shared);
    return true;
}

void BackgroundTask::RequestStop() noexcept
{
    if (shared_)
        shared_->stop = true;
}

bool BackgroundTask::StopRequested() const noexcept
{
    return shared_ && shared_->stop;
}

bool BackgroundTask::Wait(DWORD milliseconds) const
{
    return !shared_ || ::WaitForSingleObject(shared_->ended.get(), milliseconds) == WAIT_OBJECT_0;
}

DWORD WINAPI BackgroundTask::ThreadMain(LPVOID handed)
{
    const std::shared_ptr<Shared> shared = std::move(*static_cast<std::shared_ptr<Shared>*>(handed));
    delete static_cast<std::shared_ptr<Shared>*>(handed);
    try {
        shared->job(shared->stop);
    } catch (...) {
        // The job reports its own failures; its end is told all the same.
        TraceFailure(L"a background task");
    }
    // Free what the job captured before anyone hears of its end.
    shared->job = nullptr;
    ::SetEvent(shared->ended.get());
    if (shared->window)
        ::PostMessageW(shared->window, shared->message, shared->kind, 0);
    return 0;
}
