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
    QList<int> widths;
    auto typeThen = [&titles, &widths](std::function<void(QWidget*)> close) {
        onNextDialog([&titles, &widths, close](QWidget* dialog) {
            titles << dialog->windowTitle();
            widths << dialog->width();
            if (auto* field = dialog->findChild<QLineEdit*>()) QTest::keyClicks(field, "Anna");
            close(dialog);
        });
    };
    auto enter = [](QWidget* dialog) { pressIn(dialog, Qt::Key_Return); };
    typeThen(enter);
    dialogs.message("Ciao");
    typeThen(enter);
    dialogs.message("Ciao a presto. Ore 0", "Data 07/12/2026 10:45:01");
    typeThen(enter);
    EXPECT_EQ(dialogs.inputBox("Come ti chiami?"), "Anna");
    EXPECT_EQ(titles, QStringList({"Moltiplix", "Data 07/12/2026 10:45:01", "Moltiplix"}));
    // A title bar shows the date in bold, beside an icon and three buttons a line wide.
    QFont bold = QApplication::font();
    bold.setBold(true);
    const QFontMetrics title(bold);
    EXPECT_GT(widths[1], title.horizontalAdvance(titles[1]) + 4 * title.height());

    typeThen([](QWidget* dialog) { pressIn(dialog, Qt::Key_Escape); });
    EXPECT_EQ(dialogs.inputBox("Come ti chiami?"), "") << "cancelled";
    typeThen([](QWidget* dialog) { dialog->close(); });
    EXPECT_EQ(dialogs.inputBox("Come ti chiami?"), "") << "closed by its close box";
    typeThen([](QWidget* dialog) { // a pasted emoji that the limit cuts in two, not saved as "?"
        dialog->findChild<QLineEdit*>()->insert(QString(45, 'a') + QString::fromUtf8("\U0001F600"));
        pressIn(dialog, Qt::Key_Return);
    });
    EXPECT_EQ(dialogs.inputBox("Come ti chiami?", {}, 50), "Anna" + std::string(45, 'a'));
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
