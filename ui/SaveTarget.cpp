#include "ui/SaveTarget.h"

#include "backup/ExtractedZip.h"
#include "devices/WindowsImage.h"
#include "framework/ResourceText.h"
#include "resources/resource.h"
#include "saving/BackupWriters.h"
#include "saving/TargetNames.h"
#include "ui/ReportFileDialog.h"

namespace {

// The folder's text with its names filled in, or the id of the reason why they cannot be.
std::wstring FillInNames(const ShellServices& services, const std::wstring& text, UINT& refusal)
{
    switch (CheckTargetNames(text)) {
    case TargetNameError::UnknownName:
        refusal = IDS_SAVE_NAME_UNKNOWN;
        return text;
    case TargetNameError::UnmatchedBrace:
        refusal = IDS_SAVE_BRACE_UNMATCHED;
        return text;
    case TargetNameError::None:
        break;
    }
    if (text.find(L'{') == std::wstring::npos)
        return text;
    TargetNameValues names = ThisComputerNames();
    if (services.systemFolders.image && UsesTargetName(text, L"os"))
        names.os = WindowsImage(*services.systemFolders.image).ReadWindowsName();
    return ExpandTargetNames(text, names).value_or(text);
}

} // namespace

std::optional<FolderPath> PickFolderValue(const ShellServices& services, std::wstring& browsePath, HWND owner,
                                          const FolderRequest& choice)
{
    const std::wstring prompt = choice.prompt ? FormatResourceString(choice.prompt) : std::wstring();
    const wchar_t* title = choice.prompt ? prompt.c_str() : nullptr;
    const bool picked = choice.takesZip ? services.folderPicker.PickBackup(browsePath, owner, title)
                                        : services.folderPicker.PickFolder(browsePath, owner, title);
    if (!picked)
        return std::nullopt;
    const auto refuse = [&](const std::wstring& reason) {
        services.messages.Show(owner, FormatResourceString(choice.refused, {browsePath, reason}).c_str(),
                               FormatResourceString(choice.caption).c_str(), MB_OK | MB_ICONWARNING);
        return std::nullopt;
    };
    UINT namesRefused = 0;
    const std::wstring text = choice.takesNames ? FillInNames(services, browsePath, namesRefused) : browsePath;
    if (namesRefused)
        return refuse(FormatResourceString(namesRefused));
    const PathResult<FolderPath> folder =
        choice.takesZip ? ResolveBackup(text, choice.rules) : FolderPath::Resolve(text, choice.rules);
    if (folder)
        return *folder;
    return refuse(RefusalText(folder.refusal()));
}

std::optional<FolderPath> PickZipTarget(const ShellServices& services, HWND owner)
{
    std::wstring file;
    if (!ChooseSaveFile(owner, IDS_SAVE_ZIP_TITLE, IDS_SAVE_ZIP_FILTER, L"Drivers.zip", file))
        return std::nullopt;
    if (!IsZipName(file))
        file += L".zip";
    const PathResult<FolderPath> target = FolderPath::Resolve(file, kAnyLength);
    if (target)
        return *target;
    services.messages.Show(owner,
                           FormatResourceString(IDS_SAVE_FOLDER_REFUSED, {file, RefusalText(target.refusal())}).c_str(),
                           FormatResourceString(IDS_SAVE_CAPTION).c_str(), MB_OK | MB_ICONWARNING);
    return std::nullopt;
}

std::optional<FolderPath> PickSaveTarget(const ShellServices& services, std::wstring& browsePath, HWND owner)
{
    return PickFolderValue(services, browsePath, owner,
                           {0, IDS_SAVE_CAPTION, IDS_SAVE_FOLDER_REFUSED, kAnyLength, true});
}
