// The user settings, kept under HKEY_CURRENT_USER\Software\Morvane\Tarnwick. They are loaded
// once when the main window is created and saved once when it closes.
#pragma once

#include <windows.h>

#include <string>

#include "ui/PlacementRecord.h"

extern const wchar_t kSettingsKey[];

// A missing key leaves all three as they are (their defaults on a first run).
void LoadSettings(PlacementRecord& mainPlacement, PlacementRecord& devicePlacement, std::wstring& browsePath);

// Captures the main window's placement into mainPlacement, then writes all three values.
// Failures are silent: the window closes whatever happens here.
void SaveSettings(HWND mainWindow, PlacementRecord& mainPlacement, const PlacementRecord& devicePlacement,
                  const std::wstring& browsePath);

// "Verify after saving" of the Device menu ("VerifyAfterSave", 1 when on); off when missing.
bool LoadVerifyAfterSave();
// Failures are silent, as above.
void SaveVerifyAfterSave(bool on);
