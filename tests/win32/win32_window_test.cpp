// SPDX-License-Identifier: GPL-3.0-or-later
// What only the Win32 window has: pointers the system asks for, and the paste without
// a character.
#include "window_fixture.h"

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
