// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// "00": at least two digits, zero-padded.
std::string twoDigits(int value);
// "#0", "###0", "####0": decimal digits, at least one, no leading zeros.
std::string wholeNumber(int value);
