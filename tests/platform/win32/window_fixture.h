// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game/layout.h"
#include "game/tavola.h"
#include "platform/randomsource.h"
#include "platform/win32/widetext.h"
#include "platform/win32/win32form.h"
#include "records/windowsrecordstore.h"
#include "support/fakeclock.h"
#include "support/scripteddialogs.h"
#include "support/tempdir.h"
#include "support/window_probe.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <utility>

// The real Win32 window, driven by window messages, with scripted dialogs and its record
// in a temporary directory: the probe the shared window scenarios use.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { window.setEvents(&tavola); }
    // Run again at 144 dpi (tests/platform/win32/at_dpi.sh), which must really have taken effect.
    void TearDown() override
    {
        if (const char* want = std::getenv("EXPECTED_DPI")) {
            EXPECT_EQ(dpi(), std::atoi(want));
        }
    }

    void start(const std::string& name = "Anna", const std::string& limit = "10")
    {
        startGame(tavola, name, limit);
    }
    void startGame(Tavola& game, const std::string& name = "Anna", const std::string& limit = "10")
    {
        window.setEvents(&game);
        dialogs.answerInputs({name, limit});
        window.run([&game] { game.launch(); });
        clockAtStart = window.caption(Control::lblconto);
        // Wine activates the window through the X server, in its own time: until then the
        // question posed in the box is not where the keys go.
        EXPECT_TRUE(waitFor([this] {
            return exitStatus || (GetForegroundWindow() == window.handle() &&
                                  GetFocus() == control(Control::txtAnswer));
        })) << "the window never took the keyboard";
        pump();
    }
    // Handles the next message, or waits up to the given time for one; false if none came.
    bool handleOne(DWORD waitMilliseconds, MSG* handled = nullptr)
    {
        MSG message;
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, waitMilliseconds, QS_ALLINPUT);
            return false;
        }
        if (handled) *handled = message;
        if (!window.preTranslate(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        return true;
    }
    // Runs the window's message loop until it has been idle for a moment. Idle means found
    // empty once the moment is over: on a loaded machine the moment may pass with this
    // thread not running at all, a paint still waiting.
    void pump(DWORD quietMilliseconds = 60)
    {
        for (DWORD idleSince = GetTickCount();;) {
            const bool quietLongEnough = GetTickCount() - idleSince >= quietMilliseconds;
            if (handleOne(quietLongEnough ? 0 : 5))
                idleSince = GetTickCount();
            else if (quietLongEnough)
                return;
        }
    }
    // Handles messages until the condition holds; false if it never does.
    bool waitFor(const std::function<bool()>& condition)
    {
        for (const DWORD begin = GetTickCount(); !condition(); handleOne(10))
            if (GetTickCount() - begin > patienceMilliseconds) return false;
        return true;
    }
    // Only a hang takes this long, however busy the machine.
    static constexpr DWORD patienceMilliseconds = 60000;
    std::string product() const { return std::to_string(tavola.state().expectedAnswer.value()); }
    int dpi() const { return static_cast<int>(window.dpi()); }
    // A font is asked for in whole pixels at the monitor's dpi.
    double asAsked(double points) const { return std::round(points * dpi() / 72) * 72.0 / dpi(); }
    // This window fits such labels to their caption at once: little room left to tell.
    static constexpr int labelsWithRoomToAlign = 5;
    static constexpr const char* zoeAsStored = "Zo\xEB\r\n"; // the ANSI code page, Windows-1252

    HWND control(Control id) const { return window.controlHandle(id); }
    Box placeOf(Control id) const
    {
        RECT r = window.controlRect(id);
        if (const HWND handle = control(id)) {
            GetWindowRect(handle, &r);
            MapWindowPoints(HWND_DESKTOP, window.handle(), reinterpret_cast<POINT*>(&r), 2);
        }
        return {r.left, r.top, r.right - r.left, r.bottom - r.top};
    }
    // As the window asked for it: Wine has none of these faces, so what it draws with
    // is its own business, and no test here looks at that.
    FontSeen fontOf(Control id) const
    {
        HFONT font = window.controlFont(id);
        if (control(id))
            font = reinterpret_cast<HFONT>(SendMessageW(control(id), WM_GETFONT, 0, 0));
        LOGFONTW seen{};
        GetObjectW(font, sizeof seen, &seen);
        return {toUtf8(seen.lfFaceName), -seen.lfHeight * 72.0 / window.dpi(),
                seen.lfWeight >= FW_BOLD, seen.lfItalic != 0};
    }
    // What the tooltip shows for the middle of the control, as the mouse would find it.
    std::string tooltipOf(Control id) const
    {
        HWND tips = nullptr;
        while ((tips = FindWindowExW(nullptr, tips, TOOLTIPS_CLASSW, nullptr)))
            if (GetWindow(tips, GW_OWNER) == window.handle()) break;
        const Box r = placeOf(id);
        TTHITTESTINFOW hit{};
        hit.hwnd = control(id) ? control(id) : window.handle();
        hit.pt = control(id) ? POINT{r.width / 2, r.height / 2}
                             : POINT{r.left + r.width / 2, r.top + r.height / 2};
        hit.ti.cbSize = sizeof hit.ti;
        if (!tips || !SendMessageW(tips, TTM_HITTESTW, 0, reinterpret_cast<LPARAM>(&hit)))
            return {};
        wchar_t text[256] = {};
        hit.ti.lpszText = text;
        SendMessageW(tips, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&hit.ti));
        return toUtf8(text);
    }
    bool isEnabled(Control id) const { return !control(id) || IsWindowEnabled(control(id)); }
    bool hasFocus(Control id) const { return GetFocus() == control(id); }
    static Rgb rgbOf(COLORREF c) { return {GetRValue(c), GetGValue(c), GetBValue(c)}; }
    Rgb buttonFace() const { return rgbOf(GetSysColor(COLOR_BTNFACE)); }
    Rgb textColour() const { return rgbOf(GetSysColor(COLOR_BTNTEXT)); }
    std::string windowCaption() const
    {
        wchar_t text[256] = {};
        GetWindowTextW(window.handle(), text, 256);
        return toUtf8(text);
    }
    Box client() const
    {
        RECT r{};
        GetClientRect(window.handle(), &r);
        return {0, 0, r.right, r.bottom};
    }
    // The client area as it is on the screen, controls included.
    Picture grab() const
    {
        const Box size = client();
        BITMAPINFO format{};
        format.bmiHeader.biSize = sizeof format.bmiHeader;
        format.bmiHeader.biWidth = size.width;
        format.bmiHeader.biHeight = -size.height; // top row first
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        const HDC screen = GetDC(window.handle());
        const HDC copy = CreateCompatibleDC(screen);
        const HBITMAP bitmap = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
        const HGDIOBJ old = SelectObject(copy, bitmap);
        BitBlt(copy, 0, 0, size.width, size.height, screen, 0, 0, SRCCOPY);
        GdiFlush();
        Picture picture{size.width, size.height, {}};
        const auto* pixel = static_cast<const unsigned char*>(bits);
        for (int i = 0; i < size.width * size.height; ++i, pixel += 4)
            picture.pixels.push_back({pixel[2], pixel[1], pixel[0]});
        SelectObject(copy, old);
        DeleteObject(bitmap);
        DeleteDC(copy);
        ReleaseDC(window.handle(), screen);
        return picture;
    }

    void type(const std::string& text)
    {
        for (char c : text)
            PostMessageW(GetFocus(), WM_CHAR, static_cast<unsigned char>(c), 0);
        pump();
    }
    void press(Key key)
    {
        // Each key as the message it arrives as: Ctrl with a letter types a character.
        static const std::pair<UINT, WPARAM> strokes[] = {
            {WM_KEYDOWN, VK_RETURN}, {WM_KEYDOWN, VK_RETURN}, {WM_KEYDOWN, VK_SPACE},
            {WM_KEYDOWN, VK_TAB},    {WM_KEYDOWN, VK_BACK},   {WM_CHAR, 3},
            {WM_CHAR, 24},           {WM_CHAR, 22},           {WM_SYSCHAR, 'n'},
            {WM_SYSCHAR, 'x'}};
        const auto [message, code] = strokes[static_cast<int>(key)];
        const HWND focus = GetFocus();
        if (message != WM_KEYDOWN) {
            PostMessageW(focus, message, code, message == WM_SYSCHAR ? 1 << 29 : 0);
        } else {
            const LPARAM extended = key == Key::KeypadEnter ? 1 << 24 : 0;
            PostMessageW(focus, WM_KEYDOWN, code, extended | 1);
            PostMessageW(focus, WM_KEYUP, code, extended | 1 | 0xC0000000);
        }
        pump();
    }
    void send(HWND to, UINT message, WPARAM w = 0, LPARAM l = 0)
    {
        SendMessageW(to, message, w, l);
        pump();
    }
    void click(Control id) { send(control(id), BM_CLICK); }
    void holdDown(Control id, bool down) { send(control(id), BM_SETSTATE, down); }
    void selectAllAnswer() { SendMessageW(control(Control::txtAnswer), EM_SETSEL, 0, -1); }
    void setClipboard(const std::string& text)
    {
        const std::wstring wide = toWide(text);
        ASSERT_TRUE(OpenClipboard(window.handle()));
        EmptyClipboard();
        const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
        const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
        std::memcpy(GlobalLock(memory), wide.c_str(), bytes);
        GlobalUnlock(memory);
        SetClipboardData(CF_UNICODETEXT, memory);
        CloseClipboard();
    }
    std::string clipboard() const
    {
        std::string text;
        if (!OpenClipboard(window.handle())) return text;
        if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            text = toUtf8(static_cast<const wchar_t*>(GlobalLock(data)));
            GlobalUnlock(data);
        }
        CloseClipboard();
        return text;
    }
    void paste(const std::string& text)
    {
        setClipboard(text);
        send(control(Control::txtAnswer), WM_PASTE);
    }

    void showAs(DisplayState state)
    {
        ShowWindow(window.handle(), state == DisplayState::Minimised   ? SW_MINIMIZE
                                    : state == DisplayState::Maximised ? SW_MAXIMIZE
                                                                       : SW_RESTORE);
        pump();
    }
    void setClientSize(int width, int height)
    {
        showAs(DisplayState::Normal);
        RECT frame{0, 0, width, height};
        AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, TRUE, 0);
        SetWindowPos(window.handle(), nullptr, 0, 0, frame.right - frame.left,
                     frame.bottom - frame.top, SWP_NOZORDER);
        pump();
    }
    void reactivate()
    {
        const HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                           nullptr, nullptr, nullptr, nullptr);
        for (HWND front : {window.handle(), other, window.handle()}) {
            SetActiveWindow(front);
            pump();
        }
        DestroyWindow(other);
        EXPECT_EQ(GetActiveWindow(), window.handle());
    }
    void closeBox() { send(window.handle(), WM_SYSCOMMAND, SC_CLOSE); }

    std::vector<MenuEntry> menu() const
    {
        std::vector<MenuEntry> items;
        auto read = [&items](HMENU menu, int level, auto& self) -> void {
            for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                wchar_t text[256] = {};
                GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
                items.push_back({level, toUtf8(text)});
                if (const HMENU inner = GetSubMenu(menu, i)) self(inner, level + 1, self);
            }
        };
        read(GetMenu(window.handle()), 0, read);
        return items;
    }
    void chooseNewGame()
    {
        const HMENU bar = GetMenu(window.handle());
        const WPARAM item = GetMenuItemID(bar, GetMenuItemCount(bar) - 1);
        // Posted messages all come before a tick: the command, the new game it queues, then
        // one of ours (to the thread: the window is made anew), which tells that the new
        // game has set its clock.
        PostMessageW(window.handle(), WM_COMMAND, item, 0);
        handleUntil(WM_COMMAND, item);
        const UINT ours = RegisterWindowMessageW(L"moltiplix-test-handled");
        PostThreadMessageW(GetCurrentThreadId(), ours, item, 0);
        handleUntil(ours, item);
        clockAtStart = window.caption(Control::lblconto);
        pump();
    }
    void handleUntil(UINT kind, WPARAM tag)
    {
        for (MSG message{}; message.message != kind || message.wParam != tag;)
            handleOne(5, &message);
    }
    void tick() { SendMessageW(window.handle(), WM_TIMER, 1, 0); }

    // Reads and closes the next message box, from inside its own message loop.
    void closeNextDialog(std::string& shown)
    {
        static std::string* into = nullptr;
        into = &shown;
        SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR timer, DWORD) {
            const HWND box = FindWindowW(L"#32770", nullptr);
            if (!box || !IsWindowVisible(box)) return;
            KillTimer(nullptr, timer);
            wchar_t text[512] = {};
            GetDlgItemTextW(box, 0xFFFF, text, 512);
            *into = toUtf8(text);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
    }
    // The clock as the game started it, before any tick could be handled: the real timer
    // ticks on while a loaded machine is slow to show the window.
    std::string clockAtStart;
    TempDir records;
    ScriptedDialogs dialogs;
    SeededRandom random;
    FakeClock clock;
    std::optional<int> exitStatus;
    Win32Form window{GetModuleHandleW(nullptr), [this](int status) { exitStatus = status; }};
    WindowsRecordStore store{{{records.path().string()}}, {}};
    Tavola tavola{window, dialogs, random, clock, store};
};
