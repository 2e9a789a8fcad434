#include "ui/SaveTarget.h"

#include "framework/ResourceText.h"
#include "resources/resource.h"

std::optional<FolderPath> PickSaveTarget(const ShellServices& services, std::wstring& browsePath, HWND owner)
{
    if (!services.folderPicker.PickFolder(browsePath, owner, nullptr))
        return std::nullopt;
    // The target need not exist: the save makes it.
    const PathResult<FolderPath> target = FolderPath::Resolve(browsePath);
    if (target)
        return *target;
    services.messages.Show(owner,
                           FormatResourceString(IDS_SAVE_FOLDER_REFUSED, {browsePath, RefusalText(target.refusal())}).c_str(),
                           FormatResourceString(IDS_SAVE_CAPTION).c_str(), MB_OK | MB_ICONWARNING);
    return std::nullopt;
}
