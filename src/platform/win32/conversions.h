// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/controls.h"

#include <windows.h>

// The game's colours are plain RGB triples.
inline COLORREF toColorRef(Rgb colour)
{
    return RGB(colour.red, colour.green, colour.blue);
}

// Twips (1440 to an inch) to pixels at dpi.
inline int pixelsAt(UINT dpi, int twips)
{
    return MulDiv(twips, static_cast<int>(dpi), 1440);
}
