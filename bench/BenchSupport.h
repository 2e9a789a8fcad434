// Timing and memory readings for the benchmark programs.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <string>
#include <vector>

class Stopwatch {
public:
    Stopwatch() { ::QueryPerformanceCounter(&start_); }
    double Milliseconds() const
    {
        LARGE_INTEGER now, frequency;
        ::QueryPerformanceCounter(&now);
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
    }

private:
    LARGE_INTEGER start_;
};

// This process's memory readings now.
inline PROCESS_MEMORY_COUNTERS ProcessMemory()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    return counters;
}

// Peak working set of this process so far, in MiB.
inline double PeakWorkingSetMiB()
{
    return static_cast<double>(ProcessMemory().PeakWorkingSetSize) / (1024.0 * 1024.0);
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The build folder: a benchmark runs from its bench\ subfolder.
inline std::wstring BuildFolder()
{
    wchar_t path[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    folder.resize(folder.rfind(L'\\'));
    folder.resize(folder.rfind(L'\\'));
    return folder;
}

// Where a benchmark writes its copies: the folder TARNWICK_BENCH_WORK names (a RAM disk), or
// empty for the temporary folder.
inline std::wstring WorkParent()
{
    wchar_t parent[MAX_PATH] = L"";
    const DWORD length = ::GetEnvironmentVariableW(L"TARNWICK_BENCH_WORK", parent, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(parent, length) : std::wstring();
}
