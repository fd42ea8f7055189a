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
    typeThen(enter);
    dialogs.message("Ciao a presto. Ore 0", "Data 07/12/2026 10:45:01");
    typeThen(enter);
    EXPECT_EQ(dialogs.inputBox("Come ti chiami?"), "Anna");
    EXPECT_EQ(titles, QStringList({"Moltiplix", "Data 07/12/2026 10:45:01", "Moltiplix"}));

    typeThen([](QWidget* dialog) { pressIn(dialog, Qt::Key_Escape); });
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

struct SeenDialog {
    bool hasIcon = false;
    QPoint centre;
};

// Looks at the modal dialog as soon as it is open, then closes it.
void inspectTheNextDialog(SeenDialog& seen)
{
    seen = {};
    QTimer::singleShot(0, [&seen] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        seen.hasIcon = !dialog->windowIcon().pixmap(32).isNull();
        seen.centre = dialog->frameGeometry().center();
        dialog->close();
    });
}

TEST_F(WindowTest, DialogsCarryTheIconAndAreCentredOnTheScreenThenOnTheWindow)
{
    QtDialogs real(&window);
    const QPoint screenCentre = QApplication::primaryScreen()->availableGeometry().center();
    SeenDialog seen;
    inspectTheNextDialog(seen);
    real.inputBox("Come ti chiami?");
    EXPECT_TRUE(seen.hasIcon) << "the very first dialog";
    EXPECT_LE((seen.centre - screenCentre).manhattanLength(), 4) << "window still hidden";

    start();
    window.showNormal();
    window.setGeometry(420, 300, 360, 260);
    QApplication::processEvents();
    inspectTheNextDialog(seen);
    real.message("Ciao");
    EXPECT_TRUE(seen.hasIcon);
    EXPECT_LE((seen.centre - window.frameGeometry().center()).manhattanLength(), 4);
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
