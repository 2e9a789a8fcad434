#include "saving/RestoreKit.h"

#include <windows.h>

#include "platform/FileCopy.h"
#include "platform/ShellPath.h"
#include "platform/Trace.h"

namespace {

// Run from the backup's top. Without administrator rights (fltmc answers only to them) the
// program's copy is started once more through the "runas" verb, which is Windows' question
// for the rights; the paths travel in variables, so no quote or ampersand in them matters.
const char kScript[] =
    "@echo off\r\n"
    "rem Restores the drivers saved in this folder onto this PC with the copy of Tarnwick beside\r\n"
    "rem this file. Installing drivers needs administrator rights: Windows asks for them first.\r\n"
    "setlocal\r\n"
    "set \"TARNWICK_EXE=%~dp0tarnwick.exe\"\r\n"
    "set \"TARNWICK_BACKUP=%~dp0.\"\r\n"
    "fltmc >nul 2>&1 && goto restore\r\n"
    "powershell -NoProfile -Command \"Start-Process -Verb RunAs -FilePath $env:TARNWICK_EXE -ArgumentList "
    "('\\\"/restore:' + $env:TARNWICK_BACKUP + '\\\"')\"\r\n"
    "exit /b\r\n"
    ":restore\r\n"
    "\"%TARNWICK_EXE%\" \"/restore:%TARNWICK_BACKUP%\"\r\n";

const char kReadme[] =
    "This folder is a backup of device drivers made by Tarnwick: one folder per device, with its driver's files.\r\n"
    "To put them back on a PC, double-click \"Restore drivers.cmd\" (extract a zip first); Windows asks for "
    "administrator rights.\r\n";

std::wstring Failure(const std::wstring& name)
{
    return name + L": " + SystemErrorText(::GetLastError());
}

// Copies the file at path to the top under name; false when it cannot be read or put.
bool PutCopy(IBackupWriter& writer, const std::wstring& name, const std::wstring& path)
{
    const UniqueFileHandle source = OpenCopySource(path);
    FILETIME written = {};
    return source && ::GetFileTime(source.get(), nullptr, nullptr, &written) &&
           writer.PutTopFile(name, source.get(), written);
}

} // namespace

std::string RestoreScript()
{
    return kScript;
}

std::string RestoreReadme()
{
    return kReadme;
}

std::wstring RunningProgramPath()
{
    std::vector<wchar_t> buffer(kPathBufferLength);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return std::wstring();
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::vector<std::wstring> PutRestoreKit(IBackupWriter& writer, const std::wstring& program)
{
    std::vector<std::wstring> failed;
    if (!writer.PutTopFile(kRestoreScriptName, RestoreScript()))
        failed.push_back(Failure(kRestoreScriptName));
    if (!PutCopy(writer, kProgramCopyName, program))
        failed.push_back(Failure(kProgramCopyName));
    // The help file goes along when the program has one beside it.
    const std::wstring help = JoinPath(WithoutFileName(program), kHelpFileName);
    if (!help.empty() && ::GetFileAttributesW(help.c_str()) != INVALID_FILE_ATTRIBUTES &&
        !PutCopy(writer, kHelpFileName, help))
        failed.push_back(Failure(kHelpFileName));
    if (!writer.PutTopFile(kReadmeName, RestoreReadme()))
        failed.push_back(Failure(kReadmeName));
    return failed;
}
