// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <windows.h>

struct ControlLayout;

// A button's pictures at the window's dpi; without a pressed or disabled picture the
// normal one shows.
struct ButtonPictures {
    HICON normal = nullptr;
    HICON pressed = nullptr;
    HICON disabled = nullptr;
};

// Paints an owner-drawn graphical push button: its picture centred above its caption, on
// its own colour, the pressed picture while held down and the disabled one while
// disabled. The default button is outlined.
void drawPictureButton(const DRAWITEMSTRUCT& item, const ControlLayout& entry,
                       const ButtonPictures& pictures, HFONT font, UINT dpi, bool isDefault);
