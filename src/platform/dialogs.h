#pragma once

#include <string>
#include <string_view>

// Modal dialogs. An empty title means the application's own, "Moltiplix".
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Returns the typed text, or empty text when closed any way but by OK.
    virtual std::string inputBox(std::string_view prompt, std::string_view title = {}) = 0;
    virtual void message(std::string_view prompt, std::string_view title = {}) = 0;
    // Question icon, Yes and No with No as default; only Yes or No close it.
    virtual bool askYesNo(std::string_view prompt, std::string_view title) = 0;
};
