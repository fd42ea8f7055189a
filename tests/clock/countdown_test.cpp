// SPDX-License-Identifier: GPL-3.0-or-later
#include "clock/countdown.h"

#include <gtest/gtest.h>

TEST(Countdown, StartsAtFifteenMinutesAndRollsTheMinuteOnTheFirstTick)
{
    Countdown c = startingCountdown();
    EXPECT_EQ(clockText(c), "00:15:00");
    EXPECT_EQ(c.secondsLeft.value(), 900);
    stepDown(c);
    EXPECT_EQ(clockText(c), "00:14:59");
    EXPECT_EQ(c.secondsLeft.value(), 899);
}

TEST(Countdown, ReachesZeroTogetherWithSecondsLeftAndNeverShowsMoreThanStart)
{
    Countdown c = startingCountdown();
    std::string previous = clockText(c);
    for (int tick = 1; tick <= 900; ++tick) {
        stepDown(c);
        const std::string text = clockText(c);
        ASSERT_LT(text, previous) << "tick " << tick;
        ASSERT_EQ(text.size(), 8u);
        ASSERT_EQ(text[2], ':');
        ASSERT_LE(text.substr(6), "59");
        previous = text;
    }
    EXPECT_EQ(clockText(c), "00:00:00");
    EXPECT_EQ(c.secondsLeft.value(), 0);
}

TEST(Countdown, HoursRollOverIntoFiftyNineMinutes)
{
    Countdown c{1, 0, 0.0f, 3600};
    stepDown(c);
    EXPECT_EQ(clockText(c), "00:59:59");
    Countdown d{0, 1, 0.0f, 60};
    stepDown(d);
    EXPECT_EQ(clockText(d), "00:00:59");
}
