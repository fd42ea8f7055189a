// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game/tavola.h"
#include "platform/headless/fakeclock.h"
#include "platform/headless/scripteddialogs.h"
#include "platform/qt/drawingsurface.h"
#include "platform/qt/tavolawindow.h"
#include "platform/randomsource.h"
#include "support/game_fixture.h"

#include <QApplication>
#include <QMenuBar>
#include <QTest>

// The real Qt window on the offscreen platform, with scripted dialogs.
class WindowTest : public ::testing::Test {
protected:
    void start(const std::string& name = "Anna", const std::string& limit = "10")
    {
        dialogs.answerInputs({name, limit});
        window.setEvents(&tavola);
        window.run([this] { tavola.launch(); });
        QApplication::setActiveWindow(&window);
        QApplication::processEvents();
    }

    template <typename T = QWidget> T* widget(Control id) const
    {
        return qobject_cast<T*>(window.control(id));
    }

    // Puts the window at its restored size, or another client size, and waits for it.
    void setClientSize(QSize size)
    {
        window.showNormal();
        window.resize(size.width(), size.height() + window.menuBar()->height());
        QApplication::processEvents();
    }

    QImage surfaceImage() const { return window.surface()->grab().toImage(); }

    TempDir records;
    std::optional<int> exitStatus;
    TavolaWindow window{[this](int status) { exitStatus = status; }};
    ScriptedDialogs dialogs;
    SeededRandom random;
    FakeClock clock;
    FixedDirectory directory{records.path().string()};
    LocalRecordStore store{directory};
    Tavola tavola{window, dialogs, random, clock, store};
};
