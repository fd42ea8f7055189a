// SPDX-License-Identifier: GPL-3.0-or-later
#include "clock/countdown.h"

#include "base/formats.h"

#include <cmath>

Countdown startingCountdown()
{
    return {0, 15, 0.0f, 900};
}

void stepDown(Countdown& c)
{
    if (c.clockSeconds == 0) {
        if (c.clockMinutes > 0) {
            c.clockMinutes -= 1;
            c.clockSeconds = 60;
        } else if (c.clockMinutes == 0) {
            if (c.clockHours > 0) {
                c.clockHours -= 1;
                c.clockMinutes = 59;
                c.clockSeconds = 60;
            } else {
                c.clockHours = 0;
                c.clockMinutes = 0;
            }
        }
    }
    c.clockSeconds -= 1;
    c.secondsLeft -= 1;
}

std::string clockText(const Countdown& c)
{
    return twoDigits(c.clockHours.value()) + ":" + twoDigits(c.clockMinutes.value()) + ":" +
           twoDigits(Int16::rounded(c.clockSeconds).value());
}
