// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/systemclock.h"

class QtClock : public SystemClock {
public:
    double secondsSinceMidnight() const override;
    std::string nowText() const override;
};
