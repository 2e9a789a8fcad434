// A non-owning menu handle: the menu bar belongs to its window, which destroys it.
#pragma once

#include <windows.h>

class CMenuHandle {
public:
    CMenuHandle(HMENU menu = nullptr) noexcept : menu_(menu) {}
    void Attach(HMENU menu) noexcept { menu_ = menu; }
    HMENU get() const noexcept { return menu_; }

    bool IsChecked(UINT command) const noexcept
    {
        return (::GetMenuState(menu_, command, MF_BYCOMMAND) & MF_CHECKED) != 0;
    }
    void CheckItem(UINT command, bool checked) const noexcept
    {
        ::CheckMenuItem(menu_, command, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
    }
    // A disabled item is grayed, so that it looks as unavailable as it is.
    void EnableItem(UINT command, bool enable) const noexcept
    {
        ::EnableMenuItem(menu_, command, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
    }

private:
    HMENU menu_;
};
