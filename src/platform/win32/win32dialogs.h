// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/dialogs.h"

#include <windows.h>

#include <functional>
#include <string>

// The system's own message boxes, and an input box of the same make.
class Win32Dialogs : public Dialogs {
public:
    // owner gives the window the dialogs belong to, or nullptr while none is shown.
    explicit Win32Dialogs(std::function<HWND()> owner);

    std::string inputBox(std::string_view prompt, std::string_view title = {},
                         std::size_t maxLength = 0) override;
    void message(std::string_view prompt, std::string_view title = {}) override;
    bool askYesNo(std::string_view prompt, std::string_view title) override;

private:
    std::function<HWND()> owner_;
};

void showFatalError(HWND owner, const std::string& message);
