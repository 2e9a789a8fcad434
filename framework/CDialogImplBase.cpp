#include "framework/CDialogImplBase.h"

#include "framework/AppModule.h"

INT_PTR CDialogImplBase::DoModal(HWND parent)
{
    return ::DialogBoxParamW(AppModule().GetInstance(), MAKEINTRESOURCEW(resourceId_), parent, DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

bool CDialogImplBase::OnInitDialog()
{
    return true;
}

bool CDialogImplBase::ProcessDecodedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message != WM_INITDIALOG)
        return CMessageMap::ProcessDecodedMessage(message, wParam, lParam, result);
    result = OnInitDialog() ? TRUE : FALSE;
    return true;
}

bool CDialogImplBase::ReturnsResultDirectly(UINT message) noexcept
{
    switch (message) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return true;
    default:
        return false;
    }
}

INT_PTR CALLBACK CDialogImplBase::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* dialog = reinterpret_cast<CDialogImplBase*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (!dialog && message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialogImplBase*>(lParam);
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
        dialog->self_.Attach(window);
    }
    if (!dialog)
        return FALSE;

    LRESULT result = 0;
    bool failed = false;
    const bool handled = OfferMessage(*dialog, window, message, wParam, lParam, result, failed);
    // A dialog that cannot initialise itself is closed rather than shown half-built.
    if (failed && message == WM_INITDIALOG)
        ::EndDialog(window, -1);

    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, DWLP_USER, 0);
        dialog->self_.Detach();
        dialog->OnFinalMessage(window);
    }
    if (!handled)
        return message == WM_INITDIALOG ? TRUE : FALSE;
    if (ReturnsResultDirectly(message))
        return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}
