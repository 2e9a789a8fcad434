// The frame window's bars and behaviour, shared by every frame: a toolbar built from a
// TOOLBAR resource, a status bar, status bar prompts for menu items and toolbar tooltips
// from the string table, the bars' layout on WM_SIZE, and WM_QUIT (1) when a top-level
// frame is destroyed.
#pragma once

#include <windows.h>

#include "framework/CWindow.h"
#include "platform/Handles.h"

class CFrameWindow : public CWindow {
public:
    const CWindow& ToolBarWindow() const noexcept { return toolBar_; }
    const CWindow& StatusBarWindow() const noexcept { return statusBar_; }
    // The window that fills the space between the bars. A frame that places its children
    // itself leaves it null, and then the frame's own sizing and focus forwarding do nothing.
    const CWindow& ClientWindow() const noexcept { return client_; }
    void SetClientWindow(HWND window) noexcept { client_ = CWindow(window); }
    // Null until LoadAccelerators succeeded.
    HACCEL Accelerators() const noexcept { return accelerators_.get(); }

    // The toolbar of resource `resourceId`: one button per command of the resource (image i
    // for the i-th button), one separator per 0 entry. Bitmap size: the resource's width,
    // and its height or the toolbar font's height if larger; buttons 7 pixels larger.
    HWND CreateSimpleToolBarCtrl(WORD resourceId, DWORD style, UINT id);
    // The toolbar's bitmap size (width, and height or the toolbar font's height if larger)
    // and its buttons `margin` pixels larger, as for a resource of that size.
    void SetToolBarImageSize(int width, int height, int margin);
    // A status bar showing string `textId` (at most 127 characters).
    HWND CreateSimpleStatusBar(UINT textId, DWORD style, UINT id);
    bool LoadAccelerators(WORD resourceId);

    // Lets the toolbar and status bar size themselves and fits the client window between.
    void UpdateLayout();

    // The frame's message map, for the frame class to chain to (WM_SIZE arrives decoded, as
    // UpdateLayout from the frame class's OnSize).
    bool ProcessFrameMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The frame's notifications (the toolbar's tooltip texts): true when handled, result 0.
    bool ProcessFrameNotify(NMHDR& header);

private:
    CWindow toolBar_;
    CWindow statusBar_;
    CWindow client_;
    UniqueAccelerators accelerators_;

    void OnMenuSelect(WPARAM wParam, LPARAM lParam);
    void OnToolTipText(NMHDR& header);
};
