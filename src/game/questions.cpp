// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/questions.h"

#include "base/numericvalue.h"
#include "platform/randomsource.h"

#include <array>

namespace {

struct Weight {
    int upTo; // inclusive
    Int16 second;
};

constexpr std::array<Weight, 11> weightingTable{{
    {10, 1},
    {20, 2},
    {30, 3},
    {40, 4},
    {50, 5},
    {60, 6},
    {70, 7},
    {77, 5},
    {83, 8},
    {89, 9},
    {99, 0},
}};

Int16 scaledDraw(RandomSource& random, Int16 range)
{
    return Int16::floored(random.draw() * range.value());
}

} // namespace

Int16 drawShade(RandomSource& random)
{
    return scaledDraw(random, 15);
}

Int16 weightedSecondFactor(int w)
{
    for (const Weight& weight : weightingTable)
        if (w <= weight.upTo) return weight.second;
    return 0;
}

Factors drawFactors(RandomSource& random, Int16 tableLimit)
{
    Factors factors;
    do {
        factors.first = scaledDraw(random, tableLimit);
    } while (factors.first == 0);
    factors.second = scaledDraw(random, 10);
    const Int16 w = scaledDraw(random, 100);
    if (factors.second == 0) factors.second = weightedSecondFactor(w.value());
    return factors;
}

std::optional<Int16> playableTableLimit(std::string_view limitText)
{
    const auto limit = Int16::tryFloored(numericValue(limitText));
    if (!limit || limit->value() < lowestTableLimit || limit->value() > highestTableLimit)
        return std::nullopt;
    return limit;
}
