// What makes a backup restore itself on a new PC: "Restore drivers.cmd", which restores the
// folder it lies in with the copy of the program beside it (asking Windows for administrator
// rights first), that copy ("tarnwick.exe"), the help file when it is beside the program, and
// a two-line README.txt. Put at the top of every backup, a zip's too; the restore's package
// search takes none of them for a package (none is an INF).
#pragma once

#include <string>
#include <vector>

#include "saving/IBackupWriter.h"

const wchar_t kRestoreScriptName[] = L"Restore drivers.cmd";
const wchar_t kProgramCopyName[] = L"tarnwick.exe";
const wchar_t kHelpFileName[] = L"Help.chm";
const wchar_t kReadmeName[] = L"README.txt";

// The script's text (CR LF lines): it runs "%~dp0tarnwick.exe" "/restore:%~dp0." from the
// folder it lies in, elevated.
std::string RestoreScript();
// The README's two lines.
std::string RestoreReadme();

// The full path of the program that runs.
std::wstring RunningProgramPath();

// Puts the kit at the backup's top, the copy from program (and the help file beside it, when
// there is one). The names of the files that could not be put, each with the system's reason.
std::vector<std::wstring> PutRestoreKit(IBackupWriter& writer, const std::wstring& program);
