// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/form.h"
#include "platform/formlayout.h"
#include "platform/win32/drawingsurface.h"

#include <windows.h>

#include <array>
#include <functional>
#include <optional>
#include <string>

class WindowAccessible;

// The game window on the Win32 API: labels drawn by the window over its retained
// drawing, a native EDIT for the answer and owner-drawn picture buttons.
class Win32Form : public Form {
public:
    using ProgramEnd = std::function<void(int status)>;

    // end replaces leaving the process (the tests record the status instead).
    explicit Win32Form(HINSTANCE instance, ProgramEnd end = {});
    ~Win32Form() override;
    Win32Form(const Win32Form&) = delete;
    Win32Form& operator=(const Win32Form&) = delete;

    void setEvents(FormEvents* events) { events_ = events; }
    // Runs a handler; an error the game can't go on after is shown, then ends the program.
    void run(const std::function<void()>& handler);
    // The window's own keys (Enter, Tab, access keys); true when the message was used.
    bool preTranslate(const MSG& message);

    HWND handle() const { return window_; }
    HWND controlHandle(Control control) const { return handles_[indexOf(control)]; }
    // Where a control stands now, in client pixels (fitted labels included).
    RECT controlRect(Control control) const;
    HFONT controlFont(Control control) const { return fonts_[indexOf(control)]; }
    UINT dpi() const { return dpi_; }
    const FormLayout& layout() const { return layout_; }
    // What a screen reader says of a control, as the game last composed it.
    const std::string& spokenName(Control control) const { return spokenNames_[indexOf(control)]; }
    const std::string& spokenDescription(Control control) const
    {
        return spokenDescriptions_[indexOf(control)];
    }

    std::string caption(Control control) const override;
    void setCaption(Control control, std::string_view text) override;
    std::string answerText() const override;
    void setAnswerText(std::string_view text) override;
    void setEnabled(Control control, bool enabled) override;
    void setFocus(Control control) override;
    void setTimerEnabled(bool enabled) override;
    DisplayState displayState() const override;
    void setWindowCaption(std::string_view text) override;
    int windowWidthTwips() const override;
    void setBackColor(Rgb color) override;
    void setDrawing(const DrawingSettings& settings) override;
    void fillBox(int x1, int y1, int x2, int y2, Rgb color) override;
    void setSpokenName(Control control, std::string_view name) override;
    void setSpokenDescription(Control control, std::string_view description) override;
    void load(const FormLayout& layout) override;
    void unload() override;
    void show() override;
    void endProgram(int status) override;

private:
    static constexpr UINT_PTR timerId = 1;
    // Posted by the menu's new game, which destroys this very menu.
    static constexpr UINT newGameMessage = WM_APP + 1;
    enum MenuCommand : UINT { menuV = 101, menuCiao, menuA, menuNext, menuWp };
    enum Picture {
        pictureNext,
        pictureNextPressed,
        pictureNextDisabled,
        pictureExit,
        pictureClock
    };

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK answerProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK buttonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleAnswerMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void createControls();
    void createMenu();
    void createTooltips();
    void applyDpi(UINT dpi);
    void releaseFontsAndPictures();
    void destroyResources();
    int pixels(int twips) const;
    RECT placeOf(const ControlLayout& entry) const;
    void fitLabel(Control control);
    void paint(HDC target, const RECT& area);
    void drawButton(const DRAWITEMSTRUCT& item);
    bool setPointer(HWND under, WPARAM hitTest);
    void click(Control button);
    void moveFocus(bool backwards);
    void saveFocus();
    bool restoreFocus();
    LRESULT accessibleObject(std::optional<Control> control, WPARAM flags);
    void releaseAccessibleObjects();

    HINSTANCE instance_;
    ProgramEnd end_;
    FormEvents* events_ = nullptr;
    HWND window_ = nullptr;
    HWND tooltip_ = nullptr;
    WNDPROC answerDefault_ = nullptr;
    WNDPROC buttonDefault_ = nullptr;
    HWND savedFocus_ = nullptr;
    UINT dpi_ = 96;
    FormLayout layout_;

    std::array<HWND, controlCount> handles_{};
    std::array<std::string, controlCount> captions_{};
    std::array<RECT, controlCount> fitted_{};
    std::array<HFONT, controlCount> fonts_{};
    HBRUSH answerBrush_ = nullptr;
    HICON pictures_[5] = {};
    HCURSOR gamePointer_ = nullptr;
    HCURSOR iconPointer_ = nullptr;

    DrawingSurface surface_;
    bool timerOn_ = false;

    // Handed to screen readers when first asked for; cut off when the window goes.
    WindowAccessible* windowObject_ = nullptr;
    std::array<WindowAccessible*, controlCount> controlObjects_{};
    std::array<std::string, controlCount> spokenNames_;
    std::array<std::string, controlCount> spokenDescriptions_;
    // The answer box's name as a screen reader last heard it.
    std::string spokenQuestion_;
};
