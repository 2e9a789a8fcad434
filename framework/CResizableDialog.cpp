#include "framework/CResizableDialog.h"

#include <commctrl.h>

#include <cwchar>

#include "framework/CListViewCtrl.h"
#include "framework/Dpi.h"

namespace {

bool IsListView(HWND window)
{
    wchar_t name[32] = L"";
    return ::GetClassNameW(window, name, 32) > 0 && _wcsicmp(name, WC_LISTVIEWW) == 0;
}

} // namespace

CResizableDialog::CResizableDialog(WORD resourceId, std::vector<DialogResizeEntry> resizeMap)
    : CDialogImplBase(static_cast<CWindow&>(*this), resourceId), resizeMap_(std::move(resizeMap))
{
}

bool CResizableDialog::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    return resizer_.ProcessResizeMessage(window, message, wParam, lParam, result);
}

bool CResizableDialog::ProcessDecodedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_INITDIALOG) {
        dpi_ = WindowDpi(get());
        resizer_.Init(get(), resizeMap_.data(), resizeMap_.size(), true, true, WS_CLIPCHILDREN);
    }
    return CDialogImplBase::ProcessDecodedMessage(message, wParam, lParam, result);
}

void CResizableDialog::OnDpiScaled(UINT, UINT)
{
}

void CResizableDialog::OnResized(SIZE)
{
}

bool CResizableDialog::OnSize(UINT type, SIZE client)
{
    resizer_.OnResize(get(), type, client);
    if (type != SIZE_MINIMIZED)
        OnResized(client);
    return true;
}

bool CResizableDialog::OnDpiChanged(UINT newDpi, const RECT& suggested)
{
    if (newDpi == dpi_)
        return true;
    const UINT from = dpi_;
    for (HWND child = ::GetWindow(get(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (IsListView(child))
            CListViewCtrl(child).RescaleColumns(from, newDpi);
    }
    dpi_ = newDpi;
    ::SetWindowPos(get(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    OnDpiScaled(from, newDpi);
    return true;
}
