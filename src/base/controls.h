// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

// The controls of the game window, under the names the handlers use.
enum class Control {
    lblNum1,
    Label2,
    lblNum2,
    Label4,
    txtAnswer,
    Label11,
    Image1,
    lblconto,
    lblMessage,
    Label6,
    Label1,
    Label3,
    lblScore,
    lblScore1,
    lblScore2,
    cmdNext,
    cmdExit,
    Label14,
    lblnome1,
    Label12,
    lblnome,
    Label13,
    lblpunti,
};

inline constexpr std::size_t controlCount = static_cast<std::size_t>(Control::lblpunti) + 1;

constexpr std::size_t indexOf(Control control)
{
    return static_cast<std::size_t>(control);
}

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    constexpr bool operator==(const Rgb&) const = default;
};
