// The one way the program runs work beside its caller: a job on a thread of its own, with a
// stop flag, a message to a window when it ends, and a wait with a time limit.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "platform/BackgroundTask.h"
#include "platform/Handles.h"

namespace {

const UINT kFinished = WM_APP + 7;

// A job that waits until the test lets it go on, so the test decides when it ends.
struct Gate {
    UniqueKernelHandle open{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    UniqueKernelHandle entered{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    void Pass() const
    {
        ::SetEvent(entered.get());
        ::WaitForSingleObject(open.get(), INFINITE);
    }
    void WaitEntered() const { ::WaitForSingleObject(entered.get(), INFINITE); }
    void Open() const { ::SetEvent(open.get()); }
};

// A message-only window of this thread that the task's end is posted to.
struct Listener {
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ~Listener() { ::DestroyWindow(window); }

    // The finished message's wParam; waits for it.
    WPARAM WaitForFinished() const
    {
        MSG message = {};
        while (::GetMessageW(&message, window, 0, 0) > 0) {
            if (message.message == kFinished)
                return message.wParam;
        }
        ADD_FAILURE() << "no finished message";
        return 0;
    }
};

} // namespace

TEST(BackgroundTask, RunsTheJobOnAThreadOfItsOwnAndPostsItsEnd)
{
    const Listener listener;
    BackgroundTask task;
    DWORD jobThread = 0;
    ASSERT_TRUE(task.Start([&jobThread](const std::atomic<bool>&) { jobThread = ::GetCurrentThreadId(); },
                           listener.window, kFinished, 42));
    EXPECT_EQ(listener.WaitForFinished(), 42u);
    EXPECT_TRUE(task.Wait(0));
    EXPECT_NE(jobThread, 0u);
    EXPECT_NE(jobThread, ::GetCurrentThreadId());
}

TEST(BackgroundTask, AWaitWithATimeLimitReturnsFalseWhileTheJobRuns)
{
    Gate gate;
    BackgroundTask task;
    ASSERT_TRUE(task.Start([&gate](const std::atomic<bool>&) { gate.Pass(); }));
    gate.WaitEntered();
    EXPECT_FALSE(task.Wait(0));
    EXPECT_FALSE(task.Wait(20));
    gate.Open();
    EXPECT_TRUE(task.Wait(INFINITE));
}

TEST(BackgroundTask, TheJobSeesTheStopFlagAndOneJobRunsAtATime)
{
    Gate gate;
    BackgroundTask task;
    EXPECT_TRUE(task.Wait(0));  // nothing started
    bool sawStop = false;
    ASSERT_TRUE(task.Start([&gate, &sawStop](const std::atomic<bool>& stop) {
        gate.Pass();
        sawStop = stop;
    }));
    gate.WaitEntered();
    EXPECT_FALSE(task.Start([](const std::atomic<bool>&) {}));
    EXPECT_FALSE(task.StopRequested());
    task.RequestStop();
    EXPECT_TRUE(task.StopRequested());
    gate.Open();
    ASSERT_TRUE(task.Wait(INFINITE));
    EXPECT_TRUE(sawStop);

    // The next job starts with its own, unset flag.
    bool nextSawStop = true;
    ASSERT_TRUE(task.Start([&nextSawStop](const std::atomic<bool>& stop) { nextSawStop = stop; }));
    ASSERT_TRUE(task.Wait(INFINITE));
    EXPECT_FALSE(nextSawStop);
}

TEST(BackgroundTask, AJobThatThrowsStillTellsItsEnd)
{
    const Listener listener;
    BackgroundTask task;
    ASSERT_TRUE(task.Start([](const std::atomic<bool>&) { throw std::runtime_error("failed"); }, listener.window,
                           kFinished, 3));
    EXPECT_EQ(listener.WaitForFinished(), 3u);
    EXPECT_TRUE(task.Wait(INFINITE));
}

TEST(BackgroundTask, AJobGivenUpOnFinishesAloneWithWhatItCaptured)
{
    auto gate = std::make_shared<Gate>();
    auto result = std::make_shared<int>(0);
    {
        BackgroundTask task;
        ASSERT_TRUE(task.Start([gate, result](const std::atomic<bool>&) {
            gate->Pass();
            *result = 7;
        }));
        gate->WaitEntered();
        EXPECT_FALSE(task.Wait(0));
    }
    // The task object is gone; the job still holds its own shares, finishes and then lets go.
    gate->Open();
    while (result.use_count() > 1)
        ::Sleep(5);
    EXPECT_EQ(*result, 7);
}
