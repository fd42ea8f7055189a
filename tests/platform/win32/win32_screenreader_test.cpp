// SPDX-License-Identifier: GPL-3.0-or-later
// The window as a screen reader reads it through MSAA: what it is told at each focus and
// at each change of the focused control's name, and every control on demand.
#include "window_fixture.h"

#include <oleacc.h>

#include <cstdio>

namespace {

struct Spoken {
    std::string event, name, description;
    LONG role = 0;
};

std::vector<Spoken> transcript;
HWND focused = nullptr;

std::string taken(BSTR text)
{
    std::string utf8 = text ? toUtf8(text) : "";
    SysFreeString(text);
    return utf8;
}

Spoken read(IAccessible* object, VARIANT child, const char* event = "")
{
    BSTR name = nullptr, description = nullptr;
    VARIANT role;
    VariantInit(&role);
    object->get_accName(child, &name);
    object->get_accDescription(child, &description);
    object->get_accRole(child, &role);
    return {event, taken(name), taken(description), role.vt == VT_I4 ? role.lVal : 0};
}

// As a reader does: asks for the object the event names when the event comes, and
// speaks a change of name of the focused control only.
void CALLBACK listen(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD)
{
    if (object != OBJID_CLIENT) return;
    if (event == EVENT_OBJECT_FOCUS) focused = window;
    if (window != focused) return;
    IAccessible* accessible = nullptr;
    VARIANT id;
    if (FAILED(AccessibleObjectFromEvent(window, object, child, &accessible, &id))) {
        transcript.push_back({"unreadable", "", "", 0});
        return;
    }
    transcript.push_back(read(accessible, id, event == EVENT_OBJECT_FOCUS ? "focus" : "name"));
    accessible->Release();
}

VARIANT childId(LONG id)
{
    VARIANT child;
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

} // namespace

TEST_F(WindowTest, AScreenReaderHearsEveryQuestionAndVerdictAndReadsEveryControl)
{
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    transcript.clear();
    focused = nullptr;
    const HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_NAMECHANGE, nullptr, listen,
                        GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_TRUE(hook);
    // Each step is heard once: the given event, about the given kind of control. The
    // system tells it in its own time; told twice, the second telling is there by the
    // next step, as the messages of one window come in order.
    std::size_t mark = 0;
    auto heard = [this, &mark](const char* event, LONG role) {
        EXPECT_TRUE(waitFor([&mark] { return transcript.size() > mark; })) << "heard nothing";
        EXPECT_EQ(transcript.size(), mark + 1) << "heard " << transcript.size() - mark;
        if (transcript.size() <= mark) return Spoken{};
        EXPECT_EQ(transcript[mark].event, event);
        EXPECT_EQ(transcript[mark].role, role);
        mark = transcript.size();
        return transcript.back();
    };
    auto question = [this] {
        return "Risultato: quanto fa " + window.caption(Control::lblNum1) + " per " +
               window.caption(Control::lblNum2) + "?";
    };
    start("Ada");
    // The window's own focus as it is activated comes first.
    while (mark < transcript.size() && transcript[mark].role != ROLE_SYSTEM_TEXT)
        ++mark;
    EXPECT_EQ(heard("focus", ROLE_SYSTEM_TEXT).name, question());
    type(product());
    press(Key::Enter);
    Spoken next = heard("focus", ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(next.name, "Nuovo calcolo");
    EXPECT_EQ(next.description,
              "Esatto! Ada sei forte! Risposte esatte 1, Risposte errate 0, Risposte totali 1.");
    clock.set(39000.5, "07/12/2026 10:50:00");
    press(Key::Enter);
    EXPECT_EQ(heard("focus", ROLE_SYSTEM_TEXT).name, question());
    const std::string right = product();
    type(right == "1" ? "2" : "1");
    press(Key::Enter);
    EXPECT_EQ(heard("focus", ROLE_SYSTEM_PUSHBUTTON).description,
              "Sbagliato!! " + right +
                  ". Risposte esatte 1, Risposte errate 1, Risposte totali 2.");

    // On demand: every control in reading order, with the name of what it shows.
    IAccessible* client = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(window.handle(), OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&client)),
              S_OK);
    LONG count = 0;
    EXPECT_EQ(client->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, static_cast<LONG>(controlCount));
    for (LONG id = 1; id <= static_cast<LONG>(expected::controls.size()); ++id) {
        const ExpectedControl& c = expected::controls[static_cast<std::size_t>(id - 1)];
        SCOPED_TRACE(c.name);
        Spoken said = read(client, childId(id));
        IDispatch* own = nullptr;
        const HRESULT windowed = client->get_accChild(childId(id), &own);
        EXPECT_EQ(windowed == S_OK, control(c.id) != nullptr);
        if (own) {
            IAccessible* object = nullptr;
            own->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&object));
            own->Release();
            ASSERT_TRUE(object);
            said = read(object, childId(CHILDID_SELF));
            object->Release();
        }
        EXPECT_FALSE(said.name.empty());
        // As the Qt window's test has it: the words on screen, blanks run together.
        std::string shown;
        for (char ch : window.caption(c.id))
            if (ch != '&' && !(ch == ' ' && (shown.empty() || shown.back() == ' '))) shown += ch;
        if (!shown.empty() && shown.back() == ' ') shown.pop_back();
        if (c.id == Control::txtAnswer) {
            BSTR value = nullptr;
            EXPECT_EQ(client->get_accValue(childId(id), &value), S_OK);
            EXPECT_EQ(taken(value), window.answerText());
        } else if (!shown.empty()) {
            EXPECT_NE(said.name.find(shown), std::string::npos) << said.name;
            EXPECT_EQ(said.name.find(shown), said.name.rfind(shown)) << said.name;
        }
        const bool button = c.id == Control::cmdNext || c.id == Control::cmdExit;
        EXPECT_EQ(said.role, c.id == Control::txtAnswer ? ROLE_SYSTEM_TEXT
                             : button                   ? ROLE_SYSTEM_PUSHBUTTON
                             : c.id == Control::Image1  ? ROLE_SYSTEM_GRAPHIC
                                                        : ROLE_SYSTEM_STATICTEXT);
        POINT at{placeOf(c.id).left, placeOf(c.id).top};
        ClientToScreen(window.handle(), &at);
        LONG left = 0, top = 0, width = 0, height = 0;
        EXPECT_EQ(client->accLocation(&left, &top, &width, &height, childId(id)), S_OK);
        EXPECT_EQ(left, at.x);
        EXPECT_EQ(top, at.y);
        EXPECT_EQ(width, placeOf(c.id).width);
    }
    const std::pair<Control, std::string> names[] = {
        {Control::lblNum1, "Primo fattore: " + window.caption(Control::lblNum1)},
        {Control::Label2, "per: X"},
        {Control::lblMessage, "Messaggio: Sbagliato!! " + right},
        {Control::lblScore1, "Risposte errate: 1"},
        {Control::Label6, "Risposte esatte"},
        {Control::lblconto, "Tempo restante: " + window.caption(Control::lblconto)},
        {Control::cmdNext, "Nuovo calcolo"},
        {Control::cmdExit, "Exit"}};
    for (const auto& [id, name] : names)
        EXPECT_EQ(read(client, childId(static_cast<LONG>(indexOf(id)) + 1)).name, name);

    // Back on the box, Enter poses the next question there: heard as its name changing.
    press(Key::Tab);
    EXPECT_EQ(heard("focus", ROLE_SYSTEM_TEXT).name, question());
    const std::string before = question();
    clock.set(40000.5, "07/12/2026 11:06:40"); // another seed, another question
    press(Key::Enter);
    EXPECT_NE(question(), before);
    EXPECT_EQ(heard("name", ROLE_SYSTEM_TEXT).name, question());
    VARIANT state;
    EXPECT_EQ(client->get_accState(childId(indexOf(Control::cmdNext) + 1), &state), S_OK);
    EXPECT_EQ(state.lVal & STATE_SYSTEM_UNAVAILABLE, STATE_SYSTEM_UNAVAILABLE);
    EXPECT_EQ(client->get_accState(childId(indexOf(Control::txtAnswer) + 1), &state), S_OK);
    EXPECT_EQ(state.lVal & STATE_SYSTEM_FOCUSED, STATE_SYSTEM_FOCUSED);
    // Ids that name nothing: the box has no children, the window 23.
    IDispatch* boxObject = nullptr;
    IAccessible* box = nullptr;
    ASSERT_EQ(client->get_accChild(childId(indexOf(Control::txtAnswer) + 1), &boxObject), S_OK);
    boxObject->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&box));
    boxObject->Release();
    BSTR name = nullptr;
    for (VARIANT bad : {childId(-1), childId(static_cast<LONG>(controlCount) + 1), VARIANT{}})
        EXPECT_EQ(client->get_accName(bad, &name), E_INVALIDARG);
    for (VARIANT bad : {childId(1), VARIANT{}})
        EXPECT_EQ(box->get_accName(bad, &name), E_INVALIDARG);
    box->Release();

    pump();
    EXPECT_EQ(transcript.size(), mark) << "the last question told again";

    // A reader holding on after the window is gone is told so.
    window.unload();
    EXPECT_TRUE(FAILED(client->get_accName(childId(1), &name)));
    client->Release();
    UnhookWinEvent(hook);

    std::printf("What a screen reader is told: event | name | role | description\n");
    for (const Spoken& said : transcript) {
        wchar_t role[64] = L"";
        GetRoleTextW(static_cast<DWORD>(said.role), role, 64);
        std::printf("  %-6s %s | %s | %s\n", said.event.c_str(), said.name.c_str(),
                    toUtf8(role).c_str(), said.description.c_str());
    }
}
