// Timing and memory readings for the benchmark programs.
#pragma once

#include <windows.h>
#include <psapi.h>

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
