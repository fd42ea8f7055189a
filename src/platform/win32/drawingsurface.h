// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <windows.h>

// The window's client area as the game painted it. What is painted is kept in a bitmap
// of its own, so it survives being covered and uncovered; only a new background colour
// wipes it. The bitmap only grows with the client area, and what the client area no
// longer covers is lost.
class DrawingSurface {
public:
    DrawingSurface() = default;
    ~DrawingSurface() { release(); }
    DrawingSurface(const DrawingSurface&) = delete;
    DrawingSurface& operator=(const DrawingSurface&) = delete;

    // Empty again, in color, for a new window: what was painted goes.
    void reset(COLORREF color);
    void release();

    // Covers at least width x height pixels of window's client area.
    void grow(HWND window, int width, int height);
    // The client area now measures width x height: what lies beyond it is lost.
    void forgetUncovered(int width, int height);

    void setBackColor(HWND window, COLORREF color);
    // y runs from 0 at the top to scaleHeight at the bottom of the client area.
    void setScaleHeight(int scaleHeight) { scaleHeight_ = scaleHeight; }
    // Paints a box, clipped to the client area; returns the pixels it covers (maybe none).
    RECT fillBox(HWND window, int x1, int y1, int x2, int y2, COLORREF color);

    // Copies the area (client pixels) to the same place of target.
    void copyTo(HDC target, const RECT& area) const;

private:
    void fill(const RECT& area, COLORREF color);

    HDC canvas_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ initial_ = nullptr;
    SIZE size_{};
    COLORREF backColor_ = 0;
    int scaleHeight_ = 0; // 0: y is in pixels
};
