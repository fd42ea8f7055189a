// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/numericvalue.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <string>

namespace {

bool skipped(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int digitValue(char c, int radix)
{
    int value = radix;
    if (isDigit(c))
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < radix ? value : -1;
}

// Up to 16 bits' worth of digits reads as a signed 16-bit value (&HFFFF is -1), up to
// 32 bits as a signed 32-bit value; anything longer keeps its plain unsigned value.
double radixValue(std::string_view digits, int radix)
{
    const int bitsPerDigit = radix == 16 ? 4 : 3;
    double plain = 0;
    std::uint64_t bits = 0;
    int used = 0;
    for (char c : digits) {
        const int d = digitValue(c, radix);
        if (d < 0) break;
        plain = plain * radix + d;
        if (used < 64) bits = (bits << bitsPerDigit) | static_cast<std::uint64_t>(d);
        used += bitsPerDigit;
    }
    if (plain <= 0xFFFF && used <= 18)
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(bits));
    if (plain <= 0xFFFFFFFFu && used <= 33)
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
    return plain;
}

// from_chars reports overflow and underflow alike; tell them apart by where the first
// significant digit stands relative to the decimal point.
double outOfRange(std::string_view mantissa, long long exponent, bool negative)
{
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_not_of("0.");
    if (first == std::string_view::npos) return 0.0;
    const long long position = first < point ? static_cast<long long>(point - first)
                                             : -static_cast<long long>(first - point - 1);
    if (position + exponent <= 0) return 0.0;
    const double infinity = std::numeric_limits<double>::infinity();
    return negative ? -infinity : infinity;
}

} // namespace

double numericValue(std::string_view text)
{
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (!skipped(c)) s += c;

    if (s.size() >= 2 && s[0] == '&') {
        const char kind = s[1];
        if (kind == 'H' || kind == 'h') return radixValue(std::string_view(s).substr(2), 16);
        if (kind == 'O' || kind == 'o') return radixValue(std::string_view(s).substr(2), 8);
        return 0.0;
    }

    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';

    std::string mantissa;
    bool anyDigit = false;
    while (i < s.size() && isDigit(s[i])) {
        mantissa += s[i++];
        anyDigit = true;
    }
    if (i < s.size() && s[i] == '.') {
        mantissa += s[i++];
        while (i < s.size() && isDigit(s[i])) {
            mantissa += s[i++];
            anyDigit = true;
        }
    }
    if (!anyDigit) return 0.0;

    long long exponent = 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        bool negativeExponent = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) negativeExponent = s[j++] == '-';
        if (j < s.size() && isDigit(s[j])) {
            while (j < s.size() && isDigit(s[j])) {
                if (exponent < 1'000'000) exponent = exponent * 10 + (s[j] - '0');
                ++j;
            }
            if (negativeExponent) exponent = -exponent;
        }
    }

    const std::string number = mantissa + "e" + std::to_string(exponent);
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) return outOfRange(mantissa, exponent, negative);
    return negative ? -value : value;
}
