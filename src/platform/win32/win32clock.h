// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/systemclock.h"

// The local time, and the user's short date with the time in the user's own format.
class Win32Clock : public SystemClock {
public:
    double secondsSinceMidnight() const override;
    std::string nowText() const override;
};
