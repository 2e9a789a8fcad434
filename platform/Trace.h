// Failures that the program handles without stopping (a swallowed exception, a call that failed
// and is only skipped) still leave a trace: one line through OutputDebugStringW, which a
// debugger or DebugView shows, so a bug report has something to go on. None of these throws or
// allocates, so they can be called from any catch block, window procedure or system callback.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

// Writes "Tarnwick: <where>: <what>" as one debug output line. where names the place (a
// function, a step); what says what failed.
void TraceFailure(const wchar_t* where, const wchar_t* what) noexcept;
void TraceFailure(const wchar_t* where, const std::wstring& what) noexcept;
// The exception's own text.
void TraceFailure(const wchar_t* where, const std::exception& failure) noexcept;
// Inside a catch block: the exception being handled, with its own text when it is a
// std::exception, else "unknown exception". One call serves a catch (...) block.
void TraceFailure(const wchar_t* where) noexcept;
// The system's text for a Win32 error code, as SystemErrorText gives it.
void TraceFailure(const wchar_t* where, DWORD error) noexcept;

// The system's message for a Win32 error code followed by the code:
// "The system cannot find the file specified. (error 2)"; only "(error N)" when the system has
// no text for it. HRESULT-style codes are given in hex.
std::wstring SystemErrorText(DWORD error);
