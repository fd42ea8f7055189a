// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/patience.h"

#include "platform/textfile.h"
#include "platform/waiting.h"

#include <windows.h>

namespace {

// Well within the 50 ms the window may go without painting, tries included, and soon after
// a holder lets go.
constexpr DWORD step = 10;

} // namespace

Patience::Patience(Waiting* waiting, Clock::duration limit)
    : waiting_(waiting), giveUp_(Clock::now() + limit)
{
}

Patience::~Patience()
{
    if (waited_ && waiting_) waiting_->doneWaiting();
}

bool Patience::retryWhileBusy(const std::function<void()>& attempt)
{
    for (;;) {
        try {
            attempt();
            return true;
        } catch (const FileBusy&) {
            if (!waitAMoment()) return false;
        }
    }
}

bool Patience::waitAMoment()
{
    if (Clock::now() >= giveUp_) return false;
    waited_ = true;
    if (waiting_) waiting_->stillWaiting();
    Sleep(step);
    return true;
}
