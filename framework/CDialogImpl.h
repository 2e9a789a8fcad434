// A modal dialog class of the program built from dialog resource T::IDD. T overrides
// OnInitDialog, OnCommand, OnNotify and ProcessWindowMessage as it needs; messages it leaves
// unhandled get the dialog manager's default
// processing (Esc and the close box arrive as WM_COMMAND IDCANCEL, Enter as IDOK).
#pragma once

#include "framework/CDialogImplBase.h"
#include "framework/CWindow.h"

template <typename T, typename TBase = CWindow>
class CDialogImpl : public TBase, public CDialogImplBase {
protected:
    CDialogImpl() noexcept : CDialogImplBase(static_cast<CWindow&>(*this), T::IDD) {}
};
