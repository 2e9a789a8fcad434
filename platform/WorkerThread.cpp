#include "platform/WorkerThread.h"

#include <utility>

#include "platform/Trace.h"

WorkerThread::WorkerThread()
{
    started_ = thread_.Start([this](const std::atomic<bool>&) { RunJobs(); });
}

WorkerThread::~WorkerThread()
{
    if (!started_)
        return;
    ::AcquireSRWLockExclusive(&lock_);
    while (busy_)
        ::SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
    quitting_ = true;
    ::ReleaseSRWLockExclusive(&lock_);
    ::WakeAllConditionVariable(&changed_);
    thread_.Wait(INFINITE);
}

void WorkerThread::Post(std::function<void()> job)
{
    if (!started_) {
        RunGuarded(job);
        return;
    }
    ::AcquireSRWLockExclusive(&lock_);
    while (busy_)
        ::SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
    job_ = std::move(job);
    busy_ = true;
    ::ReleaseSRWLockExclusive(&lock_);
    ::WakeAllConditionVariable(&changed_);
}

void WorkerThread::Wait()
{
    ::AcquireSRWLockExclusive(&lock_);
    while (busy_)
        ::SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
    ::ReleaseSRWLockExclusive(&lock_);
}

void WorkerThread::RunJobs()
{
    ::AcquireSRWLockExclusive(&lock_);
    for (;;) {
        while (!busy_ && !quitting_)
            ::SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
        if (!busy_)
            break;
        std::function<void()> job = std::move(job_);
        ::ReleaseSRWLockExclusive(&lock_);
        RunGuarded(job);
        ::AcquireSRWLockExclusive(&lock_);
        busy_ = false;
        ::WakeAllConditionVariable(&changed_);
    }
    ::ReleaseSRWLockExclusive(&lock_);
}

void WorkerThread::RunGuarded(const std::function<void()>& job) noexcept
{
    try {
        job();
    } catch (...) {
        TraceFailure(L"a job of a worker thread");
    }
}
