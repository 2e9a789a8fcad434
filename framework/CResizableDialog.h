// A modal dialog that the user can resize, and that follows the DPI of the screen it is on.
// Its children keep their places by a resize map while it is resized; it cannot be made
// smaller than it opens and has a size grip. Moved to a screen of another DPI, it takes the
// size the system suggests, the columns of each of its list views are rescaled (their present
// widths: the user may have changed them), and OnDpiScaled lets the dialog rescale the pixel
// sizes it set itself. Every resizable dialog of the program is one of these, so a DPI change
// is handled here once.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/CDialogImplBase.h"
#include "framework/CDialogResizeBase.h"
#include "framework/CWindow.h"

class CResizableDialog : public CWindow, public CDialogImplBase {
public:
    // WM_GETMINMAXINFO: the dialog's minimum size. A dialog with messages of its own handles
    // them after calling this.
    bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // Reads the DPI and starts the resizer before OnInitDialog, so the dialog may size or
    // place itself there.
    bool ProcessDecodedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    // resourceId: the dialog's template; resizeMap: how its children follow its size (entries
    // for controls the template lacks are left out).
    CResizableDialog(WORD resourceId, std::vector<DialogResizeEntry> resizeMap);

    // The DPI the dialog's pixel sizes are scaled to now.
    UINT Dpi() const noexcept { return dpi_; }
    // After a move from one DPI to another, once the dialog has its new size.
    virtual void OnDpiScaled(UINT from, UINT to);
    // Once the children have followed a new client size.
    virtual void OnResized(SIZE client);
    // The smallest window size the user may give the dialog (by default the size it opens at).
    void SetMinimumSize(SIZE size) noexcept { resizer_.SetMinTrackSize({size.cx, size.cy}); }

private:
    bool OnSize(UINT type, SIZE client) final;
    bool OnDpiChanged(UINT newDpi, const RECT& suggested) final;

    std::vector<DialogResizeEntry> resizeMap_;
    CDialogResizeBase resizer_;
    UINT dpi_ = 96;
};
