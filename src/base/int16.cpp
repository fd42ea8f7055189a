// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/int16.h"

#include "base/fatalerror.h"

#include <cmath>

namespace {

bool inRange(double value)
{
    return value >= Int16::lowest && value <= Int16::highest; // false for NaN too
}

} // namespace

Int16 Int16::of(long long value)
{
    if (value < lowest || value > highest) throw OverflowError();
    Int16 result;
    result.value_ = static_cast<std::int16_t>(value);
    return result;
}

std::optional<Int16> Int16::tryRounded(double value)
{
    const double whole = std::nearbyint(value); // default rounding mode: half to even
    if (!inRange(whole)) return std::nullopt;
    return of(static_cast<long long>(whole));
}

std::optional<Int16> Int16::tryFloored(double value)
{
    const double whole = std::floor(value);
    if (!inRange(whole)) return std::nullopt;
    return of(static_cast<long long>(whole));
}

Int16 Int16::rounded(double value)
{
    if (auto result = tryRounded(value)) return *result;
    throw OverflowError();
}

Int16 Int16::floored(double value)
{
    if (auto result = tryFloored(value)) return *result;
    throw OverflowError();
}

Int16 Int16::saturatingPlus(Int16 other) const
{
    const long long sum = wide() + other.wide();
    if (sum > highest) return of(highest);
    if (sum < lowest) return of(lowest);
    return of(sum);
}
