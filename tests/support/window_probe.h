// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/controls.h"
#include "support/expected_layout.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

// What the window tests see of a real window, the same whatever the toolkit: client
// pixels, fonts as the window asked for them, and a picture of the client area.
struct Box {
    int left = 0, top = 0, width = 0, height = 0;
    int right() const { return left + width - 1; }
    int bottom() const { return top + height - 1; }
    bool empty() const { return width <= 0 || height <= 0; }
    bool operator==(const Box&) const = default;
};

struct FontSeen {
    std::string family;
    double points = 0;
    bool bold = false, italic = false;
    bool operator==(const FontSeen&) const = default;
};

struct MenuEntry {
    int level = 0;
    std::string caption;
    bool operator==(const MenuEntry&) const = default;
};

enum class Key { Enter, KeypadEnter, Space, Tab, Backspace, CtrlC, CtrlX, CtrlV, AltN, AltX };

struct Picture {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;
    Rgb at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

// Twips to pixels at a dpi, rounded to the nearest as Windows' MulDiv does.
inline int scaled(int twips, int dpi)
{
    return (twips * dpi + 720) / 1440;
}

inline Box pixelsOf(const ExpectedControl& c, int dpi)
{
    return {scaled(c.left, dpi), scaled(c.top, dpi), scaled(c.width, dpi), scaled(c.height, dpi)};
}

inline bool isLabel(Control id)
{
    return id != Control::txtAnswer && id != Control::Image1 && id != Control::cmdNext &&
           id != Control::cmdExit;
}

// The bounding box of the pixels within area that are (or, with unlike, are not) colour.
inline Box inkOf(const Picture& picture, Box area, Rgb colour, bool unlike = false)
{
    int left = area.right() + 1, top = area.bottom() + 1, right = area.left - 1,
        bottom = area.top - 1;
    for (int y = area.top; y <= area.bottom(); ++y)
        for (int x = area.left; x <= area.right(); ++x)
            if ((picture.at(x, y) == colour) != unlike) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    return {left, top, right - left + 1, bottom - top + 1};
}

inline std::ostream& operator<<(std::ostream& out, const Rgb& c)
{
    return out << '(' << c.red << ',' << c.green << ',' << c.blue << ')';
}
inline std::ostream& operator<<(std::ostream& out, const FontSeen& f)
{
    return out << f.family << ' ' << f.points << (f.bold ? " bold" : "")
               << (f.italic ? " italic" : "");
}
inline std::ostream& operator<<(std::ostream& out, const Box& b)
{
    return out << b.left << ',' << b.top << ' ' << b.width << 'x' << b.height;
}
