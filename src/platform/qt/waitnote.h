// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>

#include <memory>

class QLabel;

// A small window that says the game is waiting, for a wait that outlasts a moment while
// nothing of the game is on screen: the record is looked up before the window shows, and
// a busy pointer over no window of ours is seen by nobody.
class WaitNote {
public:
    WaitNote();
    ~WaitNote();

    void stillWaiting(bool gameShown);
    void done();

private:
    QElapsedTimer waited_;
    std::unique_ptr<QLabel> note_;
};
