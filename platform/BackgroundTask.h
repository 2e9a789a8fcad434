// Work that runs on a thread of its own beside its caller: the main window's scan, a dialog's
// discovery, save or package check, one call of the driver installer. The job gets a stop flag
// that RequestStop sets; when it ends it can post a message to a window (its very last use of
// that window), and the caller can wait for it with a time limit.
//
// The job and its flag belong to the thread as much as to the task object, so either may be
// the last to let go: a job given up on (a time limit passed, the caller went away) finishes
// alone, and what it captured lives until then. A job that must not outlive its caller's data
// captures that data by value or by shared ownership.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>

class BackgroundTask {
public:
    using Job = std::function<void(const std::atomic<bool>& stop)>;

    BackgroundTask() noexcept = default;
    // Lets go of the job without waiting: a job still running finishes alone.
    ~BackgroundTask() = default;
    BackgroundTask(const BackgroundTask&) = delete;
    BackgroundTask& operator=(const BackgroundTask&) = delete;

    // Starts the job on a new thread. When it ends (an exception that leaves it is dropped),
    // `message` is posted to `window` with `kind` as its wParam, if a window is given. False
    // when a job of this task still runs or no thread could be started: the job never runs and
    // nothing is posted.
    bool Start(Job job, HWND window = nullptr, UINT message = 0, WPARAM kind = 0);

    // Sets the stop flag of the job in hand; the job decides when to look at it.
    void RequestStop() noexcept;
    // Whether a stop was asked of the job in hand (or of the last one, once it has ended).
    bool StopRequested() const noexcept;

    // Waits up to `milliseconds` (INFINITE for no limit) for the job in hand to end. True when
    // it has ended, or when no job was started.
    bool Wait(DWORD milliseconds) const;

private:
    struct Shared;
    static DWORD WINAPI ThreadMain(LPVOID handed);

    std::shared_ptr<Shared> shared_;
};
