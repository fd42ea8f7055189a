// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/fatalerror.h"
#include "base/int16.h"
#include "base/numericvalue.h"

#include <gtest/gtest.h>

#include <cmath>

// Blanks, tabs and line feeds are skipped anywhere; a carriage return ends the number; an
// exponent mark without digits is where reading stops; up to four hexadecimal digits are a
// signed 16-bit value.
TEST(NumericValue, ReadsTheNumberATextBeginsWith)
{
    const double inf = INFINITY;
    // clang-format off
    const std::pair<const char*, double> cases[] = {
        {"42", 42},         {"1 0", 10},         {"\t1\n2 ", 12},     {"12.7", 12.7},
        {" 8abc", 8},       {"12\r\n", 12},      {"\r\n12", 0},       {"-3", -3},
        {"- 3", -3},        {"+7", 7},           {".5", 0.5},         {"1.2.3", 1.2},
        {"042", 42},        {"", 0},             {"abc", 0},          {"-", 0},
        {".", 0},           {"E5", 0},           {"1E2", 100},        {"1D2", 100},
        {"1e+2", 100},      {"25E-1", 2.5},      {"1E5", 1e5},        {"3E", 3},
        {"3E+x", 3},        {"1 E 2", 100},      {"1E999", inf},      {"-1E999", -inf},
        {"1E-999", 0},      {"0.0000E-999", 0},  {"&H10", 16},        {"&hff", 255},
        {"&HFFFF", -1},     {"&H7FFF", 32767},   {"&H8000", -32768},  {"&H10000", 65536},
        {"&HFFFFFFFF", -1}, {"&H1G", 1},         {"&H", 0},           {"& H 1 0", 16},
        {"&O17", 15},       {"&O177777", -1},    {"&O", 0},           {"&O8", 0},
        {"&", 0},           {"&X12", 0},
    };
    // clang-format on
    for (const auto& [text, value] : cases)
        EXPECT_DOUBLE_EQ(numericValue(text), value) << '"' << text << '"';
    EXPECT_EQ(numericValue(std::string(10000, '9')), inf);
    EXPECT_EQ(numericValue("1E99999999999999999999"), inf);
}

TEST(Int16, ArithmeticOutsideTheRangeIsAnOverflowAndRoundingIsHalfToEven)
{
    EXPECT_EQ((Int16(32766) + Int16(1)).value(), 32767);
    EXPECT_EQ((Int16(3640) * Int16(9)).value(), 32760);
    EXPECT_THROW(Int16(32767) + Int16(1), OverflowError);
    EXPECT_THROW(Int16(-32768) - Int16(1), OverflowError);
    EXPECT_THROW(Int16(3642) * Int16(10), OverflowError);
    EXPECT_THROW(Int16::of(40000), OverflowError);
    EXPECT_THROW(Int16::rounded(32767.5), OverflowError);
    EXPECT_FALSE(Int16::tryFloored(NAN));
    EXPECT_FALSE(Int16::tryRounded(INFINITY));
    EXPECT_EQ(Int16(-32768).saturatingPlus(-1).value(), -32768);

    // Value, rounded, floored.
    const std::tuple<double, int, int> cases[] = {
        {2.5, 2, 2},    {3.5, 4, 3},   {-2.5, -2, -3},          {2.6, 3, 2},
        {12.7, 13, 12}, {-0.5, 0, -1}, {32767.4, 32767, 32767}, {-32767.5, -32768, -32768}};
    for (auto [value, rounded, floored] : cases) {
        EXPECT_EQ(Int16::rounded(value).value(), rounded) << value;
        EXPECT_EQ(Int16::floored(value).value(), floored) << value;
    }
}
