// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/controls.h"
#include "platform/formlayout.h"

#include <string>
#include <string_view>

enum class DisplayState { Normal, Minimised, Maximised };

// How the window draws: what is painted is kept across repaints, and y runs over a
// scale of scaleHeight units from the top to the bottom of the client area (x in pixels).
struct DrawingSettings {
    bool persistent = true;
    int penStyle = 6;  // inside solid
    int drawMode = 13; // copy pen
    int penWidth = 2;
    int scaleHeight = 512;
    constexpr bool operator==(const DrawingSettings&) const = default;
};

// What the game window reports; the game implements it.
class FormEvents {
public:
    virtual ~FormEvents() = default;
    virtual void Form_Resize() = 0;
    virtual void txtAnswer_KeyPress(int& KeyAscii) = 0;
    virtual void cmdNext_Click() = 0;
    virtual void cmdExit_Click() = 0;
    virtual void Next_Click() = 0;
    virtual void Timer1_Timer() = 0;
};

// What the game asks of its window. Captions are UTF-8 text, shown as is; CR LF starts
// a new line.
class Form {
public:
    virtual ~Form() = default;

    virtual std::string caption(Control control) const = 0;
    virtual void setCaption(Control control, std::string_view text) = 0;
    virtual std::string answerText() const = 0;
    virtual void setAnswerText(std::string_view text) = 0;
    virtual void setEnabled(Control control, bool enabled) = 0;
    virtual void setFocus(Control control) = 0;
    virtual void setTimerEnabled(bool enabled) = 0;

    virtual DisplayState displayState() const = 0;
    virtual void setWindowCaption(std::string_view text) = 0;
    virtual int windowWidthTwips() const = 0;

    // Wipes whatever was painted.
    virtual void setBackColor(Rgb color) = 0;
    virtual void setDrawing(const DrawingSettings& settings) = 0;
    // A filled box in drawing coordinates, painted over what is there.
    virtual void fillBox(int x1, int y1, int x2, int y2, Rgb color) = 0;

    // What a screen reader says of a control, composed by the game from what the window
    // shows and handed over whenever that changes; the window keeps it and serves it.
    virtual void setSpokenName(Control control, std::string_view name) = 0;
    virtual void setSpokenDescription(Control control, std::string_view description) = 0;

    // Builds the window and its controls as the layout describes them.
    virtual void load(const FormLayout& layout) = 0;
    // Destroys the controls, menu, timer and drawing; the game's own state survives.
    virtual void unload() = 0;
    virtual void show() = 0;
    // Stops everything and exits the process (a test double only records it).
    virtual void endProgram(int status) = 0;
};
