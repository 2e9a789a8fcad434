#include "tests/saving/SavingTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "discovery/SystemFolders.h"
#include "platform/Handles.h"
#include "saving/SaveLog.h"
#include "saving/SavePaths.h"
#include "tests/support/TempFolder.h"

std::vector<std::wstring> LogsIn(const std::wstring& folder)
{
    std::vector<std::wstring> logs;
    WIN32_FIND_DATAW data = {};
    UniqueFindHandle find(::FindFirstFileW((folder + L"\\Tarnwick-*-log.txt").c_str(), &data));
    if (!find)
        return logs;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            logs.push_back(data.cFileName);
    } while (::FindNextFileW(find.get(), &data));
    return logs;
}

std::string OnlyLogIn(const std::wstring& folder)
{
    const std::vector<std::wstring> logs = LogsIn(folder);
    EXPECT_EQ(logs.size(), 1u) << "logs in " << ::testing::PrintToString(folder);
    return logs.empty() ? std::string() : ReadFileBytes(folder + L"\\" + logs[0]);
}

void ExpectOpenedLog(const OpenVerbRecorder& recorder, const std::wstring& folder, const std::wstring& messages)
{
    const DWORD openTimeoutMs = 20000;
    const std::vector<std::wstring> logs = LogsIn(folder);
    ASSERT_EQ(logs.size(), 1u) << "logs in " << ::testing::PrintToString(folder);
    const std::wstring log = folder + L"\\" + logs[0];
    EXPECT_EQ(ReadFileBytes(log), LogBytes(messages));
    const std::vector<std::wstring> opened = recorder.WaitForOpened(1, openTimeoutMs);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(FullPathOf(opened[0]), FullPathOf(log));
}

void RemoveLogsInTemp()
{
    const std::wstring temp = SystemFolders::Current().tempDir;
    for (const std::wstring& name : LogsIn(temp))
        ::DeleteFileW((temp + L"\\" + name).c_str());
}

std::vector<std::wstring> Sorted(std::vector<std::wstring> entries)
{
    std::sort(entries.begin(), entries.end());
    return entries;
}

std::string LogBytes(const std::wstring& messages)
{
    std::string bytes;
    for (wchar_t c : messages) {
        if (c == L'\n')
            bytes += '\r';
        bytes += static_cast<char>(static_cast<unsigned char>(c));
    }
    return bytes;
}

LogNamesBlocked::LogNamesBlocked()
{
    FILETIME now = {};
    ::GetSystemTimeAsFileTime(&now);
    for (int second = 0; second < 60; ++second) {
        ULARGE_INTEGER ticks = {};
        ticks.LowPart = now.dwLowDateTime;
        ticks.HighPart = now.dwHighDateTime;
        ticks.QuadPart += static_cast<ULONGLONG>(second) * 10000000ULL;
        const FILETIME utc = {ticks.LowPart, ticks.HighPart};
        FILETIME localFile = {};
        SYSTEMTIME local = {};
        ::FileTimeToLocalFileTime(&utc, &localFile);
        ::FileTimeToSystemTime(&localFile, &local);
        blockers.push_back(SystemFolders::Current().tempDir + L"\\" + LogFileName(&local));
        EXPECT_TRUE(::CreateDirectoryW(blockers.back().c_str(), nullptr));
    }
}

LogNamesBlocked::~LogNamesBlocked()
{
    for (const std::wstring& blocker : blockers)
        ::RemoveDirectoryW(blocker.c_str());
}

bool RecordingReporter::Progress(double fraction)
{
    fractions.push_back(fraction);
    return !(stopAtFirst || fraction > stopAbove);
}
