// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/controls.h"
#include "platform/formlayout.h"

#include <array>
#include <string_view>

// What a screen reader says of a control, in Italian; nothing visible.
struct AccessibleText {
    Control id;
    std::string_view name;
    std::string_view description;
};

// The game window as the game lays it out: its controls, menu bar and caption.
extern const WindowLayout windowLayout;
extern const std::array<ControlLayout, controlCount> controlTable;
extern const std::array<MenuItem, 5> menuTable;
extern const std::array<AccessibleText, controlCount> accessibleTable;

// All of it, as a window takes it at load.
extern const FormLayout formLayout;

const ControlLayout& layoutOf(Control control);
const AccessibleText& accessibleTextOf(Control control);
