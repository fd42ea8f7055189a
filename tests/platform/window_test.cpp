// SPDX-License-Identifier: GPL-3.0-or-later
// The real window, the same scenarios on every toolkit: each build brings its own
// window_fixture.h with the probe these tests use (see support/window_probe.h).
#include <window_fixture.h>

#include <chrono>
#include <set>

namespace {

constexpr Rgb painted{10, 20, 30}; // no control uses it
constexpr Rgb black{0, 0, 0};

std::string question(const Form& form)
{
    return form.caption(Control::lblNum1) + "x" + form.caption(Control::lblNum2);
}

} // namespace

// The window as it is created, before any game changes it.
class WindowLayoutTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        window.load(formLayout);
        window.show();
        pump();
    }
    Picture paintedSurface()
    {
        window.setBackColor(painted);
        pump();
        return grab();
    }
};

TEST_F(WindowLayoutTest, EveryControlHasItsPlaceCaptionFontAndTooltip)
{
    for (const ExpectedControl& c : expected::controls) {
        SCOPED_TRACE(c.name);
        Box want = pixelsOf(c, dpi());
        const Box place = placeOf(c.id);
        if (c.fits)
            want.width = place.width, want.height = place.height; // theirs, or the caption's
        EXPECT_EQ(place, want);
        EXPECT_EQ(window.caption(c.id), c.caption);
        EXPECT_EQ(tooltipOf(c.id), c.tooltip);
        if (c.id != Control::Image1) {
            EXPECT_EQ(fontOf(c.id), (FontSeen{c.family, asAsked(c.points), c.bold, c.italic}));
        }
    }
    EXPECT_FALSE(isEnabled(Control::cmdNext));
    EXPECT_TRUE(isEnabled(Control::cmdExit));
    EXPECT_EQ(window.displayState(), DisplayState::Maximised);
    EXPECT_EQ(windowCaption(), "Gioca con la tavola pitagorica");
    EXPECT_EQ(grab().at(790, 300), buttonFace());
    // The drop-down of wp holds v; a and Next share one level after Ciao.
    const std::vector<MenuEntry> items = menu();
    std::vector<int> levels;
    for (const MenuEntry& item : items) {
        levels.push_back(item.level);
        EXPECT_FALSE(item.caption.empty());
    }
    EXPECT_EQ(levels, (std::vector<int>{0, 1, 0, 0, 0}));
    ASSERT_EQ(items.size(), 5u);
    EXPECT_NE(items[3].caption.find('@'), std::string::npos) << "a: an e-mail address";
    EXPECT_EQ(items[4].caption, "nuovo");
    showAs(DisplayState::Normal);
    EXPECT_EQ(client(), (Box{0, 0, scaled(11880, dpi()), scaled(8310, dpi())}));
}

TEST_F(WindowLayoutTest, ControlsShowTheirColoursBackgroundsFramesAndAlignment)
{
    setClientSize(792, 554); // all of it in sight, at any display scale
    // Empty captions get some text, so that their colour and alignment show.
    for (Control id : {Control::lblNum1, Control::lblNum2})
        window.setCaption(id, "8");
    window.setAnswerText("8");
    window.setCaption(Control::lblnome1, "Bea");
    window.setCaption(Control::lblMessage, "Mm");
    const Picture image = paintedSurface();
    int aligned = 0;
    for (const ExpectedControl& c : expected::controls) {
        SCOPED_TRACE(c.name);
        const Box r = placeOf(c.id);
        const Rgb back = c.back.value_or(painted);
        if (c.back) {
            EXPECT_EQ(image.at(r.left + r.width / 2, r.bottom() - 3), back);
        }
        const Box inside = c.framed ? Box{r.left + 1, r.top + 1, r.width - 2, r.height - 2} : r;
        if (c.id == Control::Image1) {
            EXPECT_FALSE(inkOf(image, r, painted, true).empty());
        }
        if (c.id == Control::txtAnswer) {
            const Rgb edge = image.at(r.left, r.top + r.height / 2);
            EXPECT_TRUE(edge != back && edge != painted) << "framed";
        }
        if (!isLabel(c.id)) {
            const Box ink = c.text ? inkOf(image, inside, *c.text) : Box{r.left, 0, 1, 1};
            EXPECT_FALSE(ink.empty()) << "text drawn in its colour";
            EXPECT_LT(ink.left - r.left, r.width / 4) << "left";
            continue;
        }
        EXPECT_EQ(image.at(r.left, r.top), c.framed ? black : painted) << "frame";
        EXPECT_EQ(image.at(r.right(), r.bottom()), c.framed ? black : painted) << "frame";
        EXPECT_EQ(inkOf(image, inside, painted).empty(), c.back.has_value()) << "transparent?";
        ASSERT_FALSE(inkOf(image, inside, c.text.value_or(textColour())).empty())
            << "caption drawn in its colour";
        const Box ink = inkOf(image, inside, back, true);
        const int leftGap = ink.left - inside.left;
        const int rightGap = inside.right() - ink.right();
        if (leftGap + rightGap < 8) continue; // too little room to tell
        ++aligned;
        if (c.centred)
            EXPECT_LE(std::abs(leftGap - rightGap), 3) << "centred";
        else
            EXPECT_LE(leftGap, 4) << "left";
    }
    EXPECT_GE(aligned, labelsWithRoomToAlign);
}

TEST_F(WindowLayoutTest, FittingLabelsFollowTheirCaptionAndTheOthersWrapWithinTheirSize)
{
    for (const ExpectedControl& c : expected::controls) {
        if (!isLabel(c.id)) continue;
        SCOPED_TRACE(c.name);
        window.setCaption(c.id, "Mm Mm Mm Mm Mm Mm Mm Mm Mm");
        Box want = pixelsOf(c, dpi());
        const Box now = placeOf(c.id);
        if (c.fits) {
            EXPECT_GT(now.width, want.width);
            want.width = now.width, want.height = now.height;
        }
        EXPECT_EQ(now, want);
    }

    // A second line as wide as the wider of the two.
    window.setCaption(Control::lblnome, "Ugo");
    const Box one = placeOf(Control::lblnome);
    window.setCaption(Control::lblnome, "Ugo Bassi");
    const Box wide = placeOf(Control::lblnome);
    window.setCaption(Control::lblnome, "Ugo\r\nBassi");
    const Box two = placeOf(Control::lblnome);
    EXPECT_EQ(wide.height, one.height);
    EXPECT_GT(two.height, one.height * 3 / 2);
    EXPECT_GT(two.width, one.width);
    EXPECT_LT(two.width, wide.width);

    // Too long for one line: wrapped, the first line shows whole and centred.
    window.setCaption(Control::lblMessage, "Esatto! Bartolomeo Francesco Giuseppe sei forte!");
    const Box message = placeOf(Control::lblMessage);
    const Box ink = inkOf(paintedSurface(), message, painted, true);
    ASSERT_FALSE(ink.empty());
    EXPECT_GT(ink.left - message.left, 20);
    EXPECT_GT(message.right() - ink.right(), 20);
}

TEST_F(WindowLayoutTest, TheNextButtonShowsOtherPicturesWhenEnabledAndPressed)
{
    auto look = [this] {
        const Picture image = grab();
        const Box r = placeOf(Control::cmdNext);
        std::vector<Rgb> seen;
        for (int y = r.top; y <= r.bottom(); ++y)
            for (int x = r.left; x <= r.right(); ++x)
                seen.push_back(image.at(x, y));
        return seen;
    };
    const auto disabled = look();
    window.setEnabled(Control::cmdNext, true);
    pump();
    const auto normal = look();
    holdDown(Control::cmdNext, true);
    const auto pressed = look();
    holdDown(Control::cmdNext, false);
    EXPECT_NE(normal, disabled);
    EXPECT_NE(normal, pressed);
    EXPECT_NE(pressed, disabled);
}

TEST_F(WindowTest, FirstQuestionThenKeysTabOrderEnterSpaceAndAccessKeys)
{
    start();
    EXPECT_FALSE(window.caption(Control::lblNum1).empty());
    EXPECT_FALSE(window.caption(Control::lblNum2).empty());
    EXPECT_EQ(clockAtStart, "00:15:00");
    EXPECT_TRUE(hasFocus(Control::txtAnswer));

    // Tab: cmdExit, cmdNext (skipped while disabled), txtAnswer.
    press(Key::Tab);
    EXPECT_TRUE(hasFocus(Control::cmdExit));
    press(Key::Tab);
    EXPECT_TRUE(hasFocus(Control::txtAnswer));

    type("5");
    const std::string asked = question(window);
    press(Key::AltN);
    EXPECT_EQ(window.answerText(), "5") << "Alt+N does nothing while cmdNext is disabled";
    EXPECT_EQ(question(window), asked);

    window.setAnswerText("");
    type(product());
    press(Key::Enter);
    EXPECT_EQ(window.caption(Control::lblMessage), "Esatto! Anna sei forte!");
    EXPECT_EQ(window.caption(Control::lblScore), "1");
    EXPECT_EQ(window.caption(Control::lblScore2), "1");
    EXPECT_TRUE(isEnabled(Control::cmdNext));
    EXPECT_TRUE(hasFocus(Control::cmdNext)) << "scored once, not also a new question";
    press(Key::Tab);
    EXPECT_TRUE(hasFocus(Control::txtAnswer));
    press(Key::Tab);
    EXPECT_TRUE(hasFocus(Control::cmdExit));
    press(Key::Tab);
    EXPECT_TRUE(hasFocus(Control::cmdNext));

    // Enter, even from the answer box, clicks the default button: a new question.
    window.setFocus(Control::txtAnswer);
    press(Key::Enter);
    EXPECT_FALSE(isEnabled(Control::cmdNext));
    EXPECT_EQ(window.caption(Control::lblMessage), "");
    EXPECT_EQ(window.caption(Control::lblScore2), "1") << "the answer was not scored twice";
    EXPECT_TRUE(hasFocus(Control::txtAnswer));

    type("0");
    press(Key::KeypadEnter);
    EXPECT_EQ(window.caption(Control::lblScore2), "2");
    EXPECT_TRUE(hasFocus(Control::cmdNext));
    press(Key::Space);
    EXPECT_FALSE(isEnabled(Control::cmdNext)) << "Space on the focused button clicks it too";

    type("0");
    press(Key::Enter);
    ASSERT_NE(window.caption(Control::lblMessage), "");
    window.setFocus(Control::txtAnswer);
    press(Key::AltN);
    EXPECT_FALSE(isEnabled(Control::cmdNext));
    EXPECT_EQ(window.caption(Control::lblMessage), "") << "Alt+N poses the next question";
    press(Key::AltX);
    EXPECT_EQ(exitStatus, 0);
}

TEST_F(WindowTest, TheBoxTakesDigitsAndBackspaceOnlyAndALongPasteIsCut)
{
    start();
    type("1a-. ,+2");
    EXPECT_EQ(window.answerText(), "12");
    press(Key::Backspace);
    EXPECT_EQ(window.answerText(), "1");
    type("23456");
    EXPECT_EQ(window.answerText(), "1234") << "four characters at most";

    setClipboard("99");
    selectAllAnswer();
    for (Key shortcut : {Key::CtrlC, Key::CtrlX, Key::CtrlV})
        press(shortcut);
    EXPECT_EQ(window.answerText(), "1234");
    EXPECT_EQ(clipboard(), "99");

    // The box's own paste is not filtered: cut to four characters, scored by value.
    window.setAnswerText("");
    paste("123456789");
    EXPECT_EQ(window.answerText(), "1234");
    window.setAnswerText("");
    paste("1E5");
    press(Key::Enter);
    EXPECT_EQ(window.caption(Control::lblMessage), "Sbagliato!! " + product());
}

TEST_F(WindowTest, GradientFillsTheClientAreaAndGrowingUncoversTheBackgroundUntilTheNext)
{
    start();
    setClientSize(1000, 700);
    type(product() == "1" ? "2" : "1");
    press(Key::Enter);
    EXPECT_EQ(window.caption(Control::lblMessage), "Sbagliato!! " + product());
    const Picture wiped = grab();
    EXPECT_EQ(wiped.at(999, 0), black);
    EXPECT_EQ(wiped.at(999, 699), black);
    EXPECT_EQ(wiped.at(60, 70), expected::yellow) << "labels stay on it";

    int tint = 0;
    for (Box size : {Box{0, 0, 1000, 700}, Box{0, 0, 792, 554}, Box{0, 0, 1000, 700}}) {
        SCOPED_TRACE(size.width);
        const bool grows = client().width < size.width;
        setClientSize(size.width, size.height);
        ASSERT_EQ(client(), size);
        if (grows) {
            const Picture grown = grab();
            EXPECT_EQ(grown.at(999, 10), black) << "not what was painted at this size before";
            EXPECT_EQ(grown.at(10, 699), black);
            EXPECT_EQ(grown.at(470, 0), (Rgb{tint, tint, 0})) << "what was painted stays";
        }
        window.setEnabled(Control::cmdNext, true);
        click(Control::cmdNext);
        const Picture image = grab();
        tint = 10 * tavola.state().shade.value();
        std::set<int> blues;
        for (int y = 0; y < image.height; ++y) {
            const Rgb c = image.at(image.width - 1, y);
            ASSERT_EQ(c.red, tint) << y;
            ASSERT_EQ(c.green, tint) << y;
            blues.insert(c.blue);
        }
        EXPECT_EQ(blues.size(), 256u);
        EXPECT_EQ(image.at(image.width - 1, 0).blue, 0);
        EXPECT_EQ(image.at(image.width - 1, image.height - 1).blue, 255);
        EXPECT_NEAR(image.at(image.width - 1, image.height / 2).blue, 128, 1);
    }
}

TEST_F(WindowTest, MinimisingRenamesTheWindowAndNoReactivationPosesAQuestion)
{
    start();
    type("1");
    const std::string asked = question(window);
    // Another program's window comes to the front, then this one again.
    reactivate();
    EXPECT_EQ(window.answerText(), "1") << "the open question stays";
    EXPECT_EQ(question(window), asked);

    showAs(DisplayState::Normal);
    EXPECT_EQ(windowCaption(), "Gioca con la tavola pitagorica");
    showAs(DisplayState::Minimised);
    EXPECT_EQ(windowCaption(), "Giocare con la tavola pitagorica");
    showAs(DisplayState::Maximised);
    EXPECT_EQ(windowCaption(), "Giocare con la tavola pitagorica");
}

TEST_F(WindowTest, TheClockTicksEverySecondAndAgainAfterANewGameFromTheMenu)
{
    // The first tick, a second after the clock was started: a busy machine can delay it,
    // never hurry it.
    auto firstTick = [this](std::chrono::steady_clock::time_point before) {
        EXPECT_TRUE(waitFor([this] { return window.caption(Control::lblconto) != "00:15:00"; }));
        EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(900));
        EXPECT_EQ(window.caption(Control::lblconto), "00:14:59");
    };
    const auto started = std::chrono::steady_clock::now();
    start();
    firstTick(started);

    showAs(DisplayState::Minimised);
    showAs(DisplayState::Maximised);
    dialogs.answerYesNo(true);
    dialogs.answerInputs({"5", "Bea", "7"});
    const auto restarted = std::chrono::steady_clock::now();
    chooseNewGame();
    EXPECT_EQ(window.displayState(), DisplayState::Maximised);
    EXPECT_EQ(windowCaption(), "Gioca con la tavola pitagorica");
    EXPECT_EQ(window.caption(Control::lblnome1), "Bea");
    EXPECT_EQ(window.caption(Control::lblScore), "0");
    EXPECT_EQ(clockAtStart, "00:15:00");
    EXPECT_EQ(tavola.state().tableLimit.value(), 7);
    EXPECT_TRUE(hasFocus(Control::txtAnswer));
    EXPECT_EQ(menu().size(), 5u);
    firstTick(restarted);

    for (int second = 0; second < 899; ++second)
        tick();
    EXPECT_EQ(window.caption(Control::lblconto), "00:00:00");
    EXPECT_FALSE(exitStatus);
    tick();
    ASSERT_EQ(exitStatus, 0);
    EXPECT_EQ(dialogs.shown().back().prompt, "Ciao a presto. Ore 0");
    EXPECT_EQ(dialogs.shown().back().title, "Data " + clock.nowText());
}

TEST_F(WindowTest, TheCloseBoxEndsWithoutSavingAndExitSavesABetterScore)
{
    start("Zoë");
    type(product());
    press(Key::Enter);
    closeBox();
    EXPECT_EQ(exitStatus, 0);
    EXPECT_EQ(readBytes(records.path() / "tavrec.txt"), "");

    exitStatus.reset();
    click(Control::cmdExit);
    EXPECT_EQ(exitStatus, 0);
    EXPECT_EQ(dialogs.prompts().back(), "Ok ho registrato il tuo record, C A M P I O N E");
    EXPECT_EQ(readBytes(records.path() / "tavrec.txt"), "1\r\n");
    EXPECT_EQ(readBytes(records.path() / "ntavrec.txt"), zoeAsStored);
}

TEST_F(WindowTest, AFatalErrorIsShownThenEndsTheProgramWithStatusOne)
{
    // A record file that cannot be read: a directory stands in its place.
    std::filesystem::create_directory(records.path() / "tavrec.txt");
    std::string shown;
    closeNextDialog(shown);
    start();
    EXPECT_NE(shown.find("tavrec.txt"), std::string::npos) << shown;
    EXPECT_EQ(exitStatus, 1);
}
