// The program's own hand-overs of the main window's commands: the real dialogs and shell
// actions, with the services they use.
#pragma once

#include <optional>

#include "ui/IMainFrameActions.h"
#include "ui/ShellServices.h"

class MainFrameActions final : public IMainFrameActions {
public:
    explicit MainFrameActions(const ShellServices& services) : services(services) {}

    void ShowDriverFiles(HWND owner, DeviceInfo& device, PlacementRecord& placement,
                         std::wstring& browsePath) override;
    void SaveDevices(HWND owner, const std::vector<DeviceInfo*>& devices, std::wstring& browsePath,
                     bool verifyAfter) override;
    void SaveDevicesToZip(HWND owner, const std::vector<DeviceInfo*>& devices, bool verifyAfter) override;
    void ShowDeviceProperties(HWND owner, const DeviceInfo& device) override;
    void ShowAbout(HWND owner) override;
    void ShowHelp(HWND owner) override;
    void OpenHomePage() override;
    void OpenDeviceManager(HWND owner) override;
    bool RestoreDrivers(HWND owner, const std::wstring& browsePath) override;
    void ExportDevices(HWND owner, const DeviceReport& report) override;
    void VerifyBackup(HWND owner, const std::wstring& browsePath) override;
    bool PickOfflineWindows(HWND owner, std::wstring& folder) override;
    void UseSystemFolders(const SystemFolders* imageFolders) override;

private:
    // The services with the folders of the system that the window shows.
    ShellServices ShownSystem() const;
    // Saves the devices into target under the progress dialog, then with verifyAfter
    // verifies the finished backup under the verify dialog.
    void SaveInto(const FolderPath& target, const std::vector<DeviceInfo*>& devices, bool verifyAfter);

    ShellServices services;
    std::optional<SystemFolders> imageFolders;
};
