// SPDX-License-Identifier: GPL-3.0-or-later
// What only the Win32 window has: pointers the system asks for, and the paste without
// a character.
#include "window_fixture.h"

TEST_F(WindowTest, PointersFollowTheMouse)
{
    start();
    // A real move of the mouse, so the system itself asks the window for its pointer.
    // Wine delivers the move in its own time, later under load: wait until the move to
    // this very point has been handled.
    auto pointerOver = [this](Control id) {
        const Box r = placeOf(id);
        POINT at{r.left + r.width / 2, r.top + r.height / 2};
        if (id == Control::Image1) at = {700, 600}; // bare window, below the picture's row
        ClientToScreen(window.handle(), &at);
        SetCursorPos(at.x, at.y);
        bool moved = false;
        for (const DWORD begin = GetTickCount();
             !moved && GetTickCount() - begin < patienceMilliseconds;) {
            MSG message;
            if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                Sleep(5);
                continue;
            }
            if (!window.preTranslate(message)) DispatchMessageW(&message);
            moved = message.message == WM_MOUSEMOVE && message.pt.x == at.x && message.pt.y == at.y;
        }
        EXPECT_TRUE(moved) << "the move never came";
        pump();
        return GetCursor();
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

// As the title bar's buttons do it, with no other window to take the activation.
TEST_F(WindowTest, TypingGoesOnAfterTheWindowIsMinimisedAndRestored)
{
    start();
    for (WPARAM back : {SC_RESTORE, SC_MAXIMIZE}) {
        send(window.handle(), WM_SYSCOMMAND, SC_MINIMIZE);
        send(window.handle(), WM_SYSCOMMAND, back);
        type("1");
    }
    EXPECT_EQ(window.answerText(), "11");
}
