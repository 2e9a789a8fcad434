// Calls on a tree view control, added to a window handle wrapper TBase. Items are HTREEITEM;
// a node's check box is its state image index (TVIS_STATEIMAGEMASK).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/CWindow.h"

template <typename TBase>
class CTreeViewCtrlExT : public TBase {
public:
    using TBase::TBase;

    HTREEITEM GetRootItem() const noexcept { return Next(nullptr, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM item) const noexcept { return Next(item, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const noexcept { return Next(item, TVGN_NEXT); }
    HTREEITEM GetParentItem(HTREEITEM item) const noexcept { return Next(item, TVGN_PARENT); }
    HTREEITEM GetCaretItem() const noexcept { return Next(nullptr, TVGN_CARET); }

    bool SelectItem(HTREEITEM item) const noexcept { return this->Send(TVM_SELECTITEM, TVGN_CARET, Lp(item)) != 0; }
    bool Expand(HTREEITEM item, UINT action = TVE_EXPAND) const noexcept
    {
        return this->Send(TVM_EXPAND, action, Lp(item)) != 0;
    }

    UINT GetItemState(HTREEITEM item, UINT mask) const noexcept
    {
        return static_cast<UINT>(this->Send(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), mask));
    }
    // The state image index: 0 no box, 1 cleared, 2 checked, 3 mixed.
    int GetStateImage(HTREEITEM item) const noexcept
    {
        return static_cast<int>(GetItemState(item, TVIS_STATEIMAGEMASK) >> 12);
    }
    bool SetStateImage(HTREEITEM item, int index) const noexcept
    {
        TVITEMW tvItem = {};
        tvItem.mask = TVIF_STATE;
        tvItem.hItem = item;
        tvItem.stateMask = TVIS_STATEIMAGEMASK;
        tvItem.state = INDEXTOSTATEIMAGEMASK(index);
        return this->Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tvItem)) != 0;
    }

    LPARAM GetItemData(HTREEITEM item) const noexcept
    {
        TVITEMW tvItem = {};
        tvItem.mask = TVIF_PARAM;
        tvItem.hItem = item;
        return this->Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tvItem)) ? tvItem.lParam : 0;
    }
    // The item's text, up to `capacity` - 1 characters (the control gives no way to ask for
    // the length).
    std::wstring GetItemText(HTREEITEM item, int capacity = 1024) const
    {
        std::wstring text(static_cast<size_t>(capacity), L'\0');
        TVITEMW tvItem = {};
        tvItem.mask = TVIF_TEXT;
        tvItem.hItem = item;
        tvItem.pszText = &text[0];
        tvItem.cchTextMax = capacity;
        if (!this->Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tvItem)))
            return std::wstring();
        text.resize(std::char_traits<wchar_t>::length(text.c_str()));
        return text;
    }
    // The item's rectangle, the label alone when textOnly; false when it is not visible.
    bool GetItemRect(HTREEITEM item, RECT& rect, bool textOnly) const noexcept
    {
        *reinterpret_cast<HTREEITEM*>(&rect) = item;
        return this->Send(TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(&rect)) != 0;
    }
    HTREEITEM HitTest(POINT point, UINT& flags) const noexcept
    {
        TVHITTESTINFO hit = {};
        hit.pt = point;
        const auto item = reinterpret_cast<HTREEITEM>(this->Send(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        flags = hit.flags;
        return item;
    }

private:
    HTREEITEM Next(HTREEITEM item, UINT relation) const noexcept
    {
        return reinterpret_cast<HTREEITEM>(this->Send(TVM_GETNEXTITEM, relation, Lp(item)));
    }
    static LPARAM Lp(HTREEITEM item) noexcept { return reinterpret_cast<LPARAM>(item); }
};

using CTreeViewCtrlEx = CTreeViewCtrlExT<CWindow>;
