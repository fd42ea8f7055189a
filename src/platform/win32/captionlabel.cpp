// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/captionlabel.h"

#include "platform/formlayout.h"
#include "platform/win32/conversions.h"
#include "platform/win32/widetext.h"

namespace {

constexpr COLORREF frameColour = RGB(0, 0, 0);

// CR LF starts a new line; DrawText takes a lone LF the same way, a lone CR is dropped.
std::wstring shownText(std::string_view caption)
{
    std::wstring text = toWide(caption);
    std::wstring shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r') {
            if (i + 1 < text.size() && text[i + 1] == L'\n') shown += L"\r\n", ++i;
            continue;
        }
        shown += text[i];
    }
    return shown;
}

} // namespace

RECT captionLabelPlace(HWND window, const ControlLayout& entry, RECT place,
                       std::string_view caption, HFONT font)
{
    if (!entry.fits) return place;
    const std::wstring text = shownText(caption);
    const HDC dc = GetDC(window);
    const HGDIOBJ old = SelectObject(dc, font);
    RECT measured{0, 0, 0, 0};
    DrawTextW(dc, text.empty() ? L" " : text.c_str(), -1, &measured,
              DT_CALCRECT | DT_NOPREFIX | DT_LEFT);
    if (text.empty()) measured.right = 0;
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    const int frame = entry.framed ? 2 : 0;
    place.right = place.left + measured.right + frame;
    place.bottom = place.top + measured.bottom + frame;
    return place;
}

void paintCaptionLabel(HDC dc, const ControlLayout& entry, RECT place, std::string_view caption,
                       HFONT font)
{
    if (place.right <= place.left || place.bottom <= place.top) return;
    if (entry.backColor) {
        const HBRUSH brush = CreateSolidBrush(toColorRef(*entry.backColor));
        FillRect(dc, &place, brush);
        DeleteObject(brush);
    }
    if (entry.framed) {
        const HBRUSH brush = CreateSolidBrush(frameColour);
        FrameRect(dc, &place, brush);
        DeleteObject(brush);
        InflateRect(&place, -1, -1);
    }
    const std::wstring text = shownText(caption);
    if (text.empty()) return;
    const HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, entry.textColor ? toColorRef(*entry.textColor) : GetSysColor(COLOR_BTNTEXT));
    UINT format =
        DT_NOPREFIX | DT_TOP | (entry.alignment == Alignment::Centre ? DT_CENTER : DT_LEFT);
    if (!entry.fits) format |= DT_WORDBREAK;
    DrawTextW(dc, text.c_str(), -1, &place, format);
    SelectObject(dc, old);
}
