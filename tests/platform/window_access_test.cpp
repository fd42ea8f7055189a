// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/layout.h"
#include "platform/qt/qtdialogs.h"
#include "platform/qt/translations.h"
#include "support/window_fixture.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTranslator>

namespace {

QAccessibleInterface* accessibleOf(QWidget* widget)
{
    return QAccessible::queryAccessibleInterface(widget);
}

QString accessibleName(QWidget* widget)
{
    return accessibleOf(widget)->text(QAccessible::Name);
}

} // namespace

TEST_F(WindowTest, EveryControlHasOneNameThatSaysWhatItShowsOnce)
{
    start();
    for (const ControlLayout& entry : controlTable) {
        SCOPED_TRACE(std::string(entry.name));
        QWidget* widget = window.control(entry.id);
        const QString name = accessibleName(widget);
        EXPECT_FALSE(name.isEmpty());
        // Voice control goes by the words on screen: "&" only marks the access key.
        const QString shown =
            QString::fromStdString(window.caption(entry.id)).remove('&').simplified();
        if (!shown.isEmpty()) {
            EXPECT_EQ(name.count(shown), 1) << name.toStdString();
        }
    }
    EXPECT_EQ(accessibleName(window.control(Control::cmdNext)), "Nuovo calcolo");
    EXPECT_EQ(accessibleName(window.control(Control::cmdExit)), "Exit");
}

// What is spoken at each focus is heard on the real bus by ScreenReaderPlay; the rest of
// the window is read on demand.
TEST_F(WindowTest, TheQuestionMessageCountsAndClockCanBeReadOnDemand)
{
    start("Anna");
    const QString first = QString::fromStdString(window.caption(Control::lblNum1));
    EXPECT_EQ(accessibleOf(window.control(Control::lblNum1))->role(), QAccessible::StaticText);
    EXPECT_EQ(accessibleName(window.control(Control::lblNum1)), "Primo fattore: " + first);
    EXPECT_EQ(accessibleName(window.control(Control::Label2)), "per: X");
    const auto product = std::to_string(tavola.state().expectedAnswer.value());
    QWidget* box = window.control(Control::txtAnswer);
    QTest::keyClicks(box, product == "1" ? "2" : "1");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(accessibleName(window.control(Control::lblMessage)),
              "Messaggio: Sbagliato!! " + QString::number(tavola.state().expectedAnswer.value()));
    EXPECT_EQ(accessibleName(window.control(Control::lblScore1)), "Risposte errate: 1");
    EXPECT_EQ(accessibleName(window.control(Control::Label6)), "Risposte esatte");
    EXPECT_EQ(accessibleName(window.control(Control::lblconto)), "Tempo restante: 00:15:00");
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
