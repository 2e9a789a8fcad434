// The console of the command-line run, in a GUI program started plainly (a console of its
// own, 500 lines, unbuffered streams) and with its output redirected to a file or a pipe
// (written there, no console).
#include <gtest/gtest.h>

#include <string>

#include "platform/Handles.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Wine.h"

namespace {

const DWORD kTimeoutMs = 30000;

std::wstring Probe()
{
    return BuildProgramPath("TARNWICK_CONSOLE_PROBE");
}

std::string ExpectedLines()
{
    std::string lines;
    for (int i = 0; i < 600; ++i)
        lines += "line " + std::to_string(i) + "\r\n";
    return lines + "Caf\xe9 line\r\nerror line\r\n";
}

class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(Probe().empty()) << "TARNWICK_CONSOLE_PROBE is not set"; }

    std::wstring CommandLine() const { return L"\"" + Probe() + L"\" \"" + report() + L"\""; }
    std::wstring report() const { return folder / L"report.txt"; }

    TempFolder folder;
};

} // namespace

TEST_F(ConsoleTest, PlainStartOpensAConsoleOfFiveHundredLines)
{
    ChildProcess child(CommandLine(), nullptr);
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(child.Wait(kTimeoutMs));
    EXPECT_EQ(child.ExitCode(), 0u);
    // 602 lines written into 500 rows, the last row being the cursor's: the earliest ones
    // scrolled away. The text was there before anything was flushed, and the 8-bit text
    // shows as ISO 8859-1.
    // Known Wine difference: its C runtime cannot reopen standard streams that started
    // unbound, so standard error stays unbound there and its line never shows.
    const std::string expected = RunningUnderWine()
        ? "console=1\nheight=500\nrow0=line 102\nbefore-last=line 599\nlast=Caf\xe9 line\n"
        : "console=1\nheight=500\nrow0=line 103\nbefore-last=Caf\xe9 line\nlast=error line\n";
    EXPECT_EQ(ReadFileBytes(report()), expected);
}

TEST_F(ConsoleTest, OutputRedirectedToAFileIsWrittenThere)
{
    const ProgramRun run = RunWithOutputToFile(CommandLine(), kTimeoutMs);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(ReadFileBytes(report()), "console=0\n") << "no console was opened";
    EXPECT_EQ(run.output, ExpectedLines());
}

TEST_F(ConsoleTest, OutputRedirectedToAPipeIsWrittenThere)
{
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), nullptr, TRUE};
    HANDLE readHandle = nullptr;
    HANDLE writeHandle = nullptr;
    ASSERT_TRUE(::CreatePipe(&readHandle, &writeHandle, &attributes, 0));
    const UniqueKernelHandle readEnd(readHandle);
    UniqueKernelHandle writeEnd(writeHandle);
    ::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    ChildProcess child(CommandLine(), writeEnd.get());
    // The child writes through its own copy; while this one stays open the pipe never ends.
    writeEnd.reset();
    ASSERT_TRUE(child.started());
    std::string received;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(readEnd.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
        received.append(buffer, read);
    ASSERT_TRUE(child.Wait(kTimeoutMs));
    EXPECT_EQ(received, ExpectedLines());
    EXPECT_EQ(ReadFileBytes(report()), "console=0\n");
}
