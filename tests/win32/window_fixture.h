// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game/tavola.h"
#include "platform/headless/fakeclock.h"
#include "platform/headless/scripteddialogs.h"
#include "platform/headless/scriptedrandom.h"
#include "platform/win32/win32tavolawindow.h"
#include "platform/win32/windowsrecordstore.h"
#include "support/tempdir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

// The real Win32 window, driven by window messages, with scripted dialogs and draws and
// its record in a temporary directory.
class Win32WindowTest : public ::testing::Test {
protected:
    void start(const std::string& name = "Giulia", const std::string& limit = "10",
               std::initializer_list<double> draws = {0.0, 0.35, 0.45, 0.5})
    {
        dialogs.answerInputs({name, limit});
        random.script(draws);
        window.run([this] { tavola.launch(); });
        pump();
    }

    // Runs the window's message loop until it has been idle for a moment.
    void pump(DWORD quietMilliseconds = 60)
    {
        DWORD idleSince = GetTickCount();
        while (GetTickCount() - idleSince < quietMilliseconds) {
            MSG message;
            if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                Sleep(5);
                continue;
            }
            idleSince = GetTickCount();
            if (window.preTranslate(message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    // Runs the window's message loop for a while, whatever comes.
    void pumpFor(DWORD milliseconds)
    {
        const DWORD begin = GetTickCount();
        while (GetTickCount() - begin < milliseconds)
            pump(10);
    }

    HWND control(Control id) const { return window.controlHandle(id); }

    void type(const std::string& text)
    {
        for (char c : text)
            PostMessageW(GetFocus(), WM_CHAR, static_cast<unsigned char>(c), 0);
        pump();
    }
    void press(WPARAM key)
    {
        PostMessageW(GetFocus(), WM_KEYDOWN, key, 0);
        pump();
    }
    void answerRight()
    {
        type(std::to_string(tavola.state().expectedAnswer.value()));
        press(VK_RETURN);
    }

    // What is on the window at a client point, read back from the window's own surface.
    COLORREF pixel(int x, int y) const
    {
        const HDC dc = GetDC(window.handle());
        const COLORREF colour = GetPixel(dc, x, y);
        ReleaseDC(window.handle(), dc);
        return colour;
    }

    TempDir records;
    ScriptedDialogs dialogs;
    ScriptedRandom random;
    FakeClock clock;
    std::optional<int> exitStatus;
    Win32TavolaWindow window{GetModuleHandleW(nullptr),
                             [this](int status) { exitStatus = status; }};
    WindowsRecordStore store{{records.path().string()}, {}};
    Tavola tavola{window, dialogs, random, clock, store};

    void SetUp() override { window.setEvents(&tavola); }
};
