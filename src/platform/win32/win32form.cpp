// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/win32form.h"

#include "base/fatalerror.h"
#include "platform/win32/resources.h"
#include "platform/win32/widetext.h"
#include "platform/win32/win32dialogs.h"
#include "platform/win32/windowaccessible.h"

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr wchar_t windowClass[] = L"MoltiplixTavola";
constexpr UINT_PTR timerId = 1;
constexpr UINT tickMilliseconds = 1000;
constexpr UINT newGameMessage = WM_APP + 1;
constexpr int pictureSide = 32; // at 96 dpi
constexpr COLORREF frameColour = RGB(0, 0, 0);

enum MenuCommand : UINT { menuV = 101, menuCiao, menuA, menuNext, menuWp };

enum Picture { pictureNext, pictureNextPressed, pictureNextDisabled, pictureExit, pictureClock };

COLORREF toColorRef(Rgb colour)
{
    return RGB(colour.red, colour.green, colour.blue);
}

UINT dpiOf(HWND window)
{
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow =
        reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow && window) return getDpiForWindow(window);
    const HDC screen = GetDC(nullptr);
    const UINT dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    return dpi;
}

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

[[noreturn]] void exitAtOnce(int status)
{
    std::fflush(nullptr);
    ExitProcess(static_cast<UINT>(status));
}

} // namespace

Win32Form::Win32Form(HINSTANCE instance, ProgramEnd end)
    : instance_(instance), end_(end ? std::move(end) : ProgramEnd(exitAtOnce))
{
    static const bool registered = [instance] {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        WNDCLASSEXW type{};
        type.cbSize = sizeof type;
        type.style = CS_HREDRAW | CS_VREDRAW;
        type.lpfnWndProc = windowProc;
        type.hInstance = instance;
        type.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_MOLTIPLIX));
        type.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_MOLTIPLIX),
                                                     IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                     GetSystemMetrics(SM_CYSMICON), 0));
        type.hCursor = nullptr; // set on WM_SETCURSOR
        type.lpszClassName = windowClass;
        return RegisterClassExW(&type) != 0;
    }();
    (void)registered;
}

Win32Form::~Win32Form()
{
    if (window_) unload();
}

void Win32Form::run(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        showFatalError(window_ && IsWindowVisible(window_) ? window_ : nullptr, error.what());
        endProgram(EXIT_FAILURE);
    }
}

int Win32Form::pixels(int twips) const
{
    return MulDiv(twips, static_cast<int>(dpi_), 1440);
}

RECT Win32Form::placeOf(const ControlLayout& entry) const
{
    const int left = pixels(entry.left), top = pixels(entry.top);
    return {left, top, left + pixels(entry.width), top + pixels(entry.height)};
}

RECT Win32Form::controlRect(Control control) const
{
    const ControlLayout& entry = layout_.of(control);
    if (entry.kind == ControlKind::Label && entry.fits) return fitted_[indexOf(control)];
    return placeOf(entry);
}

void Win32Form::load(const FormLayout& layout)
{
    layout_ = layout;
    spokenNames_ = {};
    spokenDescriptions_ = {};
    captions_ = {};
    for (const ControlLayout& entry : layout_.controls) {
        captions_[indexOf(entry.id)] = entry.caption;
    }
    backColor_ = GetSysColor(COLOR_BTNFACE);
    scaleHeight_ = 0;
    spokenQuestion_.clear();
    window_ = CreateWindowExW(0, windowClass, toWide(layout_.window.caption).c_str(),
                              WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance_, this);
    if (!window_) throw FatalError("La finestra del gioco non si può creare.");
    // Shared: loaded once however often a new game reloads the window.
    gamePointer_ = static_cast<HCURSOR>(
        LoadImageW(instance_, MAKEINTRESOURCEW(IDC_GAME_POINTER), IMAGE_CURSOR, 0, 0, LR_SHARED));
    iconPointer_ = static_cast<HCURSOR>(
        LoadImageW(instance_, MAKEINTRESOURCEW(IDC_ICON_POINTER), IMAGE_CURSOR, 0, 0, LR_SHARED));
    createMenu();
    createControls();
    createTooltips();
    applyDpi(dpiOf(window_));
}

void Win32Form::createMenu()
{
    const HMENU bar = CreateMenu();
    HMENU dropDown = nullptr;
    const auto menu = layout_.menu;
    for (std::size_t i = 0; i < menu.size(); ++i) {
        const MenuItem& item = menu[i];
        const std::wstring caption = toWide(item.caption);
        const UINT id = item.name == "v"      ? menuV
                        : item.name == "Ciao" ? menuCiao
                        : item.name == "a"    ? menuA
                        : item.name == "Next" ? menuNext
                                              : menuWp;
        const bool hasDropDown = i + 1 < menu.size() && menu[i + 1].level == 1;
        if (item.level == 1) {
            AppendMenuW(dropDown, MF_STRING, id, caption.c_str());
        } else if (hasDropDown) {
            dropDown = CreatePopupMenu();
            AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(dropDown), caption.c_str());
        } else {
            AppendMenuW(bar, MF_STRING, id, caption.c_str());
        }
    }
    SetMenu(window_, bar);
}

void Win32Form::createControls()
{
    for (const ControlLayout& entry : layout_.controls) {
        const std::size_t i = indexOf(entry.id);
        const std::wstring caption = toWide(entry.caption);
        const HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(i + 1));
        if (entry.kind == ControlKind::TextBox) {
            handles_[i] = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", caption.c_str(),
                                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0,
                                          0, 0, window_, id, instance_, nullptr);
            SendMessageW(handles_[i], EM_SETLIMITTEXT, static_cast<WPARAM>(entry.maxLength), 0);
            SetWindowLongPtrW(handles_[i], GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            answerDefault_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
                handles_[i], GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(answerProc)));
            answerBrush_ = CreateSolidBrush(toColorRef(*entry.backColor));
        } else if (entry.kind == ControlKind::Button) {
            handles_[i] = CreateWindowExW(0, L"BUTTON", caption.c_str(),
                                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0, 0,
                                          0, 0, window_, id, instance_, nullptr);
            EnableWindow(handles_[i], entry.enabled);
            SetWindowLongPtrW(handles_[i], GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            buttonDefault_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
                handles_[i], GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(buttonProc)));
        }
    }
    // Tab order: cmdExit, cmdNext, txtAnswer.
    SetWindowPos(controlHandle(Control::cmdNext), controlHandle(Control::cmdExit), 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(controlHandle(Control::txtAnswer), controlHandle(Control::cmdNext), 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32Form::createTooltips()
{
    tooltip_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance_, nullptr);
    for (const ControlLayout& entry : layout_.controls) {
        if (entry.tooltip.empty()) continue;
        const std::size_t i = indexOf(entry.id);
        std::wstring text = toWide(entry.tooltip); // the tooltip keeps a copy
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_SUBCLASS;
        tool.hwnd = window_;
        tool.lpszText = text.data();
        if (handles_[i]) {
            tool.uFlags |= TTF_IDISHWND;
            tool.uId = reinterpret_cast<UINT_PTR>(handles_[i]);
        } else {
            tool.uId = i + 1;
        }
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 600);
}

// Fonts, pictures and places follow the monitor's dpi; the layout itself stays in twips.
void Win32Form::applyDpi(UINT dpi)
{
    dpi_ = dpi;
    releaseFontsAndPictures();
    const int side = pixels(pictureSide * twipsPerPixel);
    const int icons[] = {IDI_NEXT, IDI_NEXT_PRESSED, IDI_NEXT_DISABLED, IDI_EXIT, IDI_CLOCK};
    for (int k = 0; k < 5; ++k)
        pictures_[k] = static_cast<HICON>(
            LoadImageW(instance_, MAKEINTRESOURCEW(icons[k]), IMAGE_ICON, side, side, 0));

    for (const ControlLayout& entry : layout_.controls) {
        const std::size_t i = indexOf(entry.id);
        if (entry.kind != ControlKind::Picture) {
            const int height = -MulDiv(static_cast<int>(entry.font.points * 100 + 0.5),
                                       static_cast<int>(dpi), 7200);
            fonts_[i] = CreateFontW(height, 0, 0, 0, entry.font.bold ? FW_BOLD : FW_NORMAL,
                                    entry.font.italic, FALSE, FALSE, ANSI_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                    DEFAULT_PITCH | FF_DONTCARE, toWide(entry.font.family).c_str());
        }
        if (handles_[i]) {
            const RECT place = placeOf(entry);
            SetWindowPos(handles_[i], nullptr, place.left, place.top, place.right - place.left,
                         place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
            SendMessageW(handles_[i], WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[i]), TRUE);
        }
        if (entry.kind == ControlKind::Label) fitLabel(entry.id);
        if (!handles_[i] && !entry.tooltip.empty() && tooltip_) {
            TTTOOLINFOW tool{};
            tool.cbSize = sizeof tool;
            tool.hwnd = window_;
            tool.uId = i + 1;
            tool.rect = controlRect(entry.id);
            SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }

    // Restored, the client area is the layout's, at this dpi.
    RECT frame{0, 0, pixels(layout_.window.clientWidth), pixels(layout_.window.clientHeight)};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, TRUE, 0);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(window_, &placement);
    placement.rcNormalPosition.right = placement.rcNormalPosition.left + frame.right - frame.left;
    placement.rcNormalPosition.bottom = placement.rcNormalPosition.top + frame.bottom - frame.top;
    if (!IsWindowVisible(window_)) placement.showCmd = SW_HIDE;
    SetWindowPlacement(window_, &placement);
    InvalidateRect(window_, nullptr, TRUE);
}

void Win32Form::fitLabel(Control control)
{
    const ControlLayout& entry = layout_.of(control);
    const std::size_t i = indexOf(control);
    RECT place = placeOf(entry);
    if (entry.fits) {
        const std::wstring text = shownText(captions_[i]);
        const HDC dc = GetDC(window_);
        const HGDIOBJ old = SelectObject(dc, fonts_[i]);
        RECT measured{0, 0, 0, 0};
        DrawTextW(dc, text.empty() ? L" " : text.c_str(), -1, &measured,
                  DT_CALCRECT | DT_NOPREFIX | DT_LEFT);
        if (text.empty()) measured.right = 0;
        SelectObject(dc, old);
        ReleaseDC(window_, dc);
        const int frame = entry.framed ? 2 : 0;
        place.right = place.left + measured.right + frame;
        place.bottom = place.top + measured.bottom + frame;
    }
    fitted_[i] = place;
}

void Win32Form::unload()
{
    if (!window_) return;
    const HWND window = window_;
    window_ = nullptr; // WM_DESTROY of a reload must not end the program
    KillTimer(window, timerId);
    timerOn_ = false;
    releaseAccessibleObjects();
    DestroyWindow(window);
    destroyResources();
    handles_ = {};
    tooltip_ = nullptr;
}

void Win32Form::releaseFontsAndPictures()
{
    for (HFONT& font : fonts_) {
        if (font) DeleteObject(font);
        font = nullptr;
    }
    for (HICON& picture : pictures_) {
        if (picture) DestroyIcon(picture);
        picture = nullptr;
    }
}

void Win32Form::destroyResources()
{
    releaseFontsAndPictures();
    if (answerBrush_) DeleteObject(answerBrush_);
    answerBrush_ = nullptr;
    if (canvas_) {
        SelectObject(canvas_, canvasDefault_);
        DeleteObject(canvasBitmap_);
        DeleteDC(canvas_);
    }
    canvas_ = nullptr;
    canvasBitmap_ = nullptr;
    canvasSize_ = {};
}

void Win32Form::show()
{
    ShowWindow(window_, SW_SHOWMAXIMIZED);
    SetForegroundWindow(window_);
    UpdateWindow(window_);
}

void Win32Form::endProgram(int status)
{
    if (window_) KillTimer(window_, timerId);
    timerOn_ = false;
    end_(status);
}

std::string Win32Form::caption(Control control) const
{
    if (control == Control::txtAnswer) return answerText();
    return captions_[indexOf(control)];
}

void Win32Form::setCaption(Control control, std::string_view text)
{
    if (control == Control::txtAnswer) {
        setAnswerText(text);
        return;
    }
    const std::size_t i = indexOf(control);
    if (captions_[i] == text) return;
    captions_[i] = text;
    if (handles_[i]) {
        SetWindowTextW(handles_[i], toWide(text).c_str());
        return;
    }
    const RECT before = fitted_[i];
    fitLabel(control);
    InvalidateRect(window_, &before, FALSE);
    InvalidateRect(window_, &fitted_[i], FALSE);
}

std::string Win32Form::answerText() const
{
    const HWND box = controlHandle(Control::txtAnswer);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(box, text.data(), int(text.size()))));
    return toUtf8(text);
}

void Win32Form::setAnswerText(std::string_view text)
{
    SetWindowTextW(controlHandle(Control::txtAnswer), toWide(text).c_str());
}

void Win32Form::setEnabled(Control control, bool enabled)
{
    const HWND handle = controlHandle(control);
    if (!handle) return;
    // Disabled, the focused control would leave the focus nowhere (and Wine then tells
    // screen readers nothing of the next focus): it moves on as Tab would, as in Qt.
    if (!enabled && GetFocus() == handle) moveFocus(false);
    EnableWindow(handle, enabled);
}

void Win32Form::setFocus(Control control)
{
    const HWND handle = controlHandle(control);
    if (!handle) return;
    // The game focuses the box once per question, after both factors are shown. A screen
    // reader told of the box's focus reads the question with it; one already on the box is
    // told that its name changed.
    if (control == Control::txtAnswer && GetFocus() == handle) {
        std::string question = spokenName(control);
        if (question != spokenQuestion_) {
            spokenQuestion_ = std::move(question);
            NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, handle, OBJID_CLIENT, CHILDID_SELF);
        }
    }
    SetFocus(handle);
}

void Win32Form::setSpokenName(Control control, std::string_view name)
{
    spokenNames_[indexOf(control)] = name;
}

void Win32Form::setSpokenDescription(Control control, std::string_view description)
{
    spokenDescriptions_[indexOf(control)] = description;
}

// Screen readers ask each window for its client object; for anything else the system's
// own objects do.
LRESULT Win32Form::accessibleObject(std::optional<Control> control, WPARAM flags)
{
    WindowAccessible*& object = control ? controlObjects_[indexOf(*control)] : windowObject_;
    if (!object)
        object = new WindowAccessible(this, control ? controlHandle(*control) : window_, control);
    return LresultFromObject(__uuidof(IAccessible), flags, object);
}

void Win32Form::releaseAccessibleObjects()
{
    auto release = [](WindowAccessible*& object) {
        if (!object) return;
        object->disconnect();
        object->Release();
        object = nullptr;
    };
    for (WindowAccessible*& object : controlObjects_)
        release(object);
    release(windowObject_);
}

void Win32Form::setTimerEnabled(bool enabled)
{
    if (enabled == timerOn_) return;
    timerOn_ = enabled;
    if (enabled)
        SetTimer(window_, timerId, tickMilliseconds, nullptr);
    else
        KillTimer(window_, timerId);
}

DisplayState Win32Form::displayState() const
{
    if (IsIconic(window_)) return DisplayState::Minimised;
    if (IsZoomed(window_)) return DisplayState::Maximised;
    return DisplayState::Normal;
}

void Win32Form::setWindowCaption(std::string_view text)
{
    SetWindowTextW(window_, toWide(text).c_str());
}

int Win32Form::windowWidthTwips() const
{
    RECT frame{};
    GetWindowRect(window_, &frame);
    return (frame.right - frame.left) * twipsPerPixel;
}

void Win32Form::growCanvas(int width, int height)
{
    const SIZE needed{std::max<LONG>(canvasSize_.cx, width),
                      std::max<LONG>(canvasSize_.cy, height)};
    if (canvas_ && needed.cx == canvasSize_.cx && needed.cy == canvasSize_.cy) return;
    const HDC screen = GetDC(window_);
    const HDC grown = CreateCompatibleDC(screen);
    const HBITMAP bitmap =
        CreateCompatibleBitmap(screen, std::max<LONG>(needed.cx, 1), std::max<LONG>(needed.cy, 1));
    ReleaseDC(window_, screen);
    const HGDIOBJ initial = SelectObject(grown, bitmap);
    const HBRUSH brush = CreateSolidBrush(backColor_);
    const RECT all{0, 0, needed.cx, needed.cy};
    FillRect(grown, &all, brush);
    DeleteObject(brush);
    if (canvas_) {
        BitBlt(grown, 0, 0, canvasSize_.cx, canvasSize_.cy, canvas_, 0, 0, SRCCOPY);
        SelectObject(canvas_, canvasDefault_);
        DeleteObject(canvasBitmap_);
        DeleteDC(canvas_);
    }
    canvas_ = grown;
    canvasBitmap_ = bitmap;
    canvasDefault_ = initial;
    canvasSize_ = needed;
}

// What the client area no longer covers is lost: growing back uncovers the background.
void Win32Form::forgetUncovered(int width, int height)
{
    const HBRUSH brush = CreateSolidBrush(backColor_);
    const RECT right{width, 0, canvasSize_.cx, canvasSize_.cy};
    const RECT below{0, height, width, canvasSize_.cy};
    FillRect(canvas_, &right, brush);
    FillRect(canvas_, &below, brush);
    DeleteObject(brush);
}

void Win32Form::setBackColor(Rgb color)
{
    backColor_ = toColorRef(color);
    RECT client{};
    GetClientRect(window_, &client);
    growCanvas(client.right, client.bottom);
    const HBRUSH brush = CreateSolidBrush(backColor_);
    const RECT all{0, 0, canvasSize_.cx, canvasSize_.cy};
    FillRect(canvas_, &all, brush);
    DeleteObject(brush);
    InvalidateRect(window_, nullptr, FALSE);
}

void Win32Form::setDrawing(const DrawingSettings& settings)
{
    scaleHeight_ = settings.scaleHeight;
}

void Win32Form::fillBox(int x1, int y1, int x2, int y2, Rgb color)
{
    RECT client{};
    GetClientRect(window_, &client);
    growCanvas(client.right, client.bottom);
    auto toPixelsY = [&](int y) {
        if (scaleHeight_ <= 0) return y;
        return static_cast<int>((static_cast<long long>(y) * client.bottom + scaleHeight_ / 2) /
                                scaleHeight_);
    };
    // Clipped to the client area: what lies beyond it is lost, as on a resize.
    RECT box{std::min(x1, x2), toPixelsY(std::min(y1, y2)),
             std::min<LONG>(std::max(x1, x2), client.right),
             std::min<LONG>(toPixelsY(std::max(y1, y2)), client.bottom)};
    if (box.right <= box.left || box.bottom <= box.top) return;
    const HBRUSH brush = CreateSolidBrush(toColorRef(color));
    FillRect(canvas_, &box, brush);
    DeleteObject(brush);
    InvalidateRect(window_, &box, FALSE);
}

void Win32Form::paintLabel(HDC dc, const ControlLayout& entry)
{
    const std::size_t i = indexOf(entry.id);
    RECT place = fitted_[i];
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
    const std::wstring text = shownText(captions_[i]);
    if (text.empty()) return;
    const HGDIOBJ old = SelectObject(dc, fonts_[i]);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, entry.textColor ? toColorRef(*entry.textColor) : GetSysColor(COLOR_BTNTEXT));
    UINT format =
        DT_NOPREFIX | DT_TOP | (entry.alignment == Alignment::Centre ? DT_CENTER : DT_LEFT);
    if (!entry.fits) format |= DT_WORDBREAK;
    DrawTextW(dc, text.c_str(), -1, &place, format);
    SelectObject(dc, old);
}

void Win32Form::paint(HDC target, const RECT& area)
{
    RECT client{};
    GetClientRect(window_, &client);
    growCanvas(client.right, client.bottom);
    // Drawn off screen first, so labels never flicker over the gradient; only the area
    // asked for, so the clock's tick redraws the clock alone.
    const LONG width = std::max<LONG>(area.right - area.left, 1);
    const LONG height = std::max<LONG>(area.bottom - area.top, 1);
    const HDC buffer = CreateCompatibleDC(target);
    const HBITMAP bitmap = CreateCompatibleBitmap(target, width, height);
    const HGDIOBJ initial = SelectObject(buffer, bitmap);
    SetViewportOrgEx(buffer, -area.left, -area.top, nullptr);
    BitBlt(buffer, area.left, area.top, width, height, canvas_, area.left, area.top, SRCCOPY);
    for (const ControlLayout& entry : layout_.controls) {
        RECT overlap{};
        if (entry.kind == ControlKind::Label &&
            IntersectRect(&overlap, &fitted_[indexOf(entry.id)], &area))
            paintLabel(buffer, entry);
        if (entry.kind == ControlKind::Picture && pictures_[pictureClock]) {
            const RECT place = placeOf(entry);
            DrawIconEx(buffer, place.left, place.top, pictures_[pictureClock], 0, 0, 0, nullptr,
                       DI_NORMAL);
        }
    }
    BitBlt(target, area.left, area.top, width, height, buffer, area.left, area.top, SRCCOPY);
    SelectObject(buffer, initial);
    DeleteObject(bitmap);
    DeleteDC(buffer);
}

void Win32Form::drawButton(const DRAWITEMSTRUCT& item)
{
    const Control control =
        item.hwndItem == controlHandle(Control::cmdNext) ? Control::cmdNext : Control::cmdExit;
    const ControlLayout& entry = layout_.of(control);
    const HDC dc = item.hDC;
    RECT outer = item.rcItem;
    const bool down = item.itemState & ODS_SELECTED;
    const bool disabled = item.itemState & ODS_DISABLED;
    const bool focused = item.itemState & ODS_FOCUS;

    const HBRUSH back = CreateSolidBrush(toColorRef(*entry.backColor));
    FillRect(dc, &outer, back);
    DeleteObject(back);
    // The default button (cmdNext while it can be clicked, or the focused one) is outlined.
    const bool isDefault = focused || (control == Control::cmdNext && !disabled &&
                                       GetFocus() != controlHandle(Control::cmdExit));
    if (isDefault) {
        const HBRUSH black = CreateSolidBrush(frameColour);
        FrameRect(dc, &outer, black);
        DeleteObject(black);
        InflateRect(&outer, -1, -1);
    }
    DrawEdge(dc, &outer, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

    HICON picture = pictures_[control == Control::cmdNext ? pictureNext : pictureExit];
    if (control == Control::cmdNext && disabled && pictures_[pictureNextDisabled])
        picture = pictures_[pictureNextDisabled];
    else if (control == Control::cmdNext && down && pictures_[pictureNextPressed])
        picture = pictures_[pictureNextPressed];

    const int side = pixels(pictureSide * twipsPerPixel);
    const HGDIOBJ old = SelectObject(dc, fonts_[indexOf(control)]);
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

bool Win32Form::setPointer(HWND under, WPARAM hitTest)
{
    if (LOWORD(hitTest) != HTCLIENT) return false;
    if (under == controlHandle(Control::txtAnswer)) return false; // its own text cursor
    HCURSOR pointer = gamePointer_;
    if (under == controlHandle(Control::cmdNext)) {
        pointer = iconPointer_;
    } else if (under == window_) {
        POINT at{};
        GetCursorPos(&at);
        ScreenToClient(window_, &at);
        // Over a disabled cmdNext the system asks the window itself.
        const RECT message = controlRect(Control::lblMessage);
        const RECT next = controlRect(Control::cmdNext);
        if (PtInRect(&message, at) || PtInRect(&next, at)) pointer = iconPointer_;
    }
    SetCursor(pointer ? pointer : LoadCursorW(nullptr, IDC_ARROW));
    return true;
}

void Win32Form::click(Control button)
{
    if (!IsWindowEnabled(controlHandle(button))) return;
    if (button == Control::cmdNext)
        run([this] { events_->cmdNext_Click(); });
    else
        run([this] { events_->cmdExit_Click(); });
}

void Win32Form::moveFocus(bool backwards)
{
    const Control order[] = {Control::cmdExit, Control::cmdNext, Control::txtAnswer};
    const HWND focus = GetFocus();
    int at = 0;
    for (int k = 0; k < 3; ++k)
        if (controlHandle(order[k]) == focus) at = k;
    for (int step = 1; step <= 3; ++step) {
        const int next = (at + (backwards ? 3 - step : step)) % 3;
        const HWND candidate = controlHandle(order[next]);
        if (IsWindowEnabled(candidate)) {
            SetFocus(candidate);
            return;
        }
    }
}

bool Win32Form::preTranslate(const MSG& message)
{
    if (!window_ || (message.hwnd != window_ && GetParent(message.hwnd) != window_)) return false;
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) {
        const HWND focus = GetFocus();
        if (focus == controlHandle(Control::cmdExit)) {
            click(Control::cmdExit);
        } else if (IsWindowEnabled(controlHandle(Control::cmdNext))) {
            click(Control::cmdNext); // the default button, also from the answer box
        } else if (focus == controlHandle(Control::txtAnswer)) {
            int code = '\r';
            run([&] { events_->txtAnswer_KeyPress(code); });
        }
        return true;
    }
    if (message.message == WM_KEYDOWN && message.wParam == VK_TAB) {
        moveFocus(GetKeyState(VK_SHIFT) < 0);
        return true;
    }
    if (message.message == WM_SYSCHAR) {
        const wchar_t key = static_cast<wchar_t>(towlower(static_cast<wint_t>(message.wParam)));
        if (key == L'n') {
            click(Control::cmdNext); // nothing while it is disabled
            return true;
        }
        if (key == L'x') {
            click(Control::cmdExit);
            return true;
        }
    }
    return false;
}

LRESULT CALLBACK Win32Form::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<Win32Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = window;
    }
    auto* self = reinterpret_cast<Win32Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self || self->window_ != window) return DefWindowProcW(window, message, wParam, lParam);
    return self->handleMessage(message, wParam, lParam);
}

LRESULT Win32Form::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        const HDC dc = BeginPaint(window_, &ps);
        paint(dc, ps.rcPaint);
        EndPaint(window_, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        growCanvas(LOWORD(lParam), HIWORD(lParam));
        if (wParam != SIZE_MINIMIZED) forgetUncovered(LOWORD(lParam), HIWORD(lParam));
        if (events_) run([this] { events_->Form_Resize(); });
        return 0;
    case WM_TIMER:
        if (wParam == timerId && events_) run([this] { events_->Timer1_Timer(); });
        return 0;
    case WM_COMMAND:
        if (lParam && HIWORD(wParam) == BN_CLICKED) {
            const HWND from = reinterpret_cast<HWND>(lParam);
            if (from == controlHandle(Control::cmdNext)) click(Control::cmdNext);
            if (from == controlHandle(Control::cmdExit)) click(Control::cmdExit);
            return 0;
        }
        // Queued: the new game destroys this very menu.
        if (!lParam && LOWORD(wParam) == menuNext) PostMessageW(window_, newGameMessage, 0, 0);
        return 0;
    case newGameMessage:
        if (events_) run([this] { events_->Next_Click(); });
        return 0;
    case WM_DRAWITEM:
        drawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CTLCOLOREDIT:
        if (reinterpret_cast<HWND>(lParam) == controlHandle(Control::txtAnswer)) {
            const ControlLayout& entry = layout_.of(Control::txtAnswer);
            const HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, toColorRef(*entry.textColor));
            SetBkColor(dc, toColorRef(*entry.backColor));
            return reinterpret_cast<LRESULT>(answerBrush_);
        }
        break;
    case WM_SETCURSOR:
        if (setPointer(reinterpret_cast<HWND>(wParam), lParam)) return TRUE;
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            saveFocus();
        } else if (restoreFocus()) {
            return 0;
        }
        break;
    // Minimised while still active (no other window to take over), the window is told of
    // no deactivation, and its focused control would be lost on the way.
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_MINIMIZE) saveFocus();
        break;
    case WM_DPICHANGED: {
        applyDpi(HIWORD(wParam));
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_GETOBJECT:
        if (static_cast<LONG>(lParam) == OBJID_CLIENT) return accessibleObject({}, wParam);
        break;
    case WM_CLOSE:
        // The close box ends the program without saving anything.
        endProgram(EXIT_SUCCESS);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void Win32Form::saveFocus()
{
    const HWND focus = GetFocus();
    if (focus && GetParent(focus) == window_) savedFocus_ = focus;
}

bool Win32Form::restoreFocus()
{
    if (!savedFocus_ || !IsWindow(savedFocus_) || GetParent(savedFocus_) != window_ ||
        !IsWindowEnabled(savedFocus_))
        return false;
    SetFocus(savedFocus_);
    return true;
}

LRESULT CALLBACK Win32Form::answerProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<Win32Form*>(GetWindowLongPtrW(box, GWLP_USERDATA));
    return self->handleAnswerMessage(message, wParam, lParam);
}

LRESULT Win32Form::handleAnswerMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND box = controlHandle(Control::txtAnswer);
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT && window_)
        return accessibleObject(Control::txtAnswer, wParam);
    if (message == WM_SETFOCUS) spokenQuestion_ = spokenName(Control::txtAnswer);
    if (message == WM_CHAR) {
        // Enter is the window's (see preTranslate); every other typed character, the
        // clipboard's control codes included, passes the game's key filter.
        if (wParam == '\r' || wParam == '\n') return 0;
        int code = static_cast<int>(wParam);
        run([&] { events_->txtAnswer_KeyPress(code); });
        if (code == 0) return 0;
        wParam = static_cast<WPARAM>(code);
    }
    // Shift+Insert and Shift+Delete paste and cut without a character to filter.
    if (message == WM_KEYDOWN && GetKeyState(VK_SHIFT) < 0 &&
        (wParam == VK_INSERT || wParam == VK_DELETE))
        return 0;
    return CallWindowProcW(answerDefault_, box, message, wParam, lParam);
}

LRESULT CALLBACK Win32Form::buttonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<Win32Form*>(GetWindowLongPtrW(button, GWLP_USERDATA));
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT && self->window_)
        return self->accessibleObject(
            button == self->controlHandle(Control::cmdNext) ? Control::cmdNext : Control::cmdExit,
            wParam);
    return CallWindowProcW(self->buttonDefault_, button, message, wParam, lParam);
}
