// The machinery behind every modal dialog of the program: the dialog is built from a dialog
// resource by the dialog manager, which runs its own modal loop; the C++ object is bound at
// WM_INITDIALOG and gets every message through its ProcessWindowMessage. Exceptions stop at
// the dialog procedure.
#pragma once

#include <windows.h>

#include "framework/CWindow.h"

class CDialogImplBase {
public:
    CDialogImplBase(const CDialogImplBase&) = delete;
    CDialogImplBase& operator=(const CDialogImplBase&) = delete;

    // The message map: true when handled, with the message's result in `result` (for
    // WM_INITDIALOG: TRUE to let the dialog manager set the focus).
    virtual bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
    virtual ~CDialogImplBase() = default;
    // Called after WM_NCDESTROY, when the dialog window is gone.
    virtual void OnFinalMessage(HWND window);

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
