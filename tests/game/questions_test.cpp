// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/questions.h"
#include "support/scriptedrandom.h"

#include <gtest/gtest.h>

namespace {

std::pair<int, int> draw(Int16 limit, std::initializer_list<double> draws)
{
    ScriptedRandom random;
    random.script(draws);
    const Factors factors = drawFactors(random, limit);
    EXPECT_EQ(random.remaining(), 0u) << "every scripted draw is used, the weighting one too";
    return {factors.first.value(), factors.second.value()};
}

} // namespace

TEST(Questions, FactorsFollowTheDraws)
{
    EXPECT_EQ(draw(10, {0.0, 0.05, 0.0999, 0.95, 0.3, 0.5}), std::pair(9, 3)) << "0 is redrawn";
    EXPECT_EQ(draw(2, {0.999, 0.1, 0.1}), std::pair(1, 1));
    EXPECT_EQ(draw(2, {0.2, 0.7, 0.1, 0.1}), std::pair(1, 1));
    EXPECT_EQ(draw(10, {0.5, 0.75, 0.95}), std::pair(5, 7)) << "the weighting leaves 7 alone";
    EXPECT_EQ(draw(10, {0.5, 0.99, 0.0}), std::pair(5, 9));
    EXPECT_EQ(draw(3641, {0.99999, 0.95, 0.0}), std::pair(3640, 9));
}

TEST(Questions, DrawnZeroFollowsTheWeightingTableAtEveryBoundary)
{
    const std::pair<int, int> cases[] = {
        {0, 1},  {10, 1}, {11, 2}, {20, 2}, {21, 3}, {30, 3}, {31, 4}, {40, 4},
        {41, 5}, {50, 5}, {51, 6}, {60, 6}, {61, 7}, {70, 7}, {71, 5}, {77, 5},
        {78, 8}, {83, 8}, {84, 9}, {89, 9}, {90, 0}, {99, 0},
    };
    for (auto [w, second] : cases)
        EXPECT_EQ(draw(10, {0.5, 0.05, (w + 0.5) / 100.0}).second, second) << "w = " << w;
}

TEST(Questions, PlayableLimitsAreTwoToThreeThousandSixHundredFortyOne)
{
    const std::pair<const char*, int> played[] = {
        {"10", 10}, {"12.7", 12}, {" 8abc", 8}, {"2", 2}, {"3641", 3641}};
    for (auto [text, limit] : played)
        EXPECT_EQ(playableTableLimit(text).value_or(Int16(0)).value(), limit) << text;
    for (const char* refused : {"0", "1", "1.9", "-5", "abc", "&O", "3642", "32767", "32768",
                                "99999999", "1E5", "&HFFFF", "&H7FFF", "1E999", "-1E999"})
        EXPECT_FALSE(playableTableLimit(refused)) << refused;
}
