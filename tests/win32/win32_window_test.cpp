// SPDX-License-Identifier: GPL-3.0-or-later
// What only the Win32 window has: the monitor's dpi, pointers the system asks for, the
// paste without a character, and the record files in the ANSI code page.
#include "window_fixture.h"

#include <cmath>
#include <cstdlib>

// Run at 96 dpi (792 x 554 restored) and again at 144 dpi (tests/win32/at_dpi.sh).
TEST_F(WindowTest, PlacesFontsAndTheRestoredSizeFollowTheDpi)
{
    start();
    const char* setting = std::getenv("EXPECTED_DPI");
    const int dpi = setting ? std::atoi(setting) : 96;
    ASSERT_EQ(static_cast<int>(window.dpi()), dpi);
    auto scaled = [dpi](int twips) { return MulDiv(twips, dpi, 1440); };
    showAs(DisplayState::Normal);
    EXPECT_EQ(client(), (Box{0, 0, scaled(11880), scaled(8310)}));
    for (const ExpectedControl& c : expected::controls) {
        SCOPED_TRACE(c.name);
        const Box place = placeOf(c.id);
        EXPECT_EQ(place.left, scaled(c.left));
        EXPECT_EQ(place.top, scaled(c.top));
        if (!c.fits) {
            EXPECT_EQ(place.width, scaled(c.width));
            EXPECT_EQ(place.height, scaled(c.height));
        }
        if (c.id != Control::Image1) {
            EXPECT_LE(std::abs(fontOf(c.id).points - c.points) * dpi / 72, 0.5);
        }
    }
}

TEST_F(WindowTest, PointersFollowTheMouse)
{
    start();
    // A real move of the mouse, so the system itself asks the window for its pointer.
    // Wine may take a while to deliver the move: read until it has settled for a while.
    auto pointerOver = [this](Control id) {
        const Box r = placeOf(id);
        POINT at{r.left + r.width / 2, r.top + r.height / 2};
        if (id == Control::Image1) at = {700, 600}; // bare window, below the picture's row
        ClientToScreen(window.handle(), &at);
        SetCursorPos(at.x, at.y);
        pump(150);
        HCURSOR seen = GetCursor();
        for (int same = 0, i = 0; same < 5 && i < 40; ++i) {
            pump();
            same = GetCursor() == seen ? same + 1 : 0;
            seen = GetCursor();
        }
        return seen;
    };
    // The window's own pointer on bare window; the icon pointer over the message line
    // and cmdNext, even disabled; the system's text cursor in the answer box.
    const HCURSOR bare = pointerOver(Control::Image1);
    const HCURSOR message = pointerOver(Control::lblMessage);
    EXPECT_NE(bare, LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_NE(bare, message);
    EXPECT_EQ(pointerOver(Control::cmdNext), message);
    EXPECT_EQ(pointerOver(Control::txtAnswer), LoadCursorW(nullptr, IDC_IBEAM));
}

TEST_F(WindowTest, ShiftInsertPastesNothingIntoTheBox)
{
    start();
    type("12");
    setClipboard("99");
    selectAllAnswer();
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    PostMessageW(control(Control::txtAnswer), WM_KEYDOWN, VK_INSERT, 0);
    pump();
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(window.answerText(), "12");
}

TEST_F(WindowTest, TheRecordIsSavedInTheAnsiCodePage)
{
    ASSERT_EQ(GetACP(), 1252u) << "run with an Italian or Western locale";
    start("Niccol\xC3\xB2");
    type(product());
    press(Key::Enter);
    click(Control::cmdExit);
    ASSERT_EQ(exitStatus, 0);
    EXPECT_EQ(readBytes(records.path() / "tavrec.txt"), "1\r\n");
    EXPECT_EQ(readBytes(records.path() / "ntavrec.txt"), "Niccol\xF2\r\n");
}
