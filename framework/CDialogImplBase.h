// The machinery behind every modal dialog of the program: the dialog is built from a dialog
// resource by the dialog manager, which runs its own modal loop; the C++ object is bound at
// WM_INITDIALOG and gets every message through its ProcessWindowMessage.
#pragma once

#include <windows.h>

#include "framework/CMessageMap.h"
#include "framework/CWindow.h"

// The message map's result for WM_INITDIALOG is TRUE to let the dialog manager set the focus.
class CDialogImplBase : public CMessageMap {
public:
    // Runs the dialog modally over `parent` (null: the active window) and returns the
    // result given to EndDialog, or -1 when the dialog could not be created.
    INT_PTR DoModal(HWND parent = ::GetActiveWindow());
    // Ends the modal loop. Workers may call this from their own thread.
    bool EndDialog(INT_PTR result) const noexcept { return ::EndDialog(self_.get(), result) != FALSE; }

protected:
    CDialogImplBase(CWindow& self, WORD resourceId) noexcept : self_(self), resourceId_(resourceId) {}

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The few messages whose result the dialog procedure returns itself instead of through
    // DWLP_MSGRESULT.
    static bool ReturnsResultDirectly(UINT message) noexcept;

    CWindow& self_;
    WORD resourceId_;
};
