// SPDX-License-Identifier: GPL-3.0-or-later
#include "clock/countdown.h"

#include <gtest/gtest.h>

#include <cstdio>

TEST(Countdown, RunsFromFifteenMinutesDownToZeroOneSecondATick)
{
    Countdown c = startingCountdown();
    for (int left = 900; left >= 0; --left) {
        char expected[9];
        std::snprintf(expected, sizeof expected, "00:%02d:%02d", left / 60, left % 60);
        ASSERT_EQ(clockText(c), expected);
        ASSERT_EQ(c.secondsLeft.value(), left);
        if (left > 0) stepDown(c);
    }
}

TEST(Countdown, HoursRollOverIntoFiftyNineMinutes)
{
    Countdown c{1, 0, 0.0f, 3600};
    stepDown(c);
    EXPECT_EQ(clockText(c), "00:59:59");
}
