// SPDX-License-Identifier: GPL-3.0-or-later
// Any text typed or pasted as a limit or an answer, or found in a record file.
#include "base/int16.h"
#include "base/numericvalue.h"
#include "game/questions.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double value = numericValue(text);
    if (std::isnan(value)) std::abort();

    if (const auto limit = playableTableLimit(text)) {
        if (limit->value() < lowestTableLimit || limit->value() > highestTableLimit) std::abort();
        // Every playable limit's products fit 16 bits.
        (void)(Int16::of(limit->value() - 1) * Int16(9));
    }
    if (const auto answer = Int16::tryRounded(value)) {
        if (std::abs(answer->value() - value) > 0.5) std::abort();
    }

    // Blanks, tabs and line feeds never change the value.
    std::string spaced;
    for (char c : text) {
        spaced += c;
        spaced += ' ';
    }
    const double again = numericValue(spaced);
    if (again != value) std::abort();
    return 0;
}
