// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/controls.h"

#include <optional>
#include <span>
#include <string_view>

enum class ControlKind { Label, TextBox, Button, Picture };
enum class Alignment { Left, Centre };
enum class Pointer { Inherited, Icon };

struct FontChoice {
    std::string_view family;
    double points = 0;
    bool bold = false;
    bool italic = false;
};

// Artwork names; a button without a pressed or disabled picture leaves the name empty.
struct Pictures {
    std::string_view normal;
    std::string_view pressed;
    std::string_view disabled;
};

// One row of the window's control table. Places are in twips (15 to a pixel at 96 dpi).
struct ControlLayout {
    Control id{};
    std::string_view name;
    ControlKind kind = ControlKind::Label;
    int left = 0, top = 0, width = 0, height = 0;
    std::string_view caption;
    FontChoice font;
    std::optional<Rgb> textColor; // nullopt: the platform's text colour
    std::optional<Rgb> backColor; // nullopt: transparent
    bool framed = false;
    Alignment alignment = Alignment::Left;
    bool fits = false;
    std::string_view tooltip;
    Pointer pointer = Pointer::Inherited;
    Pictures pictures;
    int tabIndex = -1; // -1: never takes the focus
    bool enabled = true;
    int maxLength = 0;

    constexpr ControlLayout withTooltip(std::string_view text) const
    {
        ControlLayout copy = *this;
        copy.tooltip = text;
        return copy;
    }
    constexpr ControlLayout withIconPointer() const
    {
        ControlLayout copy = *this;
        copy.pointer = Pointer::Icon;
        return copy;
    }
};

struct MenuItem {
    std::string_view name;
    std::string_view caption;
    int level; // 0 on the bar, 1 in the drop-down of the last bar item
};

struct WindowLayout {
    std::string_view caption;
    std::string_view minimisedCaption;
    int clientWidth;  // twips
    int clientHeight; // twips
};

inline constexpr int twipsPerPixel = 15;

// Everything a window is built from, handed to it at load. The tables are the game's
// constants and outlive every window.
struct FormLayout {
    WindowLayout window;
    std::span<const ControlLayout> controls; // one per Control, in its order
    std::span<const MenuItem> menu;

    const ControlLayout& of(Control control) const { return controls[indexOf(control)]; }
};
