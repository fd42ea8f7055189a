// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game/layout.h"
#include "game/tavola.h"
#include "platform/qt/drawingsurface.h"
#include "platform/qt/qtform.h"
#include "platform/randomsource.h"
#include "support/fakeclock.h"
#include "support/game_fixture.h"
#include "support/scripteddialogs.h"
#include "support/window_probe.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

// Does act on the next modal dialog as soon as it shows, from inside its event loop.
inline void onNextDialog(std::function<void(QWidget*)> act)
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
inline void pressIn(QWidget* dialog, Qt::Key key)
{
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus && dialog->isAncestorOf(focus) ? focus : dialog, key);
}

// The real Qt window on the offscreen platform, with scripted dialogs: the probe the
// shared window scenarios use.
class WindowTest : public ::testing::Test {
protected:
    void start(const std::string& name = "Anna", const std::string& limit = "10")
    {
        dialogs.answerInputs({name, limit});
        window.setEvents(&tavola);
        window.run([this] { tavola.launch(); });
        clockAtStart = window.caption(Control::lblconto);
        QApplication::setActiveWindow(&window);
        pump();
    }
    void pump() { QApplication::processEvents(); }
    // Handles events until the condition holds; false if it never does.
    bool waitFor(const std::function<bool()>& condition)
    {
        return QTest::qWaitFor(condition, patienceMilliseconds);
    }
    // Only a hang takes this long, however busy the machine.
    static constexpr int patienceMilliseconds = 60000;
    std::string product() const { return std::to_string(tavola.state().expectedAnswer.value()); }
    // Logical pixels, and fonts in points as asked for, at every display scale.
    int dpi() const { return 96; }
    double asAsked(double points) const { return points; }
    static constexpr int labelsWithRoomToAlign = 8;
    static constexpr const char* zoeAsStored = "Zo\xC3\xAB\r\n"; // UTF-8 on this system

    template <typename T = QWidget> T* widget(Control id) const
    {
        return qobject_cast<T*>(window.control(id));
    }
    Box placeOf(Control id) const
    {
        const QRect r = window.control(id)->geometry();
        return {r.x(), r.y(), r.width(), r.height()};
    }
    FontSeen fontOf(Control id) const
    {
        const QFont font = window.control(id)->font();
        return {font.family().toStdString(), font.pointSizeF(), font.bold(), font.italic()};
    }
    std::string tooltipOf(Control id) const { return window.control(id)->toolTip().toStdString(); }
    bool isEnabled(Control id) const { return window.control(id)->isEnabled(); }
    bool hasFocus(Control id) const { return window.focusWidget() == window.control(id); }
    Rgb buttonFace() const { return rgbOf(QApplication::palette().color(QPalette::Button)); }
    Rgb textColour() const { return rgbOf(QApplication::palette().color(QPalette::WindowText)); }
    std::string windowCaption() const { return window.windowTitle().toStdString(); }
    Box client() const { return {0, 0, window.surface()->width(), window.surface()->height()}; }

    // The client area in logical pixels, each read at its middle at any display scale.
    Picture grab() const
    {
        const QImage image = window.surface()->grab().toImage();
        const qreal ratio = image.devicePixelRatio();
        Picture picture{client().width, client().height, {}};
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x)
                picture.pixels.push_back(rgbOf(
                    image.pixelColor(int(x * ratio + ratio / 2), int(y * ratio + ratio / 2))));
        return picture;
    }

    void type(const std::string& text)
    {
        QTest::keyClicks(QApplication::focusWidget(), QString::fromStdString(text));
    }
    void press(Key key)
    {
        static const Qt::Key keys[] = {Qt::Key_Return,    Qt::Key_Enter, Qt::Key_Space, Qt::Key_Tab,
                                       Qt::Key_Backspace, Qt::Key_C,     Qt::Key_X,     Qt::Key_V,
                                       Qt::Key_N,         Qt::Key_X};
        const Qt::Key pressed = keys[static_cast<int>(key)];
        if (key == Key::AltN || key == Key::AltX) {
            ASSERT_TRUE(QTest::qWaitForWindowActive(&window, patienceMilliseconds));
            QTest::keyClick(&window, pressed, Qt::AltModifier);
            // An access key clicks once its button's press animation is over.
            EXPECT_TRUE(waitFor([this] {
                for (const QAbstractButton* button : window.findChildren<QAbstractButton*>())
                    if (button->isDown()) return false;
                return true;
            }));
        } else {
            const bool control = key == Key::CtrlC || key == Key::CtrlX || key == Key::CtrlV;
            QTest::keyClick(QApplication::focusWidget(), pressed,
                            control ? Qt::ControlModifier : Qt::NoModifier);
        }
    }
    void click(Control id) { widget<QAbstractButton>(id)->click(); }
    void holdDown(Control id, bool down) { widget<QAbstractButton>(id)->setDown(down); }
    void selectAllAnswer() { widget<QLineEdit>(Control::txtAnswer)->selectAll(); }
    void setClipboard(const std::string& text)
    {
        QApplication::clipboard()->setText(QString::fromStdString(text));
    }
    std::string clipboard() const { return QApplication::clipboard()->text().toStdString(); }
    // Through the box's own context menu.
    void paste(const std::string& text)
    {
        setClipboard(text);
        std::unique_ptr<QMenu> menu(
            widget<QLineEdit>(Control::txtAnswer)->createStandardContextMenu());
        for (QAction* action : menu->actions())
            if (action->text().startsWith("&Paste")) action->trigger();
    }

    void showAs(DisplayState state)
    {
        state == DisplayState::Minimised   ? window.showMinimized()
        : state == DisplayState::Maximised ? window.showMaximized()
                                           : window.showNormal();
        pump();
    }
    void setClientSize(int width, int height)
    {
        window.showNormal();
        window.resize(width, height + window.menuBar()->height());
        pump();
    }
    void reactivate()
    {
        QWidget other;
        other.show();
        QApplication::setActiveWindow(&other);
        pump();
        QApplication::setActiveWindow(&window);
        window.activateWindow();
        pump();
        EXPECT_TRUE(window.isActiveWindow());
    }
    void closeBox() { window.close(); }

    std::vector<MenuEntry> menu() const
    {
        std::vector<MenuEntry> items;
        for (const QAction* action : window.menuBar()->actions()) {
            items.push_back({0, action->text().toStdString()});
            if (action->menu())
                for (const QAction* inner : action->menu()->actions())
                    items.push_back({1, inner->text().toStdString()});
        }
        return items;
    }
    void chooseNewGame()
    {
        window.menuBar()->actions()[3]->trigger();
        // The new game is queued; posted events, unlike a tick, are all handled here.
        QCoreApplication::sendPostedEvents();
        clockAtStart = window.caption(Control::lblconto);
        pump();
    }
    void tick() { QMetaObject::invokeMethod(window.timer(), "timeout"); }

    void closeNextDialog(std::string& shown)
    {
        onNextDialog([&shown](QWidget* dialog) {
            shown = static_cast<QMessageBox*>(dialog)->text().toStdString();
            pressIn(dialog, Qt::Key_Return);
        });
    }
    static Rgb rgbOf(const QColor& c) { return {c.red(), c.green(), c.blue()}; }

    // The clock as the game started it, before any tick could be handled: the real timer
    // ticks on while a loaded machine is slow to show the window.
    std::string clockAtStart;
    TempDir records;
    std::optional<int> exitStatus;
    QtForm window{[this](int status) { exitStatus = status; }};
    ScriptedDialogs dialogs;
    SeededRandom random;
    FakeClock clock;
    FixedDirectory directory{records.path().string()};
    LocalRecordStore store{directory};
    Tavola tavola{window, dialogs, random, clock, store};
};
