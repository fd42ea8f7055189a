// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/captionlabel.h"
#include "platform/qt/picturebutton.h"
#include "support/window_fixture.h"

#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include <memory>

namespace {

QColor rgb(int r, int g, int b)
{
    return QColor(r, g, b);
}

} // namespace

class WindowPlayTest : public WindowTest {
protected:
    QLineEdit* box() const { return widget<QLineEdit>(Control::txtAnswer); }
    QAbstractButton* next() const { return widget<QAbstractButton>(Control::cmdNext); }
    std::string caption(Control id) const { return window.caption(id); }
    std::string product() const { return std::to_string(tavola.state().expectedAnswer.value()); }
};

TEST_F(WindowPlayTest, FirstQuestionIsOnScreenWithTheFocusInTheAnswerBox)
{
    start();
    EXPECT_FALSE(caption(Control::lblNum1).empty());
    EXPECT_FALSE(caption(Control::lblNum2).empty());
    EXPECT_FALSE(next()->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), box());
    EXPECT_EQ(caption(Control::lblconto), "00:15:00");
}

TEST_F(WindowPlayTest, TheBoxTakesDigitsAndBackspaceOnly)
{
    start();
    QTest::keyClicks(box(), "1a-. ,+2");
    EXPECT_EQ(box()->text(), "12");
    QTest::keyClick(box(), Qt::Key_Backspace);
    EXPECT_EQ(box()->text(), "1");
    QTest::keyClicks(box(), "23456");
    EXPECT_EQ(box()->text(), "1234") << "four characters at most";

    QApplication::clipboard()->setText("99");
    box()->selectAll();
    QTest::keyClick(box(), Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(box(), Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(box(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box()->text(), "1234");
    EXPECT_EQ(QApplication::clipboard()->text(), "99");
}

TEST_F(WindowPlayTest, OneEnterScoresAndTheNextEnterPosesTheNextQuestion)
{
    start();
    QTest::keyClicks(box(), QString::fromStdString(product()));
    QTest::keyClick(box(), Qt::Key_Return);
    EXPECT_EQ(caption(Control::lblMessage), "Esatto! Anna sei forte!");
    EXPECT_EQ(caption(Control::lblScore), "1");
    EXPECT_EQ(caption(Control::lblScore2), "1");
    EXPECT_TRUE(next()->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), next()) << "scored once, not also a new question";

    QTest::keyClick(next(), Qt::Key_Return);
    EXPECT_FALSE(next()->isEnabled());
    EXPECT_EQ(caption(Control::lblMessage), "");
    EXPECT_EQ(QApplication::focusWidget(), box());

    QTest::keyClicks(box(), "0");
    QTest::keyClick(box(), Qt::Key_Enter);
    box()->setFocus();
    QTest::keyClick(box(), Qt::Key_Return);
    EXPECT_FALSE(next()->isEnabled()) << "Enter in the box clicks the default button";
    EXPECT_EQ(caption(Control::lblScore2), "2");

    QTest::keyClick(box(), Qt::Key_Return);
    QTest::keyClick(next(), Qt::Key_Space);
    EXPECT_FALSE(next()->isEnabled()) << "Space on the focused button clicks it too";
}

TEST_F(WindowPlayTest, AccessKeysClickOnlyEnabledButtons)
{
    start();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClicks(box(), "5");
    const std::string question = caption(Control::lblNum1) + "x" + caption(Control::lblNum2);
    QTest::keyClick(&window, Qt::Key_N, Qt::AltModifier);
    QTest::qWait(200); // an access key clicks after a short press animation
    EXPECT_EQ(box()->text(), "5") << "Alt+N does nothing while disabled";
    EXPECT_EQ(caption(Control::lblNum1) + "x" + caption(Control::lblNum2), question);

    QTest::keyClick(box(), Qt::Key_Return);
    ASSERT_NE(caption(Control::lblMessage), "");
    QTest::keyClick(&window, Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([this] { return !next()->isEnabled(); }));
    EXPECT_EQ(caption(Control::lblMessage), "") << "Alt+N poses the next question";

    QTest::keyClick(&window, Qt::Key_X, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([this] { return exitStatus.has_value(); }));
    EXPECT_EQ(exitStatus, 0);
}

TEST_F(WindowPlayTest, GradientFillsTheClientAreaAtTwoSizesAndGoesBlackOnAWrongAnswer)
{
    start();
    for (QSize size : {QSize(792, 554), QSize(1000, 700)}) {
        SCOPED_TRACE(size.width());
        setClientSize(size);
        next()->setEnabled(true);
        next()->click();
        const int tint = 10 * tavola.state().shade.value();
        const QImage image = surfaceImage();
        ASSERT_EQ(image.size(), size * window.surface()->devicePixelRatioF());
        EXPECT_EQ(image.pixelColor(size.width() - 1, 0), rgb(tint, tint, 0));
        EXPECT_EQ(image.pixelColor(size.width() - 1, image.height() - 1), rgb(tint, tint, 255));
        EXPECT_EQ(image.pixelColor(size.width() - 1, image.height() / 2), rgb(tint, tint, 128));
    }

    QTest::keyClicks(box(), "1");
    if (product() == "1") QTest::keyClicks(box(), "1");
    QTest::keyClick(box(), Qt::Key_Return);
    EXPECT_EQ(caption(Control::lblMessage), "Sbagliato!! " + product());
    const QImage black = surfaceImage();
    EXPECT_EQ(black.pixelColor(999, 0), rgb(0, 0, 0));
    EXPECT_EQ(black.pixelColor(999, 699), rgb(0, 0, 0));
}

TEST_F(WindowPlayTest, GrowingTheWindowShowsTheBackgroundColourUntilTheNextQuestion)
{
    start();
    QTest::keyClicks(box(), product() == "1" ? "2" : "1");
    QTest::keyClick(box(), Qt::Key_Return); // wrong: the background turns black
    const QSize large = window.surface()->size();
    next()->click(); // a question painted at the maximised size
    setClientSize(QSize(600, 400));
    next()->setEnabled(true);
    next()->click();
    const int tint = 10 * tavola.state().shade.value();
    window.showMaximized();
    QApplication::processEvents();
    ASSERT_EQ(window.surface()->size(), large);
    const QImage grown = surfaceImage();
    EXPECT_EQ(grown.pixelColor(large.width() - 1, 10), rgb(0, 0, 0));
    EXPECT_EQ(grown.pixelColor(10, large.height() - 1), rgb(0, 0, 0))
        << "not the gradient painted earlier at this size";
    EXPECT_EQ(grown.pixelColor(470, 0), rgb(tint, tint, 0)) << "what was painted stays";

    next()->setEnabled(true);
    next()->click();
    EXPECT_EQ(surfaceImage().pixelColor(large.width() - 1, large.height() - 1).blue(), 255);
}

TEST_F(WindowPlayTest, NewGameFromTheMenuRebuildsTheWindowAndKeepsTheGameState)
{
    start("Anna", "10");
    window.showMinimized();
    QApplication::processEvents();
    window.showMaximized();
    QWidget* oldBox = box();
    dialogs.answerYesNo(true);
    dialogs.answerInputs({"5", "Bea", "7"});
    window.menuBar()->actions()[3]->trigger();
    QApplication::processEvents();
    EXPECT_NE(box(), oldBox);
    EXPECT_EQ(window.windowTitle(), "Gioca con la tavola pitagorica");
    EXPECT_EQ(caption(Control::lblnome1), "Bea");
    EXPECT_EQ(caption(Control::lblconto), "00:15:00");
    EXPECT_EQ(tavola.state().tableLimit.value(), 7);
    EXPECT_TRUE(window.timer()->isActive());
    EXPECT_EQ(window.focusWidget(), box());
    EXPECT_EQ(window.menuBar()->actions().size(), 4);
}

TEST_F(WindowPlayTest, TheCloseBoxEndsTheProgramWithoutSaving)
{
    start();
    QTest::keyClicks(box(), QString::fromStdString(product()));
    QTest::keyClick(box(), Qt::Key_Return);
    window.close();
    EXPECT_EQ(exitStatus, 0);
    EXPECT_EQ(readBytes(records.path() / "tavrec.txt"), "");
}

TEST_F(WindowPlayTest, ExitSavesABetterScore)
{
    start("Zoë");
    QTest::keyClicks(box(), QString::fromStdString(product()));
    QTest::keyClick(box(), Qt::Key_Return);
    QTest::mouseClick(widget(Control::cmdExit), Qt::LeftButton);
    EXPECT_EQ(exitStatus, 0);
    EXPECT_FALSE(window.timer()->isActive());
    EXPECT_EQ(readBytes(records.path() / "tavrec.txt"), "1\r\n");
    EXPECT_EQ(readBytes(records.path() / "ntavrec.txt"), "Zoë\r\n");
}

TEST_F(WindowPlayTest, ALongPasteIsCutToFourCharactersAndScoredByItsValue)
{
    start();
    QApplication::clipboard()->setText("123456789");
    std::unique_ptr<QMenu> menu(box()->createStandardContextMenu());
    for (QAction* action : menu->actions())
        if (action->text().startsWith("&Paste")) action->trigger();
    EXPECT_EQ(box()->text(), "1234") << "pasted through the box's own menu";
    QApplication::clipboard()->setText("1E5");
    box()->clear();
    box()->paste();
    QTest::keyClick(box(), Qt::Key_Return);
    EXPECT_EQ(caption(Control::lblMessage), "Sbagliato!! " + product());
}
