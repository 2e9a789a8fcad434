// One thread that runs the jobs handed to it, one at a time, for as long as the object lives,
// so that work overlapping the caller's does not pay for a thread's start with every job
// (about a millisecond under Wine).
#pragma once

#include <windows.h>

#include <functional>

#include "platform/BackgroundTask.h"

class WorkerThread {
public:
    // Starts the thread. When it cannot start, every job runs on the caller's thread instead.
    WorkerThread();
    // Waits for the job in hand, then ends the thread.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Hands a job to the thread, after waiting for the one before. A job reports its own
    // failures: an exception that leaves it is dropped, and the thread goes on.
    void Post(std::function<void()> job);
    // Returns once the job in hand, if any, is done; what it wrote is then visible here.
    void Wait();

private:
    void RunJobs();
    static void RunGuarded(const std::function<void()>& job) noexcept;

    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
    std::function<void()> job_;
    bool busy_ = false;
    bool quitting_ = false;
    bool started_ = false;
    BackgroundTask thread_;
};
