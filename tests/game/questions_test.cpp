// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/questions.h"
#include "platform/headless/scriptedrandom.h"

#include <gtest/gtest.h>

namespace {

Factors draw(Int16 limit, std::initializer_list<double> draws)
{
    ScriptedRandom random;
    random.script(draws);
    const Factors factors = drawFactors(random, limit);
    EXPECT_EQ(random.remaining(), 0u) << "every scripted draw is used, the weighting one too";
    return factors;
}

} // namespace

TEST(Questions, ShadeRunsFromZeroToFourteen)
{
    ScriptedRandom random;
    random.script({0.0, 0.999999, 0.5});
    EXPECT_EQ(drawShade(random).value(), 0);
    EXPECT_EQ(drawShade(random).value(), 14);
    EXPECT_EQ(drawShade(random).value(), 7);
}

TEST(Questions, FirstFactorIsRedrawnWhileZero)
{
    const Factors f = draw(10, {0.0, 0.05, 0.0999, 0.95, 0.3, 0.5});
    EXPECT_EQ(f.first.value(), 9);
    EXPECT_EQ(f.second.value(), 3);
}

TEST(Questions, LimitTwoAlwaysGivesFirstFactorOne)
{
    EXPECT_EQ(draw(2, {0.5, 0.1, 0.1}).first.value(), 1);
    EXPECT_EQ(draw(2, {0.999, 0.1, 0.1}).first.value(), 1);
    EXPECT_EQ(draw(2, {0.2, 0.7, 0.1, 0.1}).first.value(), 1);
}

TEST(Questions, NonZeroSecondFactorIgnoresTheWeighting)
{
    EXPECT_EQ(draw(10, {0.5, 0.75, 0.95}).second.value(), 7);
    EXPECT_EQ(draw(10, {0.5, 0.99, 0.0}).second.value(), 9);
}

TEST(Questions, DrawnZeroFollowsTheWeightingTableAtEveryBoundary)
{
    const std::pair<int, int> cases[] = {
        {0, 1},  {10, 1}, {11, 2}, {20, 2}, {21, 3}, {30, 3}, {31, 4}, {40, 4},
        {41, 5}, {50, 5}, {51, 6}, {60, 6}, {61, 7}, {70, 7}, {71, 5}, {77, 5},
        {78, 8}, {83, 8}, {84, 9}, {89, 9}, {90, 0}, {99, 0},
    };
    for (auto [w, second] : cases) {
        const double weighting = (w + 0.5) / 100.0;
        EXPECT_EQ(draw(10, {0.5, 0.05, weighting}).second.value(), second) << "w = " << w;
    }
}

TEST(Questions, PlayableLimitsAreTwoToThreeThousandSixHundredFortyOne)
{
    EXPECT_EQ(playableTableLimit("10")->value(), 10);
    EXPECT_EQ(playableTableLimit("12.7")->value(), 12);
    EXPECT_EQ(playableTableLimit(" 8abc")->value(), 8);
    EXPECT_EQ(playableTableLimit("2")->value(), 2);
    EXPECT_EQ(playableTableLimit("3641")->value(), 3641);
    for (const char* refused : {"0", "1", "1.9", "-5", "abc", "&O", "3642", "32767", "32768",
                                "99999999", "1E5", "&HFFFF", "&H7FFF", "1E999", "-1E999"})
        EXPECT_FALSE(playableTableLimit(refused)) << refused;
}

TEST(Questions, HighestLimitsProductStillFitsSixteenBits)
{
    const Factors f = draw(3641, {0.99999, 0.95, 0.0});
    EXPECT_EQ(f.first.value(), 3640);
    EXPECT_EQ((f.first * f.second).value(), 32760);
}
