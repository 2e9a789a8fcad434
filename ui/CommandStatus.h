// What the main window's status bar says a command did, until the next command: a save, an
// export, a restore or a verification, each in a line of its own words.
#pragma once

#include <string>

#include "saving/DeviceReport.h"

// "Saved 2 of 2 devices to D:\Drivers": the devices of the save's report that were saved
// (unchanged ones too) out of those it was given; the folders of earlier runs it keeps are not counted.
std::wstring SaveStatusText(const DeviceReport& report, size_t given, const std::wstring& target);
// "Exported 14 devices to D:\list.json".
std::wstring ExportStatusText(size_t devices, const std::wstring& file);
// The restore's or the verification's summary line, with the backup it was of.
std::wstring RestoreStatusText(const std::wstring& backup, const std::wstring& summary);
std::wstring VerifyStatusText(const std::wstring& backup, const std::wstring& summary);
