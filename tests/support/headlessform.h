// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/controls.h"
#include "platform/form.h"
#include "platform/waiting.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// A window without a display: captions are plain text, painting is recorded, and so are
// waits; a test can act while the game waits, as another program would.
class HeadlessForm : public Form, public Waiting {
public:
    struct Box {
        int x1, y1, x2, y2;
        Rgb color;
    };
    struct ControlState {
        std::string caption;
        bool enabled = true;
        std::string spokenName;
        std::string spokenDescription;
    };

    std::string caption(Control control) const override;
    void setCaption(Control control, std::string_view text) override;
    std::string answerText() const override;
    void setAnswerText(std::string_view text) override;
    void setEnabled(Control control, bool enabled) override;
    void setFocus(Control control) override;
    void setTimerEnabled(bool enabled) override;
    DisplayState displayState() const override { return displayState_; }
    void setWindowCaption(std::string_view text) override { windowCaption_ = text; }
    int windowWidthTwips() const override { return windowWidthTwips_; }
    void setBackColor(Rgb color) override;
    void setDrawing(const DrawingSettings& settings) override { drawing_ = settings; }
    void fillBox(int x1, int y1, int x2, int y2, Rgb color) override;
    void setSpokenName(Control control, std::string_view name) override;
    void setSpokenDescription(Control control, std::string_view description) override;
    void load(const FormLayout& layout) override;
    void unload() override;
    void show() override;
    void endProgram(int status) override;
    void stillWaiting() override;
    void doneWaiting() override;

    // Runs on every turn of a wait.
    void whileWaiting(std::function<void()> action) { whileWaiting_ = std::move(action); }
    bool waiting() const { return waiting_; }
    int waits() const { return waits_; }

    bool enabled(Control control) const;
    const std::string& spokenName(Control control) const;
    const std::string& spokenDescription(Control control) const;
    std::optional<Control> focus() const { return focus_; }
    bool timerEnabled() const { return timerEnabled_; }
    const std::string& windowCaption() const { return windowCaption_; }
    const std::optional<Rgb>& backColor() const { return backColor_; }
    const std::optional<DrawingSettings>& drawing() const { return drawing_; }
    const std::vector<Box>& painted() const { return painted_; }
    bool loaded() const { return loaded_; }
    bool visible() const { return visible_; }
    int loads() const { return loads_; }
    std::optional<int> exitStatus() const { return exitStatus_; }

    void setDisplayState(DisplayState state) { displayState_ = state; }
    void setWindowWidthTwips(int width) { windowWidthTwips_ = width; }

private:
    ControlState& control(Control control);
    const ControlState& control(Control control) const;

    std::array<ControlState, controlCount> controls_;
    std::optional<Control> focus_;
    bool timerEnabled_ = false;
    DisplayState displayState_ = DisplayState::Maximised;
    std::string windowCaption_;
    int windowWidthTwips_ = 11880 + 16 * 15;
    std::optional<Rgb> backColor_;
    std::optional<DrawingSettings> drawing_;
    std::vector<Box> painted_;
    bool loaded_ = false;
    bool visible_ = false;
    int loads_ = 0;
    std::optional<int> exitStatus_;
    std::function<void()> whileWaiting_;
    bool waiting_ = false;
    int waits_ = 0;
};
