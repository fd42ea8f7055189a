// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/win32dialogs.h"

#include "platform/win32/widetext.h"

#include <vector>

namespace {

std::wstring titleOrApplication(std::string_view title)
{
    return title.empty() ? std::wstring(L"Moltiplix") : toWide(title);
}

// The captions of OK and Cancel in the system's language, as its message boxes show them.
std::wstring standardCaption(UINT id, const wchar_t* fallback)
{
    const wchar_t* text = nullptr;
    const int length =
        LoadStringW(GetModuleHandleW(L"user32.dll"), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : fallback;
}

constexpr int promptId = 100;
constexpr int answerId = 101;

// An in-memory dialog template: header, then one item per control, DWORD-aligned.
class DialogTemplate {
public:
    DialogTemplate(const std::wstring& title, short width, short height)
    {
        DLGTEMPLATE header{};
        header.style = DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        header.cx = width;
        header.cy = height;
        append(&header, sizeof header);
        word(0); // no menu
        word(0); // standard class
        text(title);
        word(8);
        text(L"MS Shell Dlg");
    }

    void add(WORD atom, int id, const std::wstring& caption, DWORD style, short x, short y,
             short cx, short cy, DWORD extendedStyle = 0)
    {
        align();
        DLGITEMTEMPLATE item{};
        item.style = style | WS_CHILD | WS_VISIBLE;
        item.dwExtendedStyle = extendedStyle;
        item.x = x;
        item.y = y;
        item.cx = cx;
        item.cy = cy;
        item.id = static_cast<WORD>(id);
        append(&item, sizeof item);
        word(0xFFFF);
        word(atom);
        text(caption);
        word(0); // no creation data
        ++reinterpret_cast<DLGTEMPLATE*>(bytes_.data())->cdit;
    }

    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }

private:
    void append(const void* data, std::size_t size)
    {
        const auto* first = static_cast<const unsigned char*>(data);
        bytes_.insert(bytes_.end(), first, first + size);
    }
    void word(WORD value) { append(&value, sizeof value); }
    void text(const std::wstring& value) { append(value.c_str(), (value.size() + 1) * 2); }
    void align()
    {
        while (bytes_.size() % 4)
            bytes_.push_back(0);
    }

    std::vector<unsigned char> bytes_;
};

struct InputState {
    std::wstring prompt;
    std::size_t maxLength;
    std::wstring answer;
};

INT_PTR CALLBACK inputProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* state = reinterpret_cast<InputState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        state = reinterpret_cast<InputState*>(lParam);
        SetDlgItemTextW(dialog, promptId, state->prompt.c_str());
        if (state->maxLength > 0)
            SendDlgItemMessageW(dialog, answerId, EM_LIMITTEXT, state->maxLength, 0);
        SetFocus(GetDlgItem(dialog, answerId));
        SetForegroundWindow(dialog);
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            const HWND box = GetDlgItem(dialog, answerId);
            std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
            text.resize(static_cast<std::size_t>(
                GetWindowTextW(box, text.data(), static_cast<int>(text.size()))));
            state->answer = std::move(text);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace

Win32Dialogs::Win32Dialogs(std::function<HWND()> owner) : owner_(std::move(owner)) {}

std::string Win32Dialogs::inputBox(std::string_view prompt, std::string_view title,
                                   std::size_t maxLength)
{
    constexpr WORD button = 0x0080, edit = 0x0081, staticText = 0x0082;
    DialogTemplate form(titleOrApplication(title), 260, 84);
    // The box right after the prompt: screen readers name a box after the text before it.
    form.add(staticText, promptId, L"", SS_LEFT | SS_NOPREFIX, 7, 7, 188, 48);
    form.add(edit, answerId, L"", ES_AUTOHSCROLL | ES_LEFT | WS_BORDER | WS_TABSTOP, 7, 63, 246,
             14);
    form.add(button, IDOK, standardCaption(800, L"OK"), BS_DEFPUSHBUTTON | WS_TABSTOP, 203, 7, 50,
             14);
    form.add(button, IDCANCEL, standardCaption(801, L"Cancel"), BS_PUSHBUTTON | WS_TABSTOP, 203, 24,
             50, 14);
    InputState state{toWide(prompt), maxLength, {}};
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), form.get(), owner_(),
                                                   inputProc, reinterpret_cast<LPARAM>(&state));
    return result == IDOK ? toUtf8(state.answer) : std::string();
}

void Win32Dialogs::message(std::string_view prompt, std::string_view title)
{
    MessageBoxW(owner_(), toWide(prompt).c_str(), titleOrApplication(title).c_str(),
                MB_OK | MB_SETFOREGROUND);
}

bool Win32Dialogs::askYesNo(std::string_view prompt, std::string_view title)
{
    // Yes/No boxes have no close box and ignore Escape: only the two buttons close them.
    return MessageBoxW(owner_(), toWide(prompt).c_str(), titleOrApplication(title).c_str(),
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_SETFOREGROUND) == IDYES;
}

void showFatalError(HWND owner, const std::string& message)
{
    MessageBoxW(owner, toWide("Errore: " + message + "\n\nIl gioco si chiude.").c_str(),
                L"Moltiplix", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}
