// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/qtdialogs.h"
#include "platform/qt/translations.h"
#include "support/window_fixture.h"

#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QTranslator>

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
    auto enter = [](QWidget* dialog) { pressIn(dialog, Qt::Key_Return); };
    typeThen(enter);
    dialogs.message("Ciao");
    int farewellWidth = 0;
    typeThen([&farewellWidth](QWidget* dialog) {
        farewellWidth = dialog->width();
        pressIn(dialog, Qt::Key_Return);
    });
    dialogs.message("Ciao a presto. Ore 0", "Data 07/12/2026 10:45:01");
    typeThen(enter);
    EXPECT_EQ(dialogs.inputBox("Come ti chiami?"), "Anna");
    EXPECT_EQ(titles, QStringList({"Moltiplix", "Data 07/12/2026 10:45:01", "Moltiplix"}));
    // Its title bar holds the date, in bold, beside an icon and three buttons a line wide.
    QFont bold = QApplication::font();
    bold.setBold(true);
    const QFontMetrics title(bold);
    EXPECT_GT(farewellWidth,
              title.horizontalAdvance("Data 07/12/2026 10:45:01") + 4 * title.height());

    typeThen([](QWidget* dialog) { pressIn(dialog, Qt::Key_Escape); });
    EXPECT_EQ(dialogs.inputBox("Come ti chiami?"), "") << "cancelled";
    typeThen([](QWidget* dialog) { dialog->close(); });
    EXPECT_EQ(dialogs.inputBox("Come ti chiami?"), "") << "closed by its close box";

    // Pasted as a child would, an emoji the limit cuts in two must not be saved as "?".
    onNextDialog([](QWidget* dialog) {
        dialog->findChild<QLineEdit*>()->insert(QString(49, 'a') +
                                                QString::fromUtf8("\U0001F600b"));
        pressIn(dialog, Qt::Key_Return);
    });
    EXPECT_EQ(dialogs.inputBox("Come ti chiami?", {}, 50), std::string(49, 'a'));
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
        pressIn(dialog, Qt::Key_Return);
    });
    EXPECT_FALSE(dialogs.askYesNo("INIZIAMO UNA NUOVA GARA  ?", "INIZIARE NUOVA GARA"))
        << "Enter answers No";

    bool stayedOpen = false;
    onNextDialog([&stayedOpen](QWidget* dialog) {
        pressIn(dialog, Qt::Key_Escape);
        dialog->close();
        QApplication::processEvents();
        stayedOpen = dialog->isVisible();
        static_cast<QMessageBox*>(dialog)->button(QMessageBox::Yes)->click();
    });
    EXPECT_TRUE(dialogs.askYesNo("INIZIAMO UNA NUOVA GARA  ?", "INIZIARE NUOVA GARA"));
    EXPECT_TRUE(stayedOpen) << "neither Escape nor the close box answers";
}

TEST_F(WindowTest, DialogsCarryTheIconAndAreCentredOnTheScreenThenOnTheWindow)
{
    QtDialogs real(&window);
    auto expectCentredOn = [](std::function<QPoint()> centre) {
        onNextDialog([centre](QWidget* dialog) {
            EXPECT_FALSE(dialog->windowIcon().pixmap(32).isNull());
            EXPECT_LE((dialog->frameGeometry().center() - centre()).manhattanLength(), 4);
            dialog->close();
        });
    };
    // The very first dialog, the window still hidden.
    expectCentredOn([] { return QApplication::primaryScreen()->availableGeometry().center(); });
    real.inputBox("Come ti chiami?");

    start();
    showAs(DisplayState::Normal);
    window.setGeometry(420, 300, 360, 260);
    pump();
    expectCentredOn([this] { return window.frameGeometry().center(); });
    real.message("Ciao");
}

TEST(QtTranslations, DialogButtonsSpeakItalianOnAnItalianDesktop)
{
    ASSERT_TRUE(installQtTranslations(*QCoreApplication::instance(), QLocale(QLocale::Italian)));
    QMessageBox box(QMessageBox::Question, "t", "p", QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove('&'), QString::fromUtf8("Sì"));
    EXPECT_EQ(box.button(QMessageBox::No)->text().remove('&'), "No");
    for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>())
        QCoreApplication::removeTranslator(translator);
}
