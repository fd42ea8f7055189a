// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

class SystemClock {
public:
    virtual ~SystemClock() = default;
    virtual double secondsSinceMidnight() const = 0;
    // The current date and time in the system's general format.
    virtual std::string nowText() const = 0;
};
