// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/waiting.h"

#include <windows.h>

// A wait on the game's thread: its windows go on painting and the pointer shows the wait,
// while input, timer ticks and posted messages stay queued until the wait is over.
class Win32Waiting : public Waiting {
public:
    void stillWaiting() override;
    void doneWaiting() override;

private:
    HCURSOR before_ = nullptr;
    bool waiting_ = false;
};
