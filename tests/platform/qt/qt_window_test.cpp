// SPDX-License-Identifier: GPL-3.0-or-later
// What only the Qt window has: the faces behind the fonts it asks for, its pointers and
// icon, and what assistive technologies read.
#include "support/window_fixture.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QLabel>
#include <QScreen>

namespace {

QString accessibleName(QWidget* widget)
{
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

} // namespace

TEST_F(WindowTest, FacesPointersAndIconAreTheGamesOwn)
{
    window.load(formLayout);
    window.show();
    // Every size a desktop asks for is drawn, the small ones from drawings of their own.
    for (int side : {16, 24, 32, 48}) {
        const QImage icon = window.windowIcon().pixmap(side).toImage();
        int opaque = 0;
        for (int y = 0; y < icon.height(); ++y)
            for (int x = 0; x < icon.width(); ++x)
                opaque += qAlpha(icon.pixel(x, y)) == 255;
        EXPECT_GT(opaque, side * side / 4) << side << " px";
    }
    for (const ExpectedControl& c : expected::controls) {
        SCOPED_TRACE(c.name);
        QWidget* w = window.control(c.id);
        const bool ownPointer = c.id == Control::lblMessage || c.id == Control::cmdNext;
        EXPECT_EQ(w->testAttribute(Qt::WA_SetCursor), ownPointer || c.id == Control::txtAnswer);
        if (ownPointer) {
            EXPECT_EQ(w->cursor().shape(), Qt::BitmapCursor);
            EXPECT_NE(w->cursor().pixmap().toImage(),
                      window.surface()->cursor().pixmap().toImage());
        }
        // Metric twins of the faces asked for, so that captions take the room they should.
        const QString face = QFontInfo(w->font()).family();
        if (QString(c.family) == "Arial") {
            EXPECT_EQ(face, "Liberation Sans");
        }
        if (QString(c.family) == "Times New Roman") {
            EXPECT_EQ(face, "Liberation Serif");
        }
    }
}

TEST_F(WindowTest, EveryControlHasOneNameThatSaysWhatItShowsAndCanBeReadOnDemand)
{
    start();
    for (const ExpectedControl& c : expected::controls) {
        SCOPED_TRACE(c.name);
        const QString name = accessibleName(window.control(c.id));
        EXPECT_FALSE(name.isEmpty());
        // Voice control goes by the words on screen: "&" only marks the access key.
        const QString shown = QString::fromStdString(window.caption(c.id)).remove('&').simplified();
        if (!shown.isEmpty()) {
            EXPECT_EQ(name.count(shown), 1) << name.toStdString();
        }
    }
    EXPECT_EQ(accessibleName(window.control(Control::cmdNext)), "Nuovo calcolo");
    EXPECT_EQ(accessibleName(window.control(Control::cmdExit)), "Exit");

    // What is spoken at each focus is heard on the real bus by ScreenReaderPlay; the rest
    // of the window is read on demand.
    const QString first = QString::fromStdString(window.caption(Control::lblNum1));
    QWidget* factor = window.control(Control::lblNum1);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(factor)->role(), QAccessible::StaticText);
    EXPECT_EQ(accessibleName(factor), "Primo fattore: " + first);
    EXPECT_EQ(accessibleName(window.control(Control::Label2)), "per: X");
    type(product() == "1" ? "2" : "1");
    press(Key::Enter);
    EXPECT_EQ(accessibleName(window.control(Control::lblMessage)),
              QString::fromStdString("Messaggio: Sbagliato!! " + product()));
    EXPECT_EQ(accessibleName(window.control(Control::lblScore1)), "Risposte errate: 1");
    EXPECT_EQ(accessibleName(window.control(Control::Label6)), "Risposte esatte");
    // As the clock shows it: a second may have gone by on a loaded machine.
    EXPECT_EQ(accessibleName(window.control(Control::lblconto)),
              QString::fromStdString("Tempo restante: " + window.caption(Control::lblconto)));
}

// While the game waits for the record the window goes on painting and running its timer,
// under a busy pointer that is the window's own again once the wait is over. Before the
// window shows, a wait a child would notice is told in a note.
TEST_F(WindowTest, AWaitKeepsTheWindowAliveUnderABusyPointer)
{
    const auto shownNote = [] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* note = qobject_cast<QLabel*>(top); note && note->isVisible()) return note;
        return static_cast<QLabel*>(nullptr);
    };
    window.load(formLayout);
    QElapsedTimer waited;
    waited.start();
    while (!shownNote() && waited.elapsed() < 10000)
        window.stillWaiting();
    ASSERT_NE(shownNote(), nullptr) << "a long wait before the window shows is told";
    EXPECT_GE(waited.elapsed(), 500) << "a wait of a moment is not";
    EXPECT_EQ(shownNote()->text(), "Un momento: aspetto il record di questo computer...");
    window.doneWaiting();
    EXPECT_EQ(shownNote(), nullptr);

    window.show();
    bool ran = false;
    QMetaObject::invokeMethod(
        &window, [&ran] { ran = true; }, Qt::QueuedConnection);
    waited.restart();
    while (waited.elapsed() < 600)
        window.stillWaiting();
    EXPECT_TRUE(ran) << "events go on while the game waits";
    EXPECT_EQ(shownNote(), nullptr) << "the window itself shows the wait";
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    window.doneWaiting();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the pointer is the window's again";
}
