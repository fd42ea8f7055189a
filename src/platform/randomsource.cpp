// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/randomsource.h"

#include <cmath>

double SeededRandom::draw()
{
    // 53 random bits, strictly below 1.
    const auto high = engine_() >> 5;
    const auto low = engine_() >> 6;
    return (high * 67108864.0 + low) / 9007199254740992.0;
}

void SeededRandom::reseed(double secondsSinceMidnight)
{
    // Millisecond resolution, so questions posed in quick succession differ.
    engine_.seed(static_cast<std::mt19937::result_type>(std::llround(secondsSinceMidnight * 1000)));
}
