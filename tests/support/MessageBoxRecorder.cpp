#include "tests/support/MessageBoxRecorder.h"

#include "framework/MessageBox.h"

namespace {

std::vector<RecordedMessageBox> g_boxes;

int RecordMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)
{
    g_boxes.push_back({owner, text ? text : L"", caption ? caption : L"", type});
    return IDOK;
}

} // namespace

MessageBoxRecorder::MessageBoxRecorder()
{
    g_boxes.clear();
    SetMessageBoxFunction(RecordMessageBox);
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    SetMessageBoxFunction(nullptr);
    g_boxes.clear();
}

const std::vector<RecordedMessageBox>& MessageBoxRecorder::boxes() const
{
    return g_boxes;
}
