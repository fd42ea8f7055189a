// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/int16.h"

#include <optional>
#include <string_view>

class RandomSource;

struct Factors {
    Int16 first;
    Int16 second;
};

// Background shade 0..14; the first draw of a question, made before re-seeding.
Int16 drawShade(RandomSource& random);

// First factor 1..tableLimit-1 (redrawn while 0); second factor 0..9, where a 0 is
// replaced by the weighting draw, which is always made.
Factors drawFactors(RandomSource& random, Int16 tableLimit);

// The weighting table: what a drawn 0 becomes for a weighting draw w of 0..99.
Int16 weightedSecondFactor(int w);

// The largest limit whose products still fit 16 bits: (limit - 1) x 9 <= 32767.
inline constexpr int highestTableLimit = 3641;
inline constexpr int lowestTableLimit = 2;

// The table limit a typed text gives (its numeric value rounded down), when the game
// can play with it.
std::optional<Int16> playableTableLimit(std::string_view limitText);
