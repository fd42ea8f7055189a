// SPDX-License-Identifier: GPL-3.0-or-later
// What the Win32 window hears: painting, the window's messages, its keys, focus and
// pointer, handed to the game as its events.
#include "platform/win32/win32form.h"

#include "platform/win32/captionlabel.h"
#include "platform/win32/conversions.h"
#include "platform/win32/picturebutton.h"

#include <algorithm>
#include <cstdlib>

void Win32Form::paint(HDC target, const RECT& area)
{
    RECT client{};
    GetClientRect(window_, &client);
    surface_.grow(window_, client.right, client.bottom);
    // Drawn off screen first, so labels never flicker over the gradient; only the area
    // asked for, so the clock's tick redraws the clock alone.
    const LONG width = std::max<LONG>(area.right - area.left, 1);
    const LONG height = std::max<LONG>(area.bottom - area.top, 1);
    const HDC buffer = CreateCompatibleDC(target);
    const HBITMAP bitmap = CreateCompatibleBitmap(target, width, height);
    const HGDIOBJ initial = SelectObject(buffer, bitmap);
    SetViewportOrgEx(buffer, -area.left, -area.top, nullptr);
    surface_.copyTo(buffer, {area.left, area.top, area.left + width, area.top + height});
    for (const ControlLayout& entry : layout_.controls) {
        RECT overlap{};
        if (entry.kind == ControlKind::Label &&
            IntersectRect(&overlap, &fitted_[indexOf(entry.id)], &area))
            paintCaptionLabel(buffer, entry, fitted_[indexOf(entry.id)],
                              captions_[indexOf(entry.id)], fonts_[indexOf(entry.id)]);
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
    // The default button (cmdNext while it can be clicked, or the focused one) is outlined.
    const bool isDefault = (item.itemState & ODS_FOCUS) ||
                           (control == Control::cmdNext && !(item.itemState & ODS_DISABLED) &&
                            GetFocus() != controlHandle(Control::cmdExit));
    const ButtonPictures pictures =
        control == Control::cmdNext
            ? ButtonPictures{pictures_[pictureNext], pictures_[pictureNextPressed],
                             pictures_[pictureNextDisabled]}
            : ButtonPictures{pictures_[pictureExit], nullptr, nullptr};
    drawPictureButton(item, layout_.of(control), pictures, fonts_[indexOf(control)], dpi_,
                      isDefault);
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
        surface_.grow(window_, LOWORD(lParam), HIWORD(lParam));
        if (wParam != SIZE_MINIMIZED) surface_.forgetUncovered(LOWORD(lParam), HIWORD(lParam));
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
