// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/formats.h"

std::string twoDigits(int value)
{
    std::string digits = std::to_string(value < 0 ? -value : value);
    if (digits.size() < 2) digits.insert(0, 1, '0');
    return value < 0 ? "-" + digits : digits;
}

std::string wholeNumber(int value)
{
    return std::to_string(value);
}
