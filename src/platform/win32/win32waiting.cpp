// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/win32waiting.h"

namespace {

// A window that never validates itself must not keep the wait in this loop.
constexpr int mostPaintsAtOnce = 64;

} // namespace

void Win32Waiting::stillWaiting()
{
    if (!waiting_) {
        waiting_ = true;
        before_ = GetCursor();
    }
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    // Paint messages only, and what other threads send and wait on (a screen reader).
    MSG message;
    for (int i = 0;
         i < mostPaintsAtOnce &&
         PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE);
         ++i)
        DispatchMessageW(&message);
}

void Win32Waiting::doneWaiting()
{
    if (!waiting_) return;
    waiting_ = false;
    SetCursor(before_);
}
