// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/systemclock.h"

class FakeClock : public SystemClock {
public:
    double secondsSinceMidnight() const override { return seconds_; }
    std::string nowText() const override { return now_; }

    void set(double seconds, std::string now)
    {
        seconds_ = seconds;
        now_ = std::move(now);
    }

private:
    double seconds_ = 37800.125;
    std::string now_ = "07/12/2026 10:30:00";
};
