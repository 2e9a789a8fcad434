// The message loop: filters before dispatch (the most recent first), idle handlers when the
// queue runs empty, WM_QUIT's code as the result, and one loop per thread in the module.
#include <gtest/gtest.h>

#include <vector>

#include "framework/AppModule.h"
#include "framework/CMessageLoop.h"
#include "tests/support/TestWindow.h"

namespace {

const UINT kProbe = WM_APP + 7;

class Filter : public CMessageFilter {
public:
    Filter(std::vector<int>& log, int id, bool swallow) : log_(log), id_(id), swallow_(swallow) {}
    bool PreTranslateMessage(MSG& message) override
    {
        if (message.message != kProbe)
            return false;
        log_.push_back(id_);
        return swallow_;
    }

private:
    std::vector<int>& log_;
    int id_;
    bool swallow_;
};

// Ends the loop with `code` the first time the queue is empty.
class QuitWhenIdle : public CIdleHandler {
public:
    explicit QuitWhenIdle(int code) : code_(code) {}
    bool OnIdle() override
    {
        if (calls++ == 0)
            ::PostQuitMessage(code_);
        return false;
    }
    int calls = 0;

private:
    int code_;
};

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kProbe) {
        ++*reinterpret_cast<int*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

TEST(MessageLoop, RunCallsIdleHandlersWhenTheQueueIsEmptyAndReturnsTheQuitCode)
{
    CMessageLoop loop;
    QuitWhenIdle idle(5);
    loop.AddIdleHandler(idle);
    EXPECT_EQ(loop.Run(), 5);
    EXPECT_EQ(idle.calls, 1);

    loop.RemoveIdleHandler(idle);
    ::PostQuitMessage(9);
    EXPECT_EQ(loop.Run(), 9);
    EXPECT_EQ(idle.calls, 1) << "a removed handler is not called";
}

TEST(MessageLoop, FiltersSeeMessagesNewestFirstAndASwallowedMessageIsNotDispatched)
{
    TestWindow window;
    int dispatched = 0;
    ::SetWindowLongPtrW(window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&dispatched));
    ::SetWindowLongPtrW(window.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc));

    std::vector<int> log;
    Filter first(log, 1, false);
    Filter second(log, 2, false);
    CMessageLoop loop;
    loop.AddMessageFilter(first);
    loop.AddMessageFilter(second);

    ::PostMessageW(window.get(), kProbe, 0, 0);
    ::PostQuitMessage(0);
    loop.Run();
    EXPECT_EQ(log, (std::vector<int>{2, 1}));
    EXPECT_EQ(dispatched, 1);

    Filter swallowing(log, 3, true);
    loop.AddMessageFilter(swallowing);
    log.clear();
    ::PostMessageW(window.get(), kProbe, 0, 0);
    ::PostQuitMessage(0);
    loop.Run();
    EXPECT_EQ(log, (std::vector<int>{3}));
    EXPECT_EQ(dispatched, 1) << "the swallowed message never reached the window";
}

TEST(MessageLoop, IdleMessagesAreThoseThatShowActivity)
{
    MSG message = {};
    message.message = WM_MOUSEMOVE;
    EXPECT_FALSE(CMessageLoop::IsIdleMessage(message));
    message.message = WM_PAINT;
    EXPECT_FALSE(CMessageLoop::IsIdleMessage(message));
    message.message = WM_KEYDOWN;
    EXPECT_TRUE(CMessageLoop::IsIdleMessage(message));
}

TEST(MessageLoop, ModuleKeepsOneLoopPerThread)
{
    CMessageLoop loop;
    CMessageLoop other;
    EXPECT_EQ(AppModule().GetMessageLoop(), nullptr);
    EXPECT_TRUE(AppModule().AddMessageLoop(loop));
    EXPECT_FALSE(AppModule().AddMessageLoop(other));
    EXPECT_EQ(AppModule().GetMessageLoop(), &loop);
    AppModule().RemoveMessageLoop();
    EXPECT_EQ(AppModule().GetMessageLoop(), nullptr);
}
