// SPDX-License-Identifier: GPL-3.0-or-later
// What only the Win32 window has: pointers the system asks for, the paste without a
// character, and the wait for a record another program holds.
#include "installers_folder.h"
#include "platform/win32/win32waiting.h"
#include "window_fixture.h"

using namespace std::chrono_literals;

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

// While the game waits for a held record: the window keeps painting and shows the wait's
// pointer, and typed keys and the timer's ticks wait their turn.
TEST_F(WindowTest, WaitingPaintsButTakesNoInputNorTick)
{
    start();
    const std::string clockBefore = window.caption(Control::lblconto);
    PostMessageW(control(Control::txtAnswer), WM_CHAR, '7', 0);
    PostMessageW(window.handle(), WM_TIMER, 1, 0);
    InvalidateRect(window.handle(), nullptr, FALSE);
    Win32Waiting waiting;
    waiting.stillWaiting();
    RECT unpainted{};
    EXPECT_FALSE(GetUpdateRect(window.handle(), &unpainted, FALSE));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
    EXPECT_EQ(window.answerText(), "");
    EXPECT_EQ(window.caption(Control::lblconto), clockBefore);
    waiting.doneWaiting();
    EXPECT_NE(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
    pump();
    EXPECT_EQ(window.answerText(), "7") << "typed once the wait is over";
    EXPECT_NE(window.caption(Control::lblconto), clockBefore);
}

namespace {

// The window's own wait, looked at each time the store calls it.
struct WaitLooker : Waiting {
    explicit WaitLooker(Win32Form& window) : window(window) {}
    void stillWaiting() override
    {
        const HWND shown = window.handle();
        const bool visible = shown && IsWindowVisible(shown);
        if (visible) InvalidateRect(shown, nullptr, FALSE);
        real.stillWaiting();
        RECT left{};
        unpainted += visible && GetUpdateRect(shown, &left, FALSE);
        waitPointer = waitPointer && GetCursor() == LoadCursorW(nullptr, IDC_WAIT);
        if (const std::wstring text = noteShown(); !text.empty()) note = text;
        ++calls;
    }
    void doneWaiting() override
    {
        real.doneWaiting();
        ++done;
    }

    // The text of a window of this thread other than the game's, shown.
    std::wstring noteShown() const
    {
        struct Search {
            HWND game;
            std::wstring text;
        } search{window.handle(), {}};
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND shown, LPARAM found) -> BOOL {
                auto& search = *reinterpret_cast<Search*>(found);
                if (shown == search.game || !IsWindowVisible(shown)) return TRUE;
                wchar_t text[200] = L"";
                GetWindowTextW(shown, text, 200);
                search.text = text;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.text;
    }

    Win32Form& window;
    Win32Waiting real;
    int calls = 0, done = 0, unpainted = 0;
    bool waitPointer = true;
    std::wstring note;
};

// The game with a record that waits a while for a lock another program holds, watched.
class HeldRecordTest : public WindowTest {
protected:
    void TearDown() override
    {
        window.setEvents(&tavola);
        WindowTest::TearDown();
    }
    TempDir own;
    WaitLooker looker{window};
    std::string notice;
    WindowsRecordStore held{{{records.path().string()}, {own.path().string()}},
                            [this](const std::string& text) { notice = text; },
                            &looker,
                            1500ms};
    Tavola game{window, dialogs, random, clock, held};
};

} // namespace

TEST_F(HeldRecordTest, AtTheEndTheWindowStaysPaintedAndTheGameEnds)
{
    startGame(game);
    type(std::to_string(game.state().expectedAnswer.value()));
    press(Key::Enter);
    const auto lock = lockOf(records.path());
    click(Control::cmdExit);
    EXPECT_EQ(exitStatus, 0);
    EXPECT_NE(dialogs.prompts().back(), "Ok ho registrato il tuo record, C A M P I O N E");
    EXPECT_GE(looker.calls, 2);
    EXPECT_EQ(looker.done, 1);
    EXPECT_EQ(looker.unpainted, 0);
    EXPECT_TRUE(looker.waitPointer);
    EXPECT_EQ(looker.note, L"") << "the window itself shows the wait";
    EXPECT_NE(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
    EXPECT_EQ(readBytes(records.path() / "tavrec.txt"), "");
}

// The countdown starts before the record is read; the wait for a held one takes more than
// a tick, and none of it from the player.
TEST_F(HeldRecordTest, AtStartItCostsThePlayerNoTime)
{
    const auto lock = lockOf(records.path());
    startGame(game);
    EXPECT_EQ(clockAtStart, "00:15:00");
    EXPECT_FALSE(window.caption(Control::lblNum1).empty()) << "the first question is posed";
    EXPECT_GE(looker.calls, 2);
    EXPECT_EQ(looker.note, L"Un momento: aspetto il record di questo computer...")
        << "a wait before the window shows is told";
    EXPECT_EQ(looker.noteShown(), L"") << "and the note goes with the wait";
    EXPECT_NE(notice.find(records.path().string()), notice.npos) << notice;
}
