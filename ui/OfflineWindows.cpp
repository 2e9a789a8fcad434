#include "ui/OfflineWindows.h"

#include "devices/ImageMessages.h"
#include "framework/ResourceText.h"
#include "resources/resource.h"
#include "ui/ShellActions.h"

bool OfflineWindows::Choose(const std::wstring& folder, std::wstring& refusal)
{
    const PathResult<FolderPath> root = FolderPath::Resolve(folder, {kClassicPathLength, true});
    if (!root) {
        refusal = FormatResourceString(IDS_OFFLINE_FOLDER_REFUSED, {folder, RefusalText(root.refusal())});
        return false;
    }
    auto candidate = std::make_unique<WindowsImage>(*root);
    const ImageProblem problem = candidate->CheckFolder();
    if (problem != ImageProblem::None) {
        refusal = ImageProblemText(*candidate, problem);
        return false;
    }
    image = std::move(candidate);
    lastProblem = ImageProblem::None;
    return true;
}

DeviceRecordSource OfflineWindows::RecordSource()
{
    return [this](bool includeAll, IProgressReporter& reporter, std::vector<std::unique_ptr<DeviceInfo>>& records) {
        lastProblem = image ? image->ReadDevices(includeAll, reporter, records) : ImageProblem::NotWindowsFolder;
        return lastProblem == ImageProblem::None;
    };
}

std::wstring OfflineWindows::LastRefusal() const
{
    return image && lastProblem != ImageProblem::None ? ImageProblemText(*image, lastProblem) : std::wstring();
}

std::wstring OfflineWindows::Title(const std::wstring& baseTitle) const
{
    return image ? baseTitle + L" - " + image->Root().WithSeparator() + L" (offline)" : baseTitle;
}

std::wstring OfflineWindows::RootName() const
{
    if (!image)
        return std::wstring();
    return image->ComputerName().empty() ? image->Root().WithSeparator() : image->ComputerName();
}

SystemFolders OfflineWindows::Folders() const
{
    return image ? ReadImageFolders(image->Root(), image->Architecture()) : SystemFolders();
}

void ShowShownDeviceProperties(const std::wstring& instanceId, HWND owner, const ShellServices& services)
{
    if (!services.systemFolders.image) {
        ShowDeviceProperties(instanceId, owner);
        return;
    }
    services.messages.Show(owner, LoadResourceString(IDS_OFFLINE_NO_PROPERTIES).c_str(),
                           LoadResourceString(IDS_OFFLINE_CAPTION).c_str(), MB_OK | MB_ICONINFORMATION);
}
