// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/windowaccessible.h"

#include "platform/win32/widetext.h"
#include "platform/win32/win32form.h"

namespace {

// Empty text is no text: S_FALSE, as the system's objects answer.
HRESULT toBstr(const std::string& text, BSTR* out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    *out = SysAllocString(toWide(text).c_str());
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT toI4(LONG value, VARIANT* out)
{
    if (!out) return E_POINTER;
    out->vt = VT_I4;
    out->lVal = value;
    return S_OK;
}

HRESULT nothing(VARIANT* out)
{
    if (!out) return E_POINTER;
    VariantInit(out);
    return S_FALSE;
}

LONG roleOf(const ControlLayout& entry)
{
    switch (entry.kind) {
    case ControlKind::TextBox:
        return ROLE_SYSTEM_TEXT;
    case ControlKind::Button:
        return ROLE_SYSTEM_PUSHBUTTON;
    case ControlKind::Picture:
        return ROLE_SYSTEM_GRAPHIC;
    case ControlKind::Label:
        break;
    }
    return ROLE_SYSTEM_STATICTEXT;
}

// "&Nuovo calcolo" is clicked with Alt+N.
std::string shortcutOf(const ControlLayout& entry)
{
    const std::string_view caption = entry.caption;
    const std::size_t mark = caption.find('&');
    if (entry.kind != ControlKind::Button || mark == std::string_view::npos ||
        mark + 1 >= caption.size())
        return {};
    const char key = caption[mark + 1];
    return std::string("Alt+") + static_cast<char>(key >= 'a' && key <= 'z' ? key - 32 : key);
}

constexpr LONG childIdOf(Control control)
{
    return static_cast<LONG>(indexOf(control)) + 1;
}

} // namespace

WindowAccessible::WindowAccessible(Win32Form* window, HWND handle, std::optional<Control> control)
    : window_(window), handle_(handle), control_(control)
{
    // __uuidof throughout: MinGW's IID_IAccessible is data imported from oleacc.dll, which
    // a static link reads as the import thunk's bytes.
    CreateStdAccessibleObject(handle, OBJID_CLIENT, __uuidof(IAccessible),
                              reinterpret_cast<void**>(&standard_));
}

WindowAccessible::~WindowAccessible()
{
    disconnect();
}

void WindowAccessible::disconnect()
{
    window_ = nullptr;
    if (standard_) standard_->Release();
    standard_ = nullptr;
}

HRESULT WindowAccessible::QueryInterface(REFIID id, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (id != __uuidof(IUnknown) && id != __uuidof(IDispatch) && id != __uuidof(IAccessible))
        return E_NOINTERFACE;
    *object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
}

ULONG WindowAccessible::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG WindowAccessible::Release()
{
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

// Readers call IAccessible directly; late binding through IDispatch is not offered.
HRESULT WindowAccessible::GetTypeInfoCount(UINT* count)
{
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT WindowAccessible::GetTypeInfo(UINT, LCID, ITypeInfo**)
{
    return E_NOTIMPL;
}

HRESULT WindowAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

HRESULT WindowAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                 UINT*)
{
    return E_NOTIMPL;
}

// The control a child id names here, or none for the window itself, which the system's
// object answers for.
HRESULT WindowAccessible::resolve(const VARIANT& child, std::optional<Control>& control) const
{
    if (!window_ || !standard_ || !IsWindow(handle_)) return CO_E_OBJNOTCONNECTED;
    if (child.vt != VT_I4) return E_INVALIDARG;
    if (child.lVal == CHILDID_SELF) {
        control = control_;
        return S_OK;
    }
    if (control_ || child.lVal < 1 || child.lVal > static_cast<LONG>(controlCount))
        return E_INVALIDARG;
    control = static_cast<Control>(child.lVal - 1);
    return S_OK;
}

HWND WindowAccessible::handleOf(Control control) const
{
    return window_ ? window_->controlHandle(control) : nullptr;
}

// A windowed control is an object of its own; a label is a simple element of this one.
HRESULT WindowAccessible::childVariant(Control control, VARIANT* child) const
{
    if (const HWND handle = handleOf(control); handle && !control_) {
        IDispatch* object = nullptr;
        const HRESULT result = AccessibleObjectFromWindow(handle, OBJID_CLIENT, __uuidof(IDispatch),
                                                          reinterpret_cast<void**>(&object));
        if (FAILED(result)) return result;
        child->vt = VT_DISPATCH;
        child->pdispVal = object;
        return S_OK;
    }
    return toI4(control == control_ ? CHILDID_SELF : childIdOf(control), child);
}

HRESULT WindowAccessible::get_accParent(IDispatch** parent)
{
    if (!window_ || !standard_) return CO_E_OBJNOTCONNECTED;
    return standard_->get_accParent(parent);
}

HRESULT WindowAccessible::get_accChildCount(LONG* count)
{
    if (!count) return E_POINTER;
    if (!window_) return CO_E_OBJNOTCONNECTED;
    *count = control_ ? 0 : static_cast<LONG>(controlCount);
    return S_OK;
}

HRESULT WindowAccessible::get_accChild(VARIANT child, IDispatch** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    std::optional<Control> control;
    if (const HRESULT result = resolve(child, control); FAILED(result)) return result;
    if (!control || child.lVal == CHILDID_SELF) return E_INVALIDARG;
    VARIANT found;
    VariantInit(&found);
    if (const HRESULT result = childVariant(*control, &found); FAILED(result)) return result;
    if (found.vt != VT_DISPATCH) return S_FALSE;
    *object = found.pdispVal;
    return S_OK;
}

HRESULT WindowAccessible::get_accName(VARIANT child, BSTR* name)
{
    std::optional<Control> control;
    if (const HRESULT result = resolve(child, control); FAILED(result)) return result;
    if (!control) return standard_->get_accName(child, name);
    return toBstr(window_->spokenName(*control), name);
}

// Only the answer box holds a value, and nothing may set it past the game's key filter.
HRESULT WindowAccessible::get_accValue(VARIANT child, BSTR* value)
{
    std::optional<Control> control;
    if (const HRESULT result = resolve(child, control); FAILED(result)) return result;
    if (!control) return standard_->get_accValue(child, value);
    if (*control == Control::txtAnswer) return toBstr(window_->answerText(), value);
    if (value) *value = nullptr;
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT WindowAccessible::get_accDescription(VARIANT child, BSTR* description)
{
    std::optional<Control> control;
    if (const HRESULT result = resolve(child, control); FAILED(result)) return result;
    if (!control) return standard_->get_accDescription(child, description);
    return toBstr(window_->spokenDescription(*control), description);
}

HRESULT WindowAccessible::get_accRole(VARIANT child, VARIANT* role)
{
    std::optional<Control> control;
    if (const HRESULT result = resolve(child, control); FAILED(result)) return result;
    if (!control) return standard_->get_accRole(child, role);
    return toI4(roleOf(window_->layout().of(*control)), role);
}

HRESULT WindowAccessible::get_accState(VARIANT child, VARIANT* state)
{
    std::optional<Control> control;
    if (const HRESULT result = resolve(child, control); FAILED(result)) return result;
    if (!control) return standard_->get_accState(child, state);
    const HWND handle = handleOf(*control);
    LONG flags = IsWindowVisible(handle ? handle : window_->handle()) ? 0 : STATE_SYSTEM_INVISIBLE;
    if (!handle)
        flags |= STATE_SYSTEM_READONLY;
    else if (!IsWindowEnabled(handle))
        flags |= STATE_SYSTEM_UNAVAILABLE;
    else
        flags |= STATE_SYSTEM_FOCUSABLE | (GetFocus() == handle ? STATE_SYSTEM_FOCUSED : 0);
    return toI4(flags, state);
}

// What the tooltip says.
HRESULT WindowAccessible::get_accHelp(VARIANT child, BSTR* help)
{
    std::optional<Control> control;
    if (const HRESULT result = resolve(child, control); FAILED(result)) return result;
    if (!control) return standard_->get_accHelp(child, help);
    return toBstr(std::string(window_->layout().of(*control).tooltip), help);
}

HRESULT WindowAccessible::get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic)
{
    std::optional<Control> control;
    if (const HRESULT result = resolve(child, control); FAILED(result)) return result;
    if (!control) return standard_->get_accHelpTopic(file, child, topic);
    if (file) *file = nullptr;
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT WindowAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut)
{
    std::optional<Control> control;
    if (const HRESULT result = resolve(child, control); FAILED(result)) return result;
    if (!control) return standard_->get_accKeyboardShortcut(child, shortcut);
    return toBstr(shortcutOf(window_->layout().of(*control)), shortcut);
}

HRESULT WindowAccessible::get_accFocus(VARIANT* child)
{
    if (!child) return E_POINTER;
    VariantInit(child);
    if (!window_) return CO_E_OBJNOTCONNECTED;
    const HWND focus = GetFocus();
    if (focus && focus == handle_) return toI4(CHILDID_SELF, child);
    for (Control control : {Control::txtAnswer, Control::cmdNext, Control::cmdExit})
        if (!control_ && focus && focus == handleOf(control)) return childVariant(control, child);
    return S_FALSE;
}

HRESULT WindowAccessible::get_accSelection(VARIANT* children)
{
    if (!window_) return CO_E_OBJNOTCONNECTED;
    return nothing(children);
}

HRESULT WindowAccessible::get_accDefaultAction(VARIANT child, BSTR* action)
{
    std::optional<Control> control;
    if (const HRESULT result = resolve(child, control); FAILED(result)) return result;
    if (!control) return standard_->get_accDefaultAction(child, action);
    return toBstr(roleOf(window_->layout().of(*control)) == ROLE_SYSTEM_PUSHBUTTON ? "Premi" : "",
                  action);
}

HRESULT WindowAccessible::accSelect(LONG flags, VARIANT child)
{
    std::optional<Control> control;
    if (const HRESULT result = resolve(child, control); FAILED(result)) return result;
    if (!control) return standard_->accSelect(flags, child);
    const HWND handle = handleOf(*control);
    if (!handle || flags != SELFLAG_TAKEFOCUS || !IsWindowEnabled(handle))
        return DISP_E_MEMBERNOTFOUND;
    SetFocus(handle);
    return S_OK;
}

HRESULT WindowAccessible::accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                      VARIANT child)
{
    if (!left || !top || !width || !height) return E_POINTER;
    std::optional<Control> control;
    if (const HRESULT result = resolve(child, control); FAILED(result)) return result;
    if (!control) return standard_->accLocation(left, top, width, height, child);
    RECT place{};
    if (const HWND handle = handleOf(*control)) {
        GetWindowRect(handle, &place);
    } else {
        place = window_->controlRect(*control);
        MapWindowPoints(window_->handle(), HWND_DESKTOP, reinterpret_cast<POINT*>(&place), 2);
    }
    *left = place.left;
    *top = place.top;
    *width = place.right - place.left;
    *height = place.bottom - place.top;
    return S_OK;
}

// Among the children, in reading order; everything else as the system's object goes.
HRESULT WindowAccessible::accNavigate(LONG direction, VARIANT start, VARIANT* end)
{
    if (!end) return E_POINTER;
    VariantInit(end);
    std::optional<Control> control;
    if (const HRESULT result = resolve(start, control); FAILED(result)) return result;
    if (control_ || (!control && direction != NAVDIR_FIRSTCHILD && direction != NAVDIR_LASTCHILD))
        return standard_->accNavigate(direction, start, end);
    LONG to = 0;
    if (direction == NAVDIR_FIRSTCHILD && !control) to = 1;
    if (direction == NAVDIR_LASTCHILD && !control) to = static_cast<LONG>(controlCount);
    if (direction == NAVDIR_NEXT && control) to = childIdOf(*control) + 1;
    if (direction == NAVDIR_PREVIOUS && control) to = childIdOf(*control) - 1;
    if (to < 1 || to > static_cast<LONG>(controlCount)) return S_FALSE;
    return childVariant(static_cast<Control>(to - 1), end);
}

HRESULT WindowAccessible::accHitTest(LONG x, LONG y, VARIANT* child)
{
    if (!child) return E_POINTER;
    VariantInit(child);
    if (!window_ || !standard_) return CO_E_OBJNOTCONNECTED;
    if (!control_) {
        POINT at{x, y};
        ScreenToClient(window_->handle(), &at);
        for (const ControlLayout& entry : window_->layout().controls) {
            RECT place = window_->controlRect(entry.id);
            if (const HWND handle = handleOf(entry.id)) {
                GetWindowRect(handle, &place);
                MapWindowPoints(HWND_DESKTOP, window_->handle(), reinterpret_cast<POINT*>(&place),
                                2);
            }
            if (PtInRect(&place, at)) return childVariant(entry.id, child);
        }
    }
    return standard_->accHitTest(x, y, child);
}

HRESULT WindowAccessible::accDoDefaultAction(VARIANT child)
{
    std::optional<Control> control;
    if (const HRESULT result = resolve(child, control); FAILED(result)) return result;
    if (!control) return standard_->accDoDefaultAction(child);
    if (roleOf(window_->layout().of(*control)) != ROLE_SYSTEM_PUSHBUTTON)
        return DISP_E_MEMBERNOTFOUND;
    // Posted: the click may end the game or reload the window under this very call.
    PostMessageW(handleOf(*control), BM_CLICK, 0, 0);
    return S_OK;
}

HRESULT WindowAccessible::put_accName(VARIANT, BSTR)
{
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT WindowAccessible::put_accValue(VARIANT, BSTR)
{
    return DISP_E_MEMBERNOTFOUND;
}
