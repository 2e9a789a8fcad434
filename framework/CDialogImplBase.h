// The machinery behind every modal dialog of the program: the dialog is built from a dialog
// resource by the dialog manager, which runs its own modal loop; the C++ object is bound at
// WM_INITDIALOG, which it gets as OnInitDialog; other messages reach it as for a window.
#pragma once

#include <windows.h>

#include "framework/CMessageMap.h"
#include "framework/CWindow.h"

class CDialogImplBase : public CMessageMap {
public:
    // Runs the dialog modally over `parent` (null: the active window) and returns the
    // result given to EndDialog, or -1 when the dialog could not be created.
    INT_PTR DoModal(HWND parent = ::GetActiveWindow());
    // Ends the modal loop. Workers may call this from their own thread.
    bool EndDialog(INT_PTR result) const noexcept { return ::EndDialog(self_.get(), result) != FALSE; }
    bool ProcessDecodedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    CDialogImplBase(CWindow& self, WORD resourceId) noexcept : self_(self), resourceId_(resourceId) {}

    // The dialog's controls exist now. True lets the dialog manager give the focus to the
    // first control that takes it; false when the dialog set the focus itself.
    virtual bool OnInitDialog();

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The few messages whose result the dialog procedure returns itself instead of through
    // DWLP_MSGRESULT.
    static bool ReturnsResultDirectly(UINT message) noexcept;

    CWindow& self_;
    WORD resourceId_;
};
