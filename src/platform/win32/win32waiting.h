// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/waiting.h"

#include <windows.h>

// A wait on the game's thread: its windows go on painting and the pointer shows the wait,
// while input, timer ticks and posted messages stay queued until the wait is over. A wait
// that outlasts a moment while no window of the game shows (the record is looked up before
// the window appears) is told in a small note, as a pointer over no window of ours is seen
// by nobody.
class Win32Waiting : public Waiting {
public:
    Win32Waiting() = default;
    ~Win32Waiting() override;
    Win32Waiting(const Win32Waiting&) = delete;
    Win32Waiting& operator=(const Win32Waiting&) = delete;

    void stillWaiting() override;
    void doneWaiting() override;

private:
    HCURSOR before_ = nullptr;
    bool waiting_ = false;
    DWORD since_ = 0;
    HWND note_ = nullptr;
};
