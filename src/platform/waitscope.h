// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/waiting.h"

// One wait, told to the window: still() on every turn of the wait, and doneWaiting once
// at its end, whichever way out (an error included), only if the wait was told at all.
class WaitScope {
public:
    explicit WaitScope(Waiting* waiting) : waiting_(waiting) {}
    ~WaitScope()
    {
        if (waiting_ && told_) waiting_->doneWaiting();
    }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

    void still()
    {
        if (!waiting_) return;
        told_ = true;
        waiting_->stillWaiting();
    }

private:
    Waiting* waiting_;
    bool told_ = false;
};
