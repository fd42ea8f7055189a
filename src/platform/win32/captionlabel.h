// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <windows.h>

#include <string_view>

struct ControlLayout;

// The labels of the game window, drawn by the window itself over its drawing. A caption
// is plain text (no access keys); CR LF starts a new line. A fitting label takes the size
// of its caption from a fixed top-left corner; the others wrap at word boundaries and
// clip at their edges. A transparent label lets the painted window show through.

// Where the label stands with this caption, given its place in the layout.
RECT captionLabelPlace(HWND window, const ControlLayout& entry, RECT place,
                       std::string_view caption, HFONT font);

void paintCaptionLabel(HDC dc, const ControlLayout& entry, RECT place, std::string_view caption,
                       HFONT font);
