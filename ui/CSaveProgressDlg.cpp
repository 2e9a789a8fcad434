#include "ui/CSaveProgressDlg.h"

std::wstring PercentText(double fraction)
{
    return std::to_wstring(static_cast<int>(fraction * 100)) + L"%";
}

CSaveProgressDlg::CSaveProgressDlg(const std::wstring& targetFolder, IShellOpen& shell,
                                   const SystemFolders& folders)
    : targetFolder(targetFolder)
    , saver(*this, shell, folders)
{ }

void CSaveProgressDlg::RunTask()
{
    saver.SaveAll(targetFolder, nullptr);
}
