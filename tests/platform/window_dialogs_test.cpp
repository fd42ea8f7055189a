// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/qtdialogs.h"
#include "support/window_fixture.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {

// Does act on the next modal dialog as soon as it shows, from inside its event loop.
void onNextDialog(std::function<void(QWidget*)> act)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || !dialog->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        act(dialog);
    });
    poll->start(10);
}

// A key pressed by the player goes to whatever has the focus in the dialog.
void press(QWidget* dialog, Qt::Key key)
{
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus && dialog->isAncestorOf(focus) ? focus : dialog, key);
}

} // namespace

TEST(QtDialogs, UntitledDialogsCarryTheApplicationsTitleAndInputIsEmptyUnlessOk)
{
    QtDialogs dialogs(nullptr);
    QStringList titles;
    auto typeThen = [&titles](std::function<void(QWidget*)> close) {
        onNextDialog([&titles, close](QWidget* dialog) {
            titles << dialog->windowTitle();
            if (auto* field = dialog->findChild<QLineEdit*>()) QTest::keyClicks(field, "Anna");
            close(dialog);
        });
    };
    auto enter = [](QWidget* dialog) { press(dialog, Qt::Key_Return); };
    typeThen(enter);
    dialogs.message("Ciao");
    typeThen(enter);
    dialogs.message("Ciao a presto. Ore 0", "Data 07/12/2026 10:45:01");
    typeThen(enter);
    EXPECT_EQ(dialogs.inputBox("Come ti chiami?"), "Anna");
    EXPECT_EQ(titles, QStringList({"Moltiplix", "Data 07/12/2026 10:45:01", "Moltiplix"}));

    typeThen([](QWidget* dialog) { press(dialog, Qt::Key_Escape); });
    EXPECT_EQ(dialogs.inputBox("Come ti chiami?"), "") << "cancelled";
    typeThen([](QWidget* dialog) { dialog->close(); });
    EXPECT_EQ(dialogs.inputBox("Come ti chiami?"), "") << "closed by its close box";
}

TEST(QtDialogs, NewGameQuestionDefaultsToNoAndOnlyItsButtonsCloseIt)
{
    QtDialogs dialogs(nullptr);
    onNextDialog([](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        EXPECT_EQ(box->windowTitle(), "INIZIARE NUOVA GARA");
        EXPECT_EQ(box->text(), "INIZIAMO UNA NUOVA GARA  ?");
        press(dialog, Qt::Key_Return);
    });
    EXPECT_FALSE(dialogs.askYesNo("INIZIAMO UNA NUOVA GARA  ?", "INIZIARE NUOVA GARA"))
        << "Enter answers No";

    bool stayedOpen = false;
    onNextDialog([&stayedOpen](QWidget* dialog) {
        press(dialog, Qt::Key_Escape);
        dialog->close();
        QApplication::processEvents();
        stayedOpen = dialog->isVisible();
        static_cast<QMessageBox*>(dialog)->button(QMessageBox::Yes)->click();
    });
    EXPECT_TRUE(dialogs.askYesNo("INIZIAMO UNA NUOVA GARA  ?", "INIZIARE NUOVA GARA"));
    EXPECT_TRUE(stayedOpen) << "neither Escape nor the close box answers";
}

TEST_F(WindowTest, AFatalErrorIsShownThenEndsTheProgramWithStatusOne)
{
    // A record file that cannot be read: a directory stands in its place.
    std::filesystem::create_directory(records.path() / "tavrec.txt");
    QString shown;
    onNextDialog([&shown](QWidget* dialog) {
        shown = static_cast<QMessageBox*>(dialog)->text();
        press(dialog, Qt::Key_Return);
    });
    start();
    EXPECT_TRUE(shown.contains("tavrec.txt")) << shown.toStdString();
    EXPECT_EQ(exitStatus, 1);
    EXPECT_FALSE(window.timer()->isActive());
}
