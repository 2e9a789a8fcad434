// The child-window resizer for a frame window class T (a dialog is a CResizableDialog). T provides
//   static const DialogResizeEntry* GetDlgResizeMap(size_t& count);
// and chains ProcessResizeMessage into its message map.
#pragma once

#include "framework/CDialogResizeBase.h"
#include "framework/CWindow.h"

template <typename T>
class CDialogResize : public CDialogResizeBase {
public:
    void DlgResize_Init(bool addGripper = true, bool useMinTrackSize = true, DWORD forceStyle = WS_CLIPCHILDREN)
    {
        size_t count = 0;
        const DialogResizeEntry* entries = T::GetDlgResizeMap(count);
        Init(static_cast<const CWindow&>(static_cast<T&>(*this)).get(), entries, count, addGripper, useMinTrackSize,
             forceStyle);
    }
};
