// SPDX-License-Identifier: GPL-3.0-or-later
// What only the Win32 window has: pointers the system asks for, and the paste without
// a character.
#include "window_fixture.h"

namespace {

POINT mouseAt;
std::optional<HCURSOR> answered;

// After each WM_SETCURSOR the window handled for the place the mouse was moved to: the
// pointer it set. Under load the system may still be at a move before, whose window
// or cursor's place are another.
LRESULT CALLBACK afterCall(int code, WPARAM sent, LPARAM call)
{
    const auto* handled = reinterpret_cast<const CWPRETSTRUCT*>(call);
    POINT now{};
    GetCursorPos(&now);
    if (code == HC_ACTION && handled->message == WM_SETCURSOR &&
        reinterpret_cast<HWND>(handled->wParam) == WindowFromPoint(mouseAt) && now.x == mouseAt.x &&
        now.y == mouseAt.y)
        answered = GetCursor();
    return CallNextHookEx(nullptr, code, sent, call);
}

} // namespace

TEST_F(WindowTest, PointersFollowTheMouse)
{
    start();
    // A real move of the mouse, so the system itself asks the window for its pointer.
    // Wine delivers the move in its own time, later under load: wait until the window
    // has been asked with the mouse at this very point.
    const HHOOK hook =
        SetWindowsHookExW(WH_CALLWNDPROCRET, afterCall, nullptr, GetCurrentThreadId());
    ASSERT_TRUE(hook);
    auto pointerOver = [this](Control id) {
        const Box r = placeOf(id);
        POINT at{r.left + r.width / 2, r.top + r.height / 2};
        if (id == Control::Image1) at = {700, 600}; // bare window, below the picture's row
        ClientToScreen(window.handle(), &at);
        answered.reset();
        mouseAt = at;
        SetCursorPos(at.x, at.y);
        EXPECT_TRUE(waitFor([] { return answered.has_value(); })) << "never asked there";
        return answered.value_or(nullptr);
    };
    // The window's own pointer on bare window; the icon pointer over the message line
    // and cmdNext, even disabled; the system's text cursor in the answer box.
    const HCURSOR bare = pointerOver(Control::Image1);
    const HCURSOR message = pointerOver(Control::lblMessage);
    EXPECT_NE(bare, LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_NE(bare, message);
    EXPECT_EQ(pointerOver(Control::cmdNext), message);
    EXPECT_EQ(pointerOver(Control::txtAnswer), LoadCursorW(nullptr, IDC_IBEAM));
    UnhookWindowsHookEx(hook);
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
