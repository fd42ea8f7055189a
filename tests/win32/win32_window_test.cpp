// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_fixture.h"

#include "records/recordstore.h"

#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

std::wstring windowText(HWND window)
{
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

RECT clientRectOf(HWND child)
{
    RECT place{};
    GetWindowRect(child, &place);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

} // namespace

TEST_F(Win32WindowTest, OpensMaximisedWithItsCaptionAndKeepsTheTabOrder)
{
    start();
    EXPECT_TRUE(IsZoomed(window.handle()));
    EXPECT_EQ(windowText(window.handle()), L"Gioca con la tavola pitagorica");
    EXPECT_EQ(SendMessageW(control(Control::txtAnswer), EM_GETLIMITTEXT, 0, 0), 4);

    // Tab order: cmdExit, cmdNext (skipped while disabled), txtAnswer.
    SetFocus(control(Control::txtAnswer));
    press(VK_TAB);
    EXPECT_EQ(GetFocus(), control(Control::cmdExit));
    press(VK_TAB);
    EXPECT_EQ(GetFocus(), control(Control::txtAnswer));
    answerRight();
    ASSERT_EQ(GetFocus(), control(Control::cmdNext));
    press(VK_TAB);
    EXPECT_EQ(GetFocus(), control(Control::txtAnswer));
    press(VK_TAB);
    EXPECT_EQ(GetFocus(), control(Control::cmdExit));
    press(VK_TAB);
    EXPECT_EQ(GetFocus(), control(Control::cmdNext));
}

TEST_F(Win32WindowTest, ControlsAndTheGradientShowTheirColoursOnScreen)
{
    start();
    RECT client{};
    GetClientRect(window.handle(), &client);
    const int x = client.right - 10;
    const int lastRow = client.bottom - 1;
    // Inside the framed yellow factor box (840,0 at 15 twips a pixel), the answer box,
    // and the two buttons' faces near their left edges.
    EXPECT_EQ(pixel(56 + 4, 100 / 2 + 20), RGB(255, 255, 0));
    EXPECT_EQ(pixel(544 + 170, 70), RGB(255, 255, 128));
    EXPECT_EQ(pixel(280 + 6, 352 + 36), RGB(0, 192, 192));
    EXPECT_EQ(pixel(512 + 6, 352 + 36), RGB(192, 0, 192));

    // 256 stripes from top to bottom, blue rising from 0 to 255, red and green equal.
    const COLORREF top = pixel(x, 0);
    const COLORREF bottom = pixel(x, lastRow);
    EXPECT_EQ(GetRValue(top), GetGValue(top));
    EXPECT_EQ(GetRValue(bottom), GetRValue(top));
    EXPECT_EQ(GetBValue(top), 0);
    EXPECT_EQ(GetBValue(bottom), 255);
    EXPECT_NEAR(GetBValue(pixel(x, client.bottom / 2)), 128, 1);

    // A wrong answer wipes the whole drawing black, labels stay on it.
    type("0");
    press(VK_RETURN);
    EXPECT_EQ(pixel(x, lastRow), RGB(0, 0, 0));
    EXPECT_EQ(pixel(x, 0), RGB(0, 0, 0));
    EXPECT_EQ(pixel(56 + 4, 70), RGB(255, 255, 0));
}

TEST_F(Win32WindowTest, TheAnswerBoxTakesDigitsAndBackspaceOnlyAndNoClipboardShortcut)
{
    start();
    ASSERT_EQ(GetFocus(), control(Control::txtAnswer));
    type("1a-. ,+2");
    EXPECT_EQ(window.answerText(), "12");
    type("\b");
    EXPECT_EQ(window.answerText(), "1");
    type("23456");
    EXPECT_EQ(window.answerText(), "1234") << "four characters at most";

    // Ctrl+C, Ctrl+X and Ctrl+V arrive as the characters 3, 24 and 22.
    ASSERT_TRUE(OpenClipboard(window.handle()));
    EmptyClipboard();
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 3 * sizeof(wchar_t));
    std::memcpy(GlobalLock(memory), L"99", 3 * sizeof(wchar_t));
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
    SendMessageW(control(Control::txtAnswer), EM_SETSEL, 0, -1);
    type("\x03\x18\x16");
    EXPECT_EQ(window.answerText(), "1234");

    // Shift+Insert pastes without a character; it is refused too.
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(control(Control::txtAnswer), EM_SETSEL, 0, -1);
    press(VK_INSERT);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(window.answerText(), "1234");
}

TEST_F(Win32WindowTest, EnterScoresThenClicksTheDefaultButtonAndAltNWaitsForIt)
{
    start("Giulia", "10", {0.0, 0.35, 0.45, 0.5});
    PostMessageW(control(Control::txtAnswer), WM_SYSCHAR, 'n', 0);
    pump();
    EXPECT_EQ(window.caption(Control::lblMessage), "") << "Alt+N while cmdNext is disabled";

    answerRight();
    EXPECT_EQ(window.caption(Control::lblMessage), "Esatto! Giulia sei forte!");
    EXPECT_TRUE(IsWindowEnabled(control(Control::cmdNext)));
    EXPECT_EQ(GetFocus(), control(Control::cmdNext));

    // Enter, even from the answer box, now clicks cmdNext: a new question.
    random.script({0.0, 0.35, 0.45, 0.5});
    SetFocus(control(Control::txtAnswer));
    press(VK_RETURN);
    EXPECT_EQ(window.caption(Control::lblMessage), "");
    EXPECT_FALSE(IsWindowEnabled(control(Control::cmdNext)));
    EXPECT_EQ(window.caption(Control::lblScore), "1") << "the answer was not scored twice";

    answerRight();
    random.script({0.0, 0.35, 0.45, 0.5});
    PostMessageW(GetFocus(), WM_SYSCHAR, 'n', 0);
    pump();
    EXPECT_FALSE(IsWindowEnabled(control(Control::cmdNext))) << "Alt+N clicks it once enabled";
}

TEST_F(Win32WindowTest, MinimisingChangesTheCaptionForGood)
{
    start();
    ShowWindow(window.handle(), SW_RESTORE);
    pump();
    EXPECT_EQ(windowText(window.handle()), L"Gioca con la tavola pitagorica");
    ShowWindow(window.handle(), SW_MINIMIZE);
    pump();
    EXPECT_EQ(windowText(window.handle()), L"Giocare con la tavola pitagorica");
    ShowWindow(window.handle(), SW_MAXIMIZE);
    pump();
    EXPECT_EQ(windowText(window.handle()), L"Giocare con la tavola pitagorica");
}

TEST_F(Win32WindowTest, AWholeGameSavesTheRecordInTheAnsiCodePageAndTheNextGameShowsIt)
{
    ASSERT_EQ(GetACP(), 1252u) << "run with an Italian or Western locale";
    start("Niccol\xC3\xB2", "10");
    answerRight();
    random.script({0.0, 0.35, 0.45, 0.5});
    press(VK_RETURN);
    answerRight();
    type("0");
    random.script({0.0, 0.35, 0.45, 0.5});
    press(VK_RETURN);
    press(VK_RETURN);

    SendMessageW(control(Control::cmdExit), BM_CLICK, 0, 0);
    pump();
    ASSERT_EQ(exitStatus, 0);
    EXPECT_EQ(dialogs.prompts().back(), "Ok ho registrato il tuo record, C A M P I O N E");
    EXPECT_EQ(readBytes(records.path() / "tavrec.txt"), "2\r\n");
    EXPECT_EQ(readBytes(records.path() / "ntavrec.txt"), "Niccol\xF2\r\n");

    WindowsRecordStore again{{records.path().string()}, {}};
    again.locate();
    const StoredRecord record = again.open();
    EXPECT_EQ(record.score, "2\r\n");
    EXPECT_EQ(record.name, "Niccol\xC3\xB2\r\n");
}

// Run at 96 dpi (792 x 554 restored) and again at 144 dpi (tests/win32/at_dpi.sh).
TEST_F(Win32WindowTest, PlacesFontsAndTheRestoredSizeFollowTheDpi)
{
    start();
    const char* setting = std::getenv("EXPECTED_DPI");
    const int dpi = setting ? std::atoi(setting) : 96;
    ASSERT_EQ(static_cast<int>(window.dpi()), dpi);
    auto scaled = [dpi](int twips) { return MulDiv(twips, dpi, 1440); };
    ShowWindow(window.handle(), SW_RESTORE);
    pump();
    RECT client{};
    GetClientRect(window.handle(), &client);
    EXPECT_EQ(client.right, scaled(11880));
    EXPECT_EQ(client.bottom, scaled(8310));
    // txtAnswer 8160,0 2775x1200; cmdNext 4200,5280 1815x1095; cmdExit 7680,5280 2055x1095.
    auto expectPlace = [&](Control id, int left, int top, int width, int height) {
        const RECT place = clientRectOf(control(id));
        EXPECT_EQ(place.left, scaled(left));
        EXPECT_EQ(place.top, scaled(top));
        EXPECT_EQ(place.right - place.left, scaled(width));
        EXPECT_EQ(place.bottom - place.top, scaled(height));
    };
    expectPlace(Control::txtAnswer, 8160, 0, 2775, 1200);
    expectPlace(Control::cmdNext, 4200, 5280, 1815, 1095);
    expectPlace(Control::cmdExit, 7680, 5280, 2055, 1095);

    // Arial 48 points, bold, in the answer box.
    LOGFONTW font{};
    const auto handle =
        reinterpret_cast<HFONT>(SendMessageW(control(Control::txtAnswer), WM_GETFONT, 0, 0));
    ASSERT_TRUE(GetObjectW(handle, sizeof font, &font));
    EXPECT_EQ(font.lfHeight, -MulDiv(48, dpi, 72));
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    EXPECT_STREQ(font.lfFaceName, L"Arial");
}

TEST_F(Win32WindowTest, TooltipsKeepTheirBlanks)
{
    start();
    const HWND tips = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr);
    ASSERT_NE(tips, nullptr);
    std::vector<std::wstring> texts;
    const int count = static_cast<int>(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.lpszText = text;
        SendMessageW(tips, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tool));
        texts.emplace_back(text);
    }
    EXPECT_THAT(texts, ::testing::UnorderedElementsAre(
                           L"Inserisci il risultato e  premi il tasto  Invio",
                           L"Clicca sotto di me per impostare il Timer",
                           L"Questo è il tuo punteggio. Forza con il  record", L"Go",
                           L"Ti prego resta ancora, forse riuscirai a farmi uscire "));
}

TEST_F(Win32WindowTest, PointersAndTheNextButtonsDisabledPicture)
{
    start();
    // A real move of the mouse, so the system itself asks the window for its pointer.
    // A fresh Wine prefix may take a while to deliver the move: read until it settles.
    auto pointerOver = [this](POINT at) {
        SetCursorPos(at.x, at.y);
        pump(150);
        HCURSOR seen = GetCursor();
        for (int i = 0; i < 20; ++i) {
            pump();
            const HCURSOR now = GetCursor();
            if (now == seen) break;
            seen = now;
        }
        return seen;
    };
    auto screenPoint = [this](int x, int y) {
        POINT at{x, y};
        ClientToScreen(window.handle(), &at);
        return at;
    };
    // The window's own pointer on bare window; the icon pointer over the message line
    // (1680,2040 in twips) and cmdNext; the system's text cursor in the answer box.
    const HCURSOR window_ = pointerOver(screenPoint(700, 600));
    const HCURSOR message = pointerOver(screenPoint(112 + 20, 136 + 10));
    const HCURSOR next = pointerOver(screenPoint(300, 380));
    const HCURSOR text = pointerOver(screenPoint(544 + 60, 40));
    EXPECT_NE(window_, LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_NE(window_, message);
    EXPECT_EQ(message, next);
    EXPECT_EQ(text, LoadCursorW(nullptr, IDC_IBEAM));

    // The picture at the middle of cmdNext (4200,5280 1815x1095) changes when enabled.
    const int x = 280 + 121 / 2, y = 352 + 73 / 2 - 8;
    const COLORREF disabled = pixel(x, y);
    answerRight();
    EXPECT_NE(pixel(x, y), disabled);
}

TEST_F(Win32WindowTest, TheTimerTicksEverySecondAndTimeUpSaysGoodbyeAndEnds)
{
    start();
    EXPECT_EQ(window.caption(Control::lblconto), "00:15:00");
    pumpFor(1300);
    EXPECT_EQ(window.caption(Control::lblconto), "00:14:59");
    for (int tick = 0; tick < 899 && !exitStatus; ++tick)
        SendMessageW(window.handle(), WM_TIMER, 1, 0);
    EXPECT_EQ(window.caption(Control::lblconto), "00:00:00");
    EXPECT_FALSE(exitStatus);
    SendMessageW(window.handle(), WM_TIMER, 1, 0);
    ASSERT_EQ(exitStatus, 0);
    EXPECT_EQ(dialogs.shown().back().prompt, "Ciao a presto. Ore 0");
    EXPECT_EQ(dialogs.shown().back().title, "Data " + clock.nowText());
}

TEST_F(Win32WindowTest, TheMenuBarAndItsNewGameReloadTheWindow)
{
    start();
    // Two levels at most: the first entry opens a drop-down of one item; "nuovo" is last.
    const HMENU bar = GetMenu(window.handle());
    ASSERT_EQ(GetMenuItemCount(bar), 4);
    ASSERT_NE(GetSubMenu(bar, 0), nullptr);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(bar, 0)), 1);
    wchar_t text[64] = {};
    GetMenuStringW(bar, 3, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"nuovo");

    ShowWindow(window.handle(), SW_MINIMIZE);
    pump();
    ShowWindow(window.handle(), SW_MAXIMIZE);
    pump();
    ASSERT_EQ(windowText(window.handle()), L"Giocare con la tavola pitagorica");

    dialogs.answerYesNo(true);
    dialogs.answerInputs({"5", "Bea", "5"});
    random.script({0.0, 0.35, 0.45, 0.5});
    PostMessageW(window.handle(), WM_COMMAND, GetMenuItemID(bar, 3), 0);
    pump(200);
    EXPECT_FALSE(exitStatus);
    ASSERT_NE(window.handle(), nullptr);
    EXPECT_TRUE(IsZoomed(window.handle()));
    EXPECT_EQ(windowText(window.handle()), L"Gioca con la tavola pitagorica");
    EXPECT_EQ(window.caption(Control::lblnome1), "Bea");
    EXPECT_EQ(window.caption(Control::lblScore), "0");
}

TEST_F(Win32WindowTest, FittedLabelsFollowTheirCaptionsAndCrLfStartsASecondLine)
{
    start();
    window.setCaption(Control::lblnome, "Ugo");
    const RECT one = window.controlRect(Control::lblnome);
    window.setCaption(Control::lblnome, "Ugo Bassi");
    const RECT wider = window.controlRect(Control::lblnome);
    window.setCaption(Control::lblnome, "Ugo\r\nBassi");
    const RECT two = window.controlRect(Control::lblnome);

    // The top-left corner stays (2520,7560 in twips); the width follows the caption.
    EXPECT_EQ(one.left, 168);
    EXPECT_EQ(one.top, 504);
    EXPECT_GT(wider.right, one.right);
    EXPECT_EQ(wider.bottom, one.bottom);
    // Two lines, each as tall as the one before, the wider line setting the width.
    EXPECT_EQ(two.bottom - two.top, 2 * (one.bottom - one.top));
    EXPECT_LT(two.right, wider.right);
    EXPECT_GT(two.right, one.right);
}
