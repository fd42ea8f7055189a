// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/drawingsurface.h"

#include <algorithm>

void DrawingSurface::reset(COLORREF color)
{
    release();
    backColor_ = color;
    scaleHeight_ = 0;
}

void DrawingSurface::release()
{
    if (canvas_) {
        SelectObject(canvas_, initial_);
        DeleteObject(bitmap_);
        DeleteDC(canvas_);
    }
    canvas_ = nullptr;
    bitmap_ = nullptr;
    size_ = {};
}

void DrawingSurface::fill(const RECT& area, COLORREF color)
{
    const HBRUSH brush = CreateSolidBrush(color);
    FillRect(canvas_, &area, brush);
    DeleteObject(brush);
}

void DrawingSurface::grow(HWND window, int width, int height)
{
    const SIZE needed{std::max<LONG>(size_.cx, width), std::max<LONG>(size_.cy, height)};
    if (canvas_ && needed.cx == size_.cx && needed.cy == size_.cy) return;
    const HDC screen = GetDC(window);
    const HDC grown = CreateCompatibleDC(screen);
    const HBITMAP bitmap =
        CreateCompatibleBitmap(screen, std::max<LONG>(needed.cx, 1), std::max<LONG>(needed.cy, 1));
    ReleaseDC(window, screen);
    const HGDIOBJ initial = SelectObject(grown, bitmap);
    const HBRUSH brush = CreateSolidBrush(backColor_);
    const RECT all{0, 0, needed.cx, needed.cy};
    FillRect(grown, &all, brush);
    DeleteObject(brush);
    if (canvas_) {
        BitBlt(grown, 0, 0, size_.cx, size_.cy, canvas_, 0, 0, SRCCOPY);
        SelectObject(canvas_, initial_);
        DeleteObject(bitmap_);
        DeleteDC(canvas_);
    }
    canvas_ = grown;
    bitmap_ = bitmap;
    initial_ = initial;
    size_ = needed;
}

void DrawingSurface::forgetUncovered(int width, int height)
{
    fill({width, 0, size_.cx, size_.cy}, backColor_);
    fill({0, height, width, size_.cy}, backColor_);
}

void DrawingSurface::setBackColor(HWND window, COLORREF color)
{
    backColor_ = color;
    RECT client{};
    GetClientRect(window, &client);
    grow(window, client.right, client.bottom);
    fill({0, 0, size_.cx, size_.cy}, backColor_);
}

RECT DrawingSurface::fillBox(HWND window, int x1, int y1, int x2, int y2, COLORREF color)
{
    RECT client{};
    GetClientRect(window, &client);
    grow(window, client.right, client.bottom);
    auto toPixelsY = [&](int y) {
        if (scaleHeight_ <= 0) return y;
        return static_cast<int>((static_cast<long long>(y) * client.bottom + scaleHeight_ / 2) /
                                scaleHeight_);
    };
    // Clipped to the client area: what lies beyond it is lost, as on a resize.
    const RECT box{std::min(x1, x2), toPixelsY(std::min(y1, y2)),
                   std::min<LONG>(std::max(x1, x2), client.right),
                   std::min<LONG>(toPixelsY(std::max(y1, y2)), client.bottom)};
    if (box.right <= box.left || box.bottom <= box.top) return {};
    fill(box, color);
    return box;
}

void DrawingSurface::copyTo(HDC target, const RECT& area) const
{
    BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, canvas_,
           area.left, area.top, SRCCOPY);
}
