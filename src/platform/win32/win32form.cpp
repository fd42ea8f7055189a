// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/win32form.h"

#include "base/fatalerror.h"
#include "platform/win32/captionlabel.h"
#include "platform/win32/conversions.h"
#include "platform/win32/resources.h"
#include "platform/win32/widetext.h"
#include "platform/win32/win32dialogs.h"
#include "platform/win32/windowaccessible.h"

#include <commctrl.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr wchar_t windowClass[] = L"MoltiplixTavola";
constexpr UINT tickMilliseconds = 1000;
constexpr int pictureSide = 32; // at 96 dpi

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
    return pixelsAt(dpi_, twips);
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
    surface_.reset(GetSysColor(COLOR_BTNFACE));
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
    fitted_[i] = captionLabelPlace(window_, entry, placeOf(entry), captions_[i], fonts_[i]);
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
    surface_.release();
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

void Win32Form::setBackColor(Rgb color)
{
    surface_.setBackColor(window_, toColorRef(color));
    InvalidateRect(window_, nullptr, FALSE);
}

void Win32Form::setDrawing(const DrawingSettings& settings)
{
    surface_.setScaleHeight(settings.scaleHeight);
}

void Win32Form::fillBox(int x1, int y1, int x2, int y2, Rgb color)
{
    const RECT painted = surface_.fillBox(window_, x1, y1, x2, y2, toColorRef(color));
    if (!IsRectEmpty(&painted)) InvalidateRect(window_, &painted, FALSE);
}
