#include "ui/CSaveProgressDlg.h"

std::wstring PercentText(double fraction)
{
    return std::to_wstring(static_cast<int>(fraction * 100)) + L"%";
}

CSaveProgressDlg::CSaveProgressDlg(FolderPath target, IShellOpen& shell, const SystemFolders& folders)
    : target(std::move(target))
    , saver(*this, shell, folders)
{ }

void CSaveProgressDlg::RunTask()
{
    saver.SaveAll(target, nullptr);
}
