// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/picturebutton.h"

#include "platform/formlayout.h"
#include "platform/win32/conversions.h"
#include "platform/win32/widetext.h"

#include <algorithm>

namespace {

constexpr int pictureSide = 32; // at 96 dpi
constexpr COLORREF frameColour = RGB(0, 0, 0);

} // namespace

void drawPictureButton(const DRAWITEMSTRUCT& item, const ControlLayout& entry,
                       const ButtonPictures& pictures, HFONT font, UINT dpi, bool isDefault)
{
    const auto pixels = [dpi](int twips) { return pixelsAt(dpi, twips); };
    const HDC dc = item.hDC;
    RECT outer = item.rcItem;
    const bool down = item.itemState & ODS_SELECTED;
    const bool disabled = item.itemState & ODS_DISABLED;
    const bool focused = item.itemState & ODS_FOCUS;

    const HBRUSH back = CreateSolidBrush(toColorRef(*entry.backColor));
    FillRect(dc, &outer, back);
    DeleteObject(back);
    if (isDefault) {
        const HBRUSH black = CreateSolidBrush(frameColour);
        FrameRect(dc, &outer, black);
        DeleteObject(black);
        InflateRect(&outer, -1, -1);
    }
    DrawEdge(dc, &outer, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

    HICON picture = pictures.normal;
    if (disabled && pictures.disabled)
        picture = pictures.disabled;
    else if (down && pictures.pressed)
        picture = pictures.pressed;

    const int side = pixels(pictureSide * twipsPerPixel);
    const HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int shift = down ? 1 : 0;
    const int contentHeight = side + 2 + metrics.tmHeight;
    const int top =
        item.rcItem.top +
        std::max(pixels(6 * twipsPerPixel),
                 static_cast<int>(item.rcItem.bottom - item.rcItem.top - contentHeight) / 2) +
        shift;
    if (picture)
        DrawIconEx(dc, (item.rcItem.right - item.rcItem.left - side) / 2 + shift, top, picture,
                   side, side, 0, nullptr, DI_NORMAL);
    RECT textArea{item.rcItem.left + shift, top + side + 2, item.rcItem.right + shift,
                  top + side + 2 + metrics.tmHeight};
    const std::wstring text = toWide(entry.caption);
    SetBkMode(dc, TRANSPARENT);
    if (disabled) {
        OffsetRect(&textArea, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
        DrawTextW(dc, text.c_str(), -1, &textArea, DT_CENTER | DT_TOP | DT_SINGLELINE);
        OffsetRect(&textArea, -1, -1);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    } else {
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    }
    DrawTextW(dc, text.c_str(), -1, &textArea, DT_CENTER | DT_TOP | DT_SINGLELINE);
    if (focused && !(item.itemState & ODS_NOFOCUSRECT)) {
        RECT focus = textArea;
        InflateRect(&focus, -pixels(6 * twipsPerPixel), 1);
        DrawFocusRect(dc, &focus);
    }
    SelectObject(dc, old);
}
