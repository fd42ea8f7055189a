// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/unicodeformat.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace records {

namespace {

struct Range {
    char32_t first, last;
};

// The code points of general category Cf in Unicode 15.0's UnicodeData.txt, as ranges.
constexpr std::array<Range, 21> formatCharacters{{
    {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},
    {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},
    {0x200B, 0x200F},   {0x202A, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},
    {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
    {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F},
}};

} // namespace

bool isFormatCharacter(char32_t code)
{
    const auto after =
        std::upper_bound(formatCharacters.begin(), formatCharacters.end(), code,
                         [](char32_t c, const Range& range) { return c < range.first; });
    return after != formatCharacters.begin() && code <= std::prev(after)->last;
}

} // namespace records
