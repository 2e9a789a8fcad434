#include "ui/SaveTarget.h"

#include "framework/ResourceText.h"
#include "resources/resource.h"

std::optional<FolderPath> PickFolderValue(const ShellServices& services, std::wstring& browsePath, HWND owner,
                                          const FolderRequest& choice)
{
    const std::wstring prompt = choice.prompt ? FormatResourceString(choice.prompt) : std::wstring();
    if (!services.folderPicker.PickFolder(browsePath, owner, choice.prompt ? prompt.c_str() : nullptr))
        return std::nullopt;
    const PathResult<FolderPath> folder = FolderPath::Resolve(browsePath, choice.rules);
    if (folder)
        return *folder;
    services.messages.Show(owner,
                           FormatResourceString(choice.refused, {browsePath, RefusalText(folder.refusal())}).c_str(),
                           FormatResourceString(choice.caption).c_str(), MB_OK | MB_ICONWARNING);
    return std::nullopt;
}

std::optional<FolderPath> PickSaveTarget(const ShellServices& services, std::wstring& browsePath, HWND owner)
{
    return PickFolderValue(services, browsePath, owner, {0, IDS_SAVE_CAPTION, IDS_SAVE_FOLDER_REFUSED, {}});
}
