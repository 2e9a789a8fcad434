#include "tests/saving/SavingTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>

#include "discovery/SystemFolders.h"
#include "platform/Handles.h"
#include "log/SaveLog.h"
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

void ExpectOpenedLog(const std::vector<std::wstring>& opened, const std::wstring& folder, const std::wstring& messages)
{
    const std::vector<std::wstring> logs = LogsIn(folder);
    ASSERT_EQ(logs.size(), 1u) << "logs in " << ::testing::PrintToString(folder);
    const std::wstring log = folder + L"\\" + logs[0];
    EXPECT_EQ(ReadFileBytes(log), LogBytes(messages));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], WithBackslash(folder) + logs[0]);
}

std::string ReadLogBeingWritten(const std::wstring& path)
{
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (file && ::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

void RemoveLogsInTemp()
{
    const std::wstring temp = ReadSystemFolders().tempDir;
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

namespace {

const char kOtherRunsLog[] = "another run's log\r\n";

// The plain log names of the next minute, local time, in folder.
std::vector<std::wstring> LogNamesOfTheNextMinute(const std::wstring& folder, const std::wstring& kind)
{
    std::vector<std::wstring> names;
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
        names.push_back(folder + L"\\" + LogFileName(&local, kind));
    }
    return names;
}

std::wstring Environment(const wchar_t* name)
{
    std::vector<wchar_t> value(32767, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    return std::wstring(value.data(), length);
}

void SetEnvironment(const wchar_t* name, const std::wstring& value)
{
    ::SetEnvironmentVariableW(name, value.empty() ? nullptr : value.c_str());
}

} // namespace

TempFolderBlocked::TempFolderBlocked()
    : blocker(ReadSystemFolders().tempDir + L"\\tarnwick-temp-blocker")
    , tmp(Environment(L"TMP"))
    , temp(Environment(L"TEMP"))
{
    EXPECT_TRUE(WriteFileBytes(blocker, "a file where the temporary folder's parent would be"));
    SetEnvironment(L"TMP", blocker + L"\\temp");
    SetEnvironment(L"TEMP", blocker + L"\\temp");
}

TempFolderBlocked::~TempFolderBlocked()
{
    SetEnvironment(L"TMP", tmp);
    SetEnvironment(L"TEMP", temp);
    ::DeleteFileW(blocker.c_str());
}

TempFolderFull::TempFolderFull() : tmp(Environment(L"TMP")), temp(Environment(L"TEMP"))
{
    const std::wstring volume = SmallVolume();
    if (volume.empty())
        return;
    const std::wstring full = volume + L"\\full-temp";
    if (!CreateFolderPath(FolderOf(full)))
        return;
    filler = volume + L"\\filler.bin";
    UniqueFileHandle file(::CreateFileW(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file)
        return;
    // Written until not one more byte goes in.
    const std::vector<char> chunk(1 << 16, 'f');
    for (DWORD size = static_cast<DWORD>(chunk.size()); size > 0;) {
        DWORD written = 0;
        if (!::WriteFile(file.get(), chunk.data(), size, &written, nullptr) || written < size)
            size /= 2;
    }
    folder = full;
    SetEnvironment(L"TMP", folder);
    SetEnvironment(L"TEMP", folder);
}

void TempFolderFull::FreeRoom()
{
    if (!filler.empty())
        EXPECT_TRUE(::DeleteFileW(filler.c_str()));
    filler.clear();
}

TempFolderFull::~TempFolderFull()
{
    SetEnvironment(L"TMP", tmp);
    SetEnvironment(L"TEMP", temp);
    if (!filler.empty())
        ::DeleteFileW(filler.c_str());
    if (!folder.empty())
        RemoveTree(folder);
}

OtherRunsLogs::OtherRunsLogs(const std::wstring& folder, const std::wstring& kind)
    : logs(LogNamesOfTheNextMinute(folder.empty() ? ReadSystemFolders().tempDir : folder, kind))
{
    for (const std::wstring& log : logs)
        EXPECT_TRUE(WriteFileBytes(log, kOtherRunsLog));
}

OtherRunsLogs::~OtherRunsLogs()
{
    for (const std::wstring& log : logs)
        ::DeleteFileW(log.c_str());
}

bool OtherRunsLogs::Untouched() const
{
    for (const std::wstring& log : logs) {
        if (ReadFileBytes(log) != kOtherRunsLog)
            return false;
    }
    return true;
}

bool RecordingReporter::Progress(double fraction)
{
    fractions.push_back(fraction);
    return !(stopAtFirst || fraction > stopAbove);
}

std::wstring SmallVolume()
{
    wchar_t folder[MAX_PATH] = L"";
    const DWORD length = ::GetEnvironmentVariableW(L"TARNWICK_SMALL_VOLUME", folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::wstring();
    uint64_t freeBytes = 0;
    // A folder of an ordinary disk has far more room than the few megabytes mounted for the test.
    if (!GetFreeSpace(folder, freeBytes) || freeBytes > (64u << 20))
        return std::wstring();
    return folder;
}

std::wstring SystemReason(DWORD error)
{
    wchar_t text[512] = L"";
    DWORD size = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, error, 0, text, 512, nullptr);
    while (size > 0 && std::iswspace(text[size - 1]))
        text[--size] = L'\0';
    return std::wstring(text) + (size > 0 ? L" " : L"") + L"(error " + std::to_wstring(error) + L")";
}
