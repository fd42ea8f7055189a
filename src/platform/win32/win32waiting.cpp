// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/win32waiting.h"

namespace {

// A window that never validates itself must not keep the wait in this loop.
constexpr int mostPaintsAtOnce = 64;
// Most waits are over long before this: only one that a child would notice gets a note.
constexpr DWORD momentMilliseconds = 500;
constexpr wchar_t noteText[] = L"Un momento: aspetto il record di questo computer...";

bool windowOfOursShown()
{
    bool shown = false;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM found) -> BOOL {
            if (!IsWindowVisible(window)) return TRUE;
            *reinterpret_cast<bool*>(found) = true;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&shown));
    return shown;
}

HWND showNote()
{
    const auto font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SIZE text{};
    const HDC screen = GetDC(nullptr);
    const HGDIOBJ before = SelectObject(screen, font);
    GetTextExtentPoint32W(screen, noteText, lstrlenW(noteText), &text);
    SelectObject(screen, before);
    ReleaseDC(nullptr, screen);
    const int width = text.cx + 48, height = text.cy + 48;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const HWND note =
        CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", noteText,
                        WS_POPUP | WS_BORDER | SS_CENTER | SS_CENTERIMAGE,
                        (work.left + work.right - width) / 2, (work.top + work.bottom - height) / 2,
                        width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!note) return nullptr;
    SendMessageW(note, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ShowWindow(note, SW_SHOWNOACTIVATE);
    return note;
}

} // namespace

Win32Waiting::~Win32Waiting()
{
    if (note_) DestroyWindow(note_);
}

void Win32Waiting::stillWaiting()
{
    if (!waiting_) {
        waiting_ = true;
        before_ = GetCursor();
        since_ = GetTickCount();
    }
    if (!note_ && GetTickCount() - since_ >= momentMilliseconds && !windowOfOursShown())
        note_ = showNote();
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    // Paint messages only, and what other threads send and wait on (a screen reader).
    MSG message;
    for (int i = 0;
         i < mostPaintsAtOnce &&
         PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE);
         ++i)
        DispatchMessageW(&message);
}

void Win32Waiting::doneWaiting()
{
    if (note_) DestroyWindow(note_);
    note_ = nullptr;
    if (!waiting_) return;
    waiting_ = false;
    SetCursor(before_);
}
