// The main window's choice between this PC and an offline Windows, and what its status bar
// says: the commands that act on this PC only are off while an offline Windows is shown, and
// the status bar says why until a command says what it did.
#include "ui/CMainFrame.h"

#include <commctrl.h>

#include "framework/ResourceText.h"
#include "resources/resource.h"
#include "ui/TreePlace.h"

namespace {

const int kTitleCapacity = 256;

} // namespace

void CMainFrame::OpenOfflineWindows()
{
    std::wstring folder = offline.Root();
    if (!actions.PickOfflineWindows(get(), folder))
        return;
    std::wstring refusal;
    const bool wasThisPc = !offline.Active();
    if (!offline.Choose(folder, refusal)) {
        messages.Show(get(), refusal.c_str(), LoadResourceString(IDS_OFFLINE_CAPTION).c_str(), MB_OK | MB_ICONWARNING);
        return;
    }
    if (wasThisPc) {
        // Kept for the way back: this PC's place in the tree and its view toggle.
        thisPcPlace = TakePlace(view.Tree());
        presentOnlyOnThisPc = menu.IsChecked(ID_VIEW_PRESENT_ONLY);
    }
    // Nothing of an image is attached to this PC: every device it lists is shown.
    CheckCommand(ID_VIEW_PRESENT_ONLY, false);
    ShowCommandStatus(std::wstring());
    deviceList.SetRecordSource(offline.RecordSource());
    StartScan();
    // Another system's tree has nothing of the place before.
    placeAfterScan.reset();
}

void CMainFrame::ShowThisPc()
{
    if (!offline.Active())
        return;
    offline.Clear();
    deviceList.SetRecordSource(nullptr);
    CheckCommand(ID_VIEW_PRESENT_ONLY, presentOnlyOnThisPc);
    ShowCommandStatus(std::wstring());
    StartScan();
    placeAfterScan = thisPcPlace;
}

void CMainFrame::FollowShownSystem()
{
    const std::wstring refusal = offline.LastRefusal();
    if (!refusal.empty()) {
        messages.Show(get(), refusal.c_str(), LoadResourceString(IDS_OFFLINE_CAPTION).c_str(), MB_OK | MB_ICONWARNING);
        ShowThisPc();
        return;
    }
    if (offline.Active()) {
        const SystemFolders folders = offline.Folders();
        actions.UseSystemFolders(&folders);
        // The root is that Windows, not this PC.
        const HTREEITEM root = view.Tree().GetRootItem();
        const std::wstring name = offline.RootName();
        TVITEMW item = {};
        item.mask = TVIF_TEXT;
        item.hItem = root;
        item.pszText = const_cast<wchar_t*>(name.c_str());
        if (root)
            view.Tree().Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    } else {
        actions.UseSystemFolders(nullptr);
    }
    ::SetWindowTextW(get(), offline.Title(LoadResourceString(IDR_MAINFRAME, kTitleCapacity)).c_str());
    menu.EnableItem(ID_DEVICE_SHOW_THIS_PC, offline.Active());
    UpdateCommandStates();
}

std::wstring CMainFrame::IdleStatus() const
{
    return LoadResourceString(offline.Active() ? IDS_STATUS_OFFLINE : IDS_IDLE_MESSAGE);
}

void CMainFrame::ShowCommandStatus(const std::wstring& text)
{
    // The status bar's own part: a menu's prompts come and go over it in simple mode.
    const std::wstring shown = text.empty() ? IdleStatus() : text;
    StatusBarWindow().Send(SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(shown.c_str()));
}
