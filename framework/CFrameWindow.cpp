#include "framework/CFrameWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "framework/AppModule.h"
#include "framework/ResourceText.h"
#include "framework/ToolbarResource.h"

namespace {

const int kButtonMargin = 7;
const int kPromptCapacity = 256;
const int kStatusTextCapacity = 128;
const size_t kTooltipCapacity = 80;  // the size of NMTTDISPINFO's own buffer
const WORD kMenuClosed = 0xFFFF;

int FontHeight(HFONT font)
{
    LOGFONTW logFont = {};
    ::GetObjectW(font ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)), sizeof(logFont), &logFont);
    return std::abs(logFont.lfHeight);
}

std::vector<TBBUTTON> ToolbarButtons(const ToolbarResource& resource)
{
    std::vector<TBBUTTON> buttons;
    int image = 0;
    for (WORD command : resource.items) {
        TBBUTTON button = {};
        if (command == 0) {
            button.fsStyle = BTNS_SEP;
        } else {
            button.iBitmap = image++;
            button.idCommand = command;
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = BTNS_BUTTON;
        }
        buttons.push_back(button);
    }
    return buttons;
}

} // namespace

HWND CFrameWindow::CreateSimpleToolBarCtrl(WORD resourceId, DWORD style, UINT id)
{
    ToolbarResource resource;
    if (!LoadToolbarResource(resourceId, resource))
        return nullptr;
    const HWND toolbar = ::CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, style, 0, 0, 100, 100, get(),
                                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                           AppModule().GetInstance(), nullptr);
    if (!toolbar)
        return nullptr;
    ::SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    toolBar_.Attach(toolbar);
    SetToolBarImageSize(resource.width, resource.height, kButtonMargin);
    std::vector<TBBUTTON> buttons = ToolbarButtons(resource);
    if (!buttons.empty())
        ::SendMessageW(toolbar, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    return toolbar;
}

void CFrameWindow::SetToolBarImageSize(int width, int height, int margin)
{
    const int imageHeight = std::max<int>(height, FontHeight(toolBar_.GetFont()));
    toolBar_.Send(TB_SETBITMAPSIZE, 0, MAKELPARAM(width, imageHeight));
    toolBar_.Send(TB_SETBUTTONSIZE, 0, MAKELPARAM(width + margin, imageHeight + margin));
}

HWND CFrameWindow::CreateSimpleStatusBar(UINT textId, DWORD style, UINT id)
{
    const std::wstring text = LoadResourceString(textId, kStatusTextCapacity);
    statusBar_.Attach(::CreateStatusWindowW(static_cast<LONG>(style), text.c_str(), get(), id));
    return statusBar_.get();
}

bool CFrameWindow::LoadAccelerators(WORD resourceId)
{
    accelerators_.reset(::LoadAcceleratorsW(AppModule().GetInstance(), MAKEINTRESOURCEW(resourceId)));
    return accelerators_.valid();
}

void CFrameWindow::UpdateLayout()
{
    RECT rect = ClientRect();
    if (toolBar_.IsWindow() && toolBar_.HasVisibleStyle()) {
        toolBar_.Send(WM_SIZE);
        const RECT bar = toolBar_.WindowRect();
        rect.top += bar.bottom - bar.top;
    }
    if (statusBar_.IsWindow() && statusBar_.HasVisibleStyle()) {
        statusBar_.Send(WM_SIZE);
        const RECT bar = statusBar_.WindowRect();
        rect.bottom -= bar.bottom - bar.top;
    }
    if (client_.IsWindow())
        ::SetWindowPos(client_, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CFrameWindow::ProcessFrameMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_ERASEBKGND:
        // The client window covers the background; erasing it first would only flicker.
        if (!client_.IsWindow())
            return false;
        result = 1;
        return true;
    case WM_MENUSELECT:
        OnMenuSelect(wParam, lParam);
        return false;
    case WM_SETFOCUS:
        if (client_.IsWindow() && client_.HasVisibleStyle())
            ::SetFocus(client_);
        return false;
    case WM_DESTROY:
        if ((GetStyle() & (WS_CHILD | WS_POPUP)) == 0)
            ::PostQuitMessage(1);
        return false;
    default:
        return false;
    }
}

void CFrameWindow::OnMenuSelect(WPARAM wParam, LPARAM lParam)
{
    if (!statusBar_.IsWindow())
        return;
    const WORD flags = HIWORD(wParam);
    if (flags == kMenuClosed && lParam == 0) {
        // Leaving simple mode brings back the parts' own text: the idle message.
        statusBar_.Send(SB_SIMPLE, FALSE);
        return;
    }
    std::wstring prompt;
    if (!(flags & MF_POPUP) && !(flags & MF_SEPARATOR))
        prompt = PromptPart(LoadResourceString(LOWORD(wParam), kPromptCapacity));
    statusBar_.Send(SB_SIMPLE, TRUE);
    statusBar_.Send(SB_SETTEXTW, SB_SIMPLEID | SBT_NOBORDERS, reinterpret_cast<LPARAM>(prompt.c_str()));
}

bool CFrameWindow::ProcessFrameNotify(NMHDR& header)
{
    if (header.code != TTN_GETDISPINFOW && header.code != TTN_GETDISPINFOA)
        return false;
    OnToolTipText(header);
    return true;
}

void CFrameWindow::OnToolTipText(NMHDR& header)
{
    // The two forms differ in their text buffer, and so in where the fields after it lie.
    auto& wide = reinterpret_cast<NMTTDISPINFOW&>(header);
    auto& narrow = reinterpret_cast<NMTTDISPINFOA&>(header);
    const bool isWide = header.code == TTN_GETDISPINFOW;
    const UINT flags = isWide ? wide.uFlags : narrow.uFlags;
    if ((flags & TTF_IDISHWND) || header.idFrom == 0)
        return;
    const std::wstring tooltip = TooltipPart(LoadResourceString(static_cast<UINT>(header.idFrom), kPromptCapacity),
                                             kTooltipCapacity - 1);
    if (tooltip.empty())
        return;
    if (isWide) {
        std::wcsncpy(wide.szText, tooltip.c_str(), kTooltipCapacity);
        wide.lpszText = wide.szText;
        wide.uFlags |= TTF_DI_SETITEM;
    } else {
        ::WideCharToMultiByte(CP_ACP, 0, tooltip.c_str(), -1, narrow.szText, static_cast<int>(kTooltipCapacity),
                              nullptr, nullptr);
        narrow.szText[kTooltipCapacity - 1] = '\0';
        narrow.lpszText = narrow.szText;
        narrow.uFlags |= TTF_DI_SETITEM;
    }
}
