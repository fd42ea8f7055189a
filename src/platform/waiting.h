// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the window does while the game waits for something outside it, such as a shared
// record another program holds: it keeps painting and shows that it is waiting, and takes
// no input meanwhile, so a wait never looks like a frozen window.
class Waiting {
public:
    virtual ~Waiting() = default;
    // Called again and again, at least every 50 ms, for as long as a wait lasts.
    virtual void stillWaiting() = 0;
    // The wait is over: the pointer and input come back.
    virtual void doneWaiting() = 0;
};
