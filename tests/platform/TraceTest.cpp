// Failure traces reach the debugger's output as one line naming the place and the failure.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Trace.h"

namespace {

#ifndef DBG_PRINTEXCEPTION_WIDE_C
#define DBG_PRINTEXCEPTION_WIDE_C 0x4001000AL
#endif

// Debug output is raised as an exception that a debugger would take; a vectored handler sees
// it first, as a debugger would, and keeps its text.
class DebugOutputRecorder {
public:
    DebugOutputRecorder() { handler = ::AddVectoredExceptionHandler(1, &DebugOutputRecorder::Record); }
    ~DebugOutputRecorder() { ::RemoveVectoredExceptionHandler(handler); }

    static std::vector<std::wstring>& Lines()
    {
        static std::vector<std::wstring> lines;
        return lines;
    }

private:
    static LONG CALLBACK Record(EXCEPTION_POINTERS* pointers)
    {
        const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
        if (record.ExceptionCode == DBG_PRINTEXCEPTION_WIDE_C && record.NumberParameters >= 2) {
            Lines().emplace_back(reinterpret_cast<const wchar_t*>(record.ExceptionInformation[1]));
            return EXCEPTION_CONTINUE_EXECUTION;
        }
        if (record.ExceptionCode == DBG_PRINTEXCEPTION_C && record.NumberParameters >= 2) {
            const char* text = reinterpret_cast<const char*>(record.ExceptionInformation[1]);
            Lines().emplace_back(text, text + std::char_traits<char>::length(text));
            return EXCEPTION_CONTINUE_EXECUTION;
        }
        return EXCEPTION_CONTINUE_SEARCH;
    }

    void* handler;
};

class TraceTest : public ::testing::Test {
protected:
    void SetUp() override { DebugOutputRecorder::Lines().clear(); }

    // The one line traced since the test began.
    std::wstring OnlyLine()
    {
        const std::vector<std::wstring>& lines = DebugOutputRecorder::Lines();
        EXPECT_EQ(lines.size(), 1u);
        return lines.empty() ? std::wstring() : lines.front();
    }

    DebugOutputRecorder recorder;
};

} // namespace

TEST_F(TraceTest, NamesThePlaceAndTheFailureOnOneLine)
{
    TraceFailure(L"copying card.sys", L"the volume is full");
    EXPECT_EQ(OnlyLine(), L"Tarnwick: copying card.sys: the volume is full\n");
}

TEST_F(TraceTest, GivesAnExceptionsOwnText)
{
    try {
        throw std::runtime_error("section [Install] missing");
    } catch (const std::exception& failure) {
        TraceFailure(L"file set search", failure);
    }
    EXPECT_EQ(OnlyLine(), L"Tarnwick: file set search: section [Install] missing\n");
}

TEST_F(TraceTest, FindsTheTextOfTheExceptionBeingHandled)
{
    try {
        throw std::bad_alloc();
    } catch (...) {
        TraceFailure(L"worker");
    }
    EXPECT_EQ(OnlyLine(), L"Tarnwick: worker: " + std::wstring(L"std::bad_alloc") + L"\n");
}

TEST_F(TraceTest, SaysWhenAnExceptionHasNoText)
{
    try {
        throw 42;
    } catch (...) {
        TraceFailure(L"worker");
    }
    EXPECT_EQ(OnlyLine(), L"Tarnwick: worker: unknown exception\n");
}

TEST_F(TraceTest, GivesTheSystemsTextForAnErrorCode)
{
    TraceFailure(L"opening the log", static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    const std::wstring line = OnlyLine();
    EXPECT_EQ(line.rfind(L"Tarnwick: opening the log: ", 0), 0u) << line;
    EXPECT_NE(line.find(L"(error 2)\n"), std::wstring::npos) << line;
    EXPECT_GT(line.size(), std::wstring(L"Tarnwick: opening the log: (error 2)\n").size()) << line;
}

TEST(SystemErrorTextTest, EndsInTheCodeAfterTheSystemsOwnMessage)
{
    const std::wstring text = SystemErrorText(ERROR_DISK_FULL);
    ASSERT_GT(text.size(), std::wstring(L"(error 112)").size()) << text;
    EXPECT_EQ(text.substr(text.size() - 12), L" (error 112)") << text;
    EXPECT_EQ(text.find(L'\n'), std::wstring::npos) << text;
    const std::wstring hex = SystemErrorText(0xE000020B);
    EXPECT_EQ(hex.substr(hex.size() - 18), L"(error 0xE000020B)") << hex;
}
