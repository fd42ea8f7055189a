// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Modal dialogs. An empty title means the application's own, "Moltiplix".
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Returns the typed text, or empty text when closed any way but by OK. A maxLength
    // other than 0 is the most characters the box takes.
    virtual std::string inputBox(std::string_view prompt, std::string_view title = {},
                                 std::size_t maxLength = 0) = 0;
    virtual void message(std::string_view prompt, std::string_view title = {}) = 0;
    // Question icon, Yes and No with No as default; only Yes or No close it.
    virtual bool askYesNo(std::string_view prompt, std::string_view title) = 0;
};
