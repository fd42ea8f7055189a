// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <compare>
#include <cstdint>
#include <optional>

// Every integer the game keeps is a signed 16-bit value. Leaving the range is an
// OverflowError, never a silent wrap: all arithmetic on game integers goes through here.
class Int16 {
public:
    static constexpr int lowest = -32768;
    static constexpr int highest = 32767;

    constexpr Int16() = default;
    // Literals only; values computed at run time come through of(), rounded() or floored().
    consteval Int16(int literal) : value_(checkedLiteral(literal)) {}

    static Int16 of(long long value);
    static Int16 rounded(double value); // half to even
    static Int16 floored(double value);
    static std::optional<Int16> tryRounded(double value);
    static std::optional<Int16> tryFloored(double value);

    constexpr int value() const { return value_; }

    Int16 operator+(Int16 other) const { return of(wide() + other.wide()); }
    Int16 operator-(Int16 other) const { return of(wide() - other.wide()); }
    Int16 operator*(Int16 other) const { return of(wide() * other.wide()); }
    Int16& operator+=(Int16 other) { return *this = *this + other; }
    Int16& operator-=(Int16 other) { return *this = *this - other; }

    // Counters stop at the top of the range instead of failing the game.
    Int16 saturatingPlus(Int16 other) const;

    constexpr auto operator<=>(const Int16&) const = default;

private:
    static consteval std::int16_t checkedLiteral(int literal)
    {
        if (literal < lowest || literal > highest) throw "16-bit literal out of range";
        return static_cast<std::int16_t>(literal);
    }

    constexpr long long wide() const { return value_; }

    std::int16_t value_ = 0;
};
