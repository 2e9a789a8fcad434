#include "ui/Settings.h"

#include "platform/RegistryKey.h"

const wchar_t kSettingsKey[] = L"Software\\Morvane\\Tarnwick";

namespace {

const wchar_t kMainPlacementValue[] = L"MainDlgPlacement";
const wchar_t kDevicePlacementValue[] = L"DeviceDlgPlacement";
const wchar_t kBrowsePathValue[] = L"BrowsePath";
const wchar_t kVerifyAfterSaveValue[] = L"VerifyAfterSave";

} // namespace

void LoadSettings(PlacementRecord& mainPlacement, PlacementRecord& devicePlacement, std::wstring& browsePath)
{
    RegistryKey key(HKEY_CURRENT_USER, kSettingsKey, false);
    if (!key.IsOpen())
        return;
    key.ReadBinary(kMainPlacementValue, &mainPlacement, sizeof(PlacementRecord));
    key.ReadBinary(kDevicePlacementValue, &devicePlacement, sizeof(PlacementRecord));
    browsePath = key.ReadText(kBrowsePathValue);
}

void SaveSettings(HWND mainWindow, PlacementRecord& mainPlacement, const PlacementRecord& devicePlacement,
                  const std::wstring& browsePath)
{
    CapturePlacement(mainPlacement, mainWindow);
    RegistryKey key(HKEY_CURRENT_USER, kSettingsKey, true);
    if (!key.IsOpen())
        return;
    key.WriteBinary(kMainPlacementValue, &mainPlacement, sizeof(PlacementRecord));
    key.WriteBinary(kDevicePlacementValue, &devicePlacement, sizeof(PlacementRecord));
    key.WriteText(kBrowsePathValue, browsePath);
}

bool LoadVerifyAfterSave()
{
    RegistryKey key(HKEY_CURRENT_USER, kSettingsKey, false);
    DWORD on = 0;
    return key.IsOpen() && key.ReadBinary(kVerifyAfterSaveValue, &on, sizeof(on)) && on == 1;
}

void SaveVerifyAfterSave(bool on)
{
    RegistryKey key(HKEY_CURRENT_USER, kSettingsKey, true);
    if (key.IsOpen())
        key.WriteDword(kVerifyAfterSaveValue, on ? 1 : 0);
}
