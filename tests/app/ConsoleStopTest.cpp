// Console control events stop a command-line run as the window's Cancel button stops a save:
// Ctrl+C is handled and asks the run to stop; closing the console waits for the run's end.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "app/CStandaloneTarnwick.h"
#include "app/ConsoleStop.h"
#include "tests/support/ShellOpenRecorder.h"

TEST(ConsoleStopTest, CtrlCAndCtrlBreakAreHandledAndAskTheRunToStop)
{
    for (DWORD event : {static_cast<DWORD>(CTRL_C_EVENT), static_cast<DWORD>(CTRL_BREAK_EVENT)}) {
        ConsoleStop stop;
        EXPECT_FALSE(stop.Requested());
        EXPECT_TRUE(ConsoleStop::OnControl(event)) << "the process is not ended by the system";
        EXPECT_TRUE(stop.Requested());
    }
}

TEST(ConsoleStopTest, ClosingTheConsoleWaitsUntilTheRunHasFinished)
{
    auto stop = std::make_unique<ConsoleStop>();
    std::atomic<bool> returned{false};
    std::thread handler([&returned] {
        ConsoleStop::OnControl(CTRL_CLOSE_EVENT);
        returned = true;
    });
    ::Sleep(500);
    EXPECT_TRUE(stop->Requested());
    EXPECT_FALSE(returned.load()) << "the system would end the process before the log is moved";
    stop.reset();
    handler.join();
    EXPECT_TRUE(returned.load());
}

TEST(ConsoleStopTest, TheCommandLineRunAnswersStopOnceAsked)
{
    ShellOpenRecorder shell;
    CStandaloneTarnwick run(shell);
    EXPECT_TRUE(run.Progress(0.5));
    ConsoleStop::OnControl(CTRL_C_EVENT);
    EXPECT_FALSE(run.Progress(0.5));
}
