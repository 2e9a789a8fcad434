#include "restore/InstallRights.h"

#include <shellapi.h>

#include <vector>

#include "platform/Handles.h"
#include "platform/Trace.h"

const char kNoRightsMessage[] =
    "ERROR: Restoring drivers needs administrator rights.\n"
    "Start Tarnwick from a command prompt that runs as administrator.\n";

bool ProcessIsElevated()
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    const UniqueKernelHandle owned(token);
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    if (!::GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size))
        return false;
    return elevation.TokenIsElevated != 0;
}

bool RelaunchElevated(const std::wstring& arguments, DWORD& error)
{
    // Grow until the whole path fits: a cut path would start some other program.
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            error = ::GetLastError();
            return false;
        }
        if (length < path.size())
            break;
        path.resize(path.size() * 2);
    }
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOASYNC;
    info.lpVerb = L"runas";
    info.lpFile = path.data();
    info.lpParameters = arguments.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (::ShellExecuteExW(&info))
        return true;
    error = ::GetLastError();
    return false;
}

std::wstring RelaunchFailedMessage(DWORD error)
{
    if (error == ERROR_CANCELLED)
        return L"Restoring drivers needs administrator rights, and the request for them was declined.";
    return L"Restoring drivers needs administrator rights, and Tarnwick could not be started with them:\n" +
           SystemErrorText(error);
}
