// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/int16.h"

#include <string>

// The countdown shown in the window. The display fields and secondsLeft step together,
// so the display reads 00:00:00 on the tick that brings secondsLeft to 0.
struct Countdown {
    Int16 clockHours;
    Int16 clockMinutes;
    float clockSeconds = 0; // always a whole number
    Int16 secondsLeft;
};

// A fresh game: 00:15:00 with 900 seconds left.
Countdown startingCountdown();

// One tick: one second off the display and off secondsLeft.
void stepDown(Countdown& countdown);

// "hh:mm:ss", each field at least two digits.
std::string clockText(const Countdown& countdown);

inline constexpr std::string_view timeUpText = "00:00:00";
