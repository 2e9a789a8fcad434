#include "platform/WorkerThread.h"

#include <utility>

WorkerThread::WorkerThread()
{
    thread_.reset(::CreateThread(nullptr, 0, &WorkerThread::ThreadMain, this, 0, nullptr));
}

WorkerThread::~WorkerThread()
{
    if (!thread_)
        return;
    ::AcquireSRWLockExclusive(&lock_);
    while (busy_)
        ::SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
    quitting_ = true;
    ::ReleaseSRWLockExclusive(&lock_);
    ::WakeAllConditionVariable(&changed_);
    ::WaitForSingleObject(thread_.get(), INFINITE);
}

void WorkerThread::Post(std::function<void()> job)
{
    if (!thread_) {
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

DWORD WINAPI WorkerThread::ThreadMain(LPVOID self)
{
    static_cast<WorkerThread*>(self)->RunJobs();
    return 0;
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
    }
}
