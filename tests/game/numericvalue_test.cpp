// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/fatalerror.h"
#include "game/formats.h"
#include "game/int16.h"
#include "game/numericvalue.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(NumericValue, ReadsTheNumberATextBeginsWith)
{
    EXPECT_EQ(numericValue("42"), 42);
    EXPECT_EQ(numericValue("1 0"), 10);
    EXPECT_EQ(numericValue("\t1\n2 "), 12);
    EXPECT_DOUBLE_EQ(numericValue("12.7"), 12.7);
    EXPECT_EQ(numericValue(" 8abc"), 8);
    EXPECT_EQ(numericValue("12\r\n"), 12);
    EXPECT_EQ(numericValue("-3"), -3);
    EXPECT_EQ(numericValue("- 3"), -3);
    EXPECT_EQ(numericValue("+7"), 7);
    EXPECT_DOUBLE_EQ(numericValue(".5"), 0.5);
    EXPECT_DOUBLE_EQ(numericValue("1.2.3"), 1.2);
    EXPECT_EQ(numericValue("042"), 42);
}

TEST(NumericValue, TextWithoutANumberReadsZero)
{
    EXPECT_EQ(numericValue(""), 0);
    EXPECT_EQ(numericValue("abc"), 0);
    EXPECT_EQ(numericValue("-"), 0);
    EXPECT_EQ(numericValue("."), 0);
    EXPECT_EQ(numericValue("\r\n12"), 0);
    EXPECT_EQ(numericValue("E5"), 0);
    EXPECT_EQ(numericValue("&"), 0);
    EXPECT_EQ(numericValue("&X12"), 0);
}

TEST(NumericValue, ReadsExponentsWithEOrD)
{
    EXPECT_EQ(numericValue("1E2"), 100);
    EXPECT_EQ(numericValue("1D2"), 100);
    EXPECT_EQ(numericValue("1e+2"), 100);
    EXPECT_DOUBLE_EQ(numericValue("25E-1"), 2.5);
    EXPECT_EQ(numericValue("1E5"), 100000);
    // An exponent mark without digits is where reading stops.
    EXPECT_EQ(numericValue("3E"), 3);
    EXPECT_EQ(numericValue("3E+x"), 3);
    EXPECT_EQ(numericValue("1 E 2"), 100);
}

TEST(NumericValue, HugeAndTinyNumbersDoNotFail)
{
    EXPECT_TRUE(std::isinf(numericValue("1E999")));
    EXPECT_GT(numericValue("1E999"), 0);
    EXPECT_LT(numericValue("-1E999"), 0);
    EXPECT_EQ(numericValue("1E-999"), 0);
    EXPECT_EQ(numericValue("0.0000E-999"), 0);
    EXPECT_TRUE(std::isinf(numericValue(std::string(10000, '9'))));
    EXPECT_EQ(numericValue("1E99999999999999999999"), numericValue("1E999"));
}

TEST(NumericValue, ReadsHexadecimalAndOctalPrefixes)
{
    EXPECT_EQ(numericValue("&H10"), 16);
    EXPECT_EQ(numericValue("&hff"), 255);
    EXPECT_EQ(numericValue("&HFFFF"), -1);
    EXPECT_EQ(numericValue("&H7FFF"), 32767);
    EXPECT_EQ(numericValue("&H8000"), -32768);
    EXPECT_EQ(numericValue("&H10000"), 65536);
    EXPECT_EQ(numericValue("&HFFFFFFFF"), -1);
    EXPECT_EQ(numericValue("&H1G"), 1);
    EXPECT_EQ(numericValue("&H"), 0);
    EXPECT_EQ(numericValue("&O17"), 15);
    EXPECT_EQ(numericValue("&O177777"), -1);
    EXPECT_EQ(numericValue("&O"), 0);
    EXPECT_EQ(numericValue("&O8"), 0);
    EXPECT_EQ(numericValue("& H 1 0"), 16);
}

TEST(Int16, ArithmeticOutsideTheRangeIsAnOverflow)
{
    EXPECT_EQ((Int16(32766) + Int16(1)).value(), 32767);
    EXPECT_THROW(Int16(32767) + Int16(1), OverflowError);
    EXPECT_THROW(Int16(-32768) - Int16(1), OverflowError);
    EXPECT_EQ((Int16(3640) * Int16(9)).value(), 32760);
    EXPECT_THROW(Int16(3642) * Int16(10), OverflowError);
    EXPECT_THROW(Int16::of(40000), OverflowError);
}

TEST(Int16, RoundsHalfToEvenAndFloors)
{
    EXPECT_EQ(Int16::rounded(2.5).value(), 2);
    EXPECT_EQ(Int16::rounded(3.5).value(), 4);
    EXPECT_EQ(Int16::rounded(-2.5).value(), -2);
    EXPECT_EQ(Int16::rounded(2.6).value(), 3);
    EXPECT_EQ(Int16::rounded(32767.4).value(), 32767);
    EXPECT_THROW(Int16::rounded(32767.5), OverflowError);
    EXPECT_EQ(Int16::rounded(-32768.5).value(), -32768);
    EXPECT_EQ(Int16::floored(12.7).value(), 12);
    EXPECT_EQ(Int16::floored(-0.5).value(), -1);
    EXPECT_FALSE(Int16::tryFloored(NAN));
    EXPECT_FALSE(Int16::tryRounded(INFINITY));
}

TEST(Int16, SaturatingPlusStopsAtTheEnds)
{
    EXPECT_EQ(Int16(32767).saturatingPlus(1).value(), 32767);
    EXPECT_EQ(Int16(30000).saturatingPlus(30000).value(), 32767);
    EXPECT_EQ(Int16(-32768).saturatingPlus(-1).value(), -32768);
    EXPECT_EQ(Int16(5).saturatingPlus(1).value(), 6);
}

TEST(Formats, WritesTwoDigitsAndWholeNumbers)
{
    EXPECT_EQ(twoDigits(0), "00");
    EXPECT_EQ(twoDigits(7), "07");
    EXPECT_EQ(twoDigits(15), "15");
    EXPECT_EQ(twoDigits(123), "123");
    EXPECT_EQ(wholeNumber(0), "0");
    EXPECT_EQ(wholeNumber(32767), "32767");
    EXPECT_EQ(wholeNumber(-5), "-5");
}
