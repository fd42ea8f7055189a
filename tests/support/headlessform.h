// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/controls.h"
#include "platform/form.h"
#include "platform/formlayout.h"
#include "platform/waiting.h"

#include <array>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// A window without a display: captions are plain text, painting is recorded, and so are
// waits; a test can act while the game waits, as another program would. What a real
// window could not do (use a control before loading, focus a disabled one, paint before
// the drawing settings) throws.
class HeadlessForm : public Form, public Waiting {
public:
    struct Box {
        int x1, y1, x2, y2;
        Rgb color;
    };

    std::string caption(Control id) const override { return control(id).caption; }
    void setCaption(Control id, std::string_view text) override { control(id).caption = text; }
    std::string answerText() const override { return caption(Control::txtAnswer); }
    void setAnswerText(std::string_view text) override { setCaption(Control::txtAnswer, text); }
    void setEnabled(Control id, bool enabled) override { control(id).enabled = enabled; }
    void setFocus(Control id) override
    {
        if (!control(id).enabled)
            throw std::logic_error("a disabled control cannot take the focus");
        focus_ = id;
    }
    void setTimerEnabled(bool enabled) override
    {
        if (!loaded_) throw std::logic_error("the timer went with the window");
        timerEnabled_ = enabled;
    }
    DisplayState displayState() const override { return displayState_; }
    void setWindowCaption(std::string_view text) override { windowCaption_ = text; }
    int windowWidthTwips() const override { return 11880 + 16 * 15; }
    void setBackColor(Rgb color) override
    {
        backColor_ = color;
        painted_.clear();
    }
    void setDrawing(const DrawingSettings& settings) override { drawing_ = settings; }
    void fillBox(int x1, int y1, int x2, int y2, Rgb color) override
    {
        if (!drawing_) throw std::logic_error("painting before the drawing settings");
        painted_.push_back({x1, y1, x2, y2, color});
    }
    void setSpokenName(Control id, std::string_view name) override
    {
        control(id).spokenName = name;
    }
    void setSpokenDescription(Control id, std::string_view text) override
    {
        control(id).spokenDescription = text;
    }
    void load(const FormLayout& layout) override
    {
        loaded_ = true;
        ++loads_;
        for (const ControlLayout& entry : layout.controls)
            controls_[indexOf(entry.id)] = {std::string(entry.caption), entry.enabled, {}, {}};
        focus_.reset();
        timerEnabled_ = false;
        windowCaption_ = layout.window.caption;
        backColor_.reset();
        drawing_.reset();
        painted_.clear();
    }
    void unload() override
    {
        loaded_ = visible_ = timerEnabled_ = false;
        painted_.clear();
    }
    void show() override
    {
        if (!loaded_) throw std::logic_error("showing a window that was not loaded");
        visible_ = true;
    }
    void endProgram(int status) override
    {
        exitStatus_ = status;
        timerEnabled_ = false;
    }
    void stillWaiting() override
    {
        waits_ += !waiting_;
        waiting_ = true;
        if (whileWaiting_) whileWaiting_();
    }
    void doneWaiting() override { waiting_ = false; }

    // Runs on every turn of a wait.
    void whileWaiting(std::function<void()> action) { whileWaiting_ = std::move(action); }
    bool waiting() const { return waiting_; }
    int waits() const { return waits_; }

    bool enabled(Control id) const { return control(id).enabled; }
    const std::string& spokenName(Control id) const { return control(id).spokenName; }
    const std::string& spokenDescription(Control id) const { return control(id).spokenDescription; }
    std::optional<Control> focus() const { return focus_; }
    bool timerEnabled() const { return timerEnabled_; }
    const std::string& windowCaption() const { return windowCaption_; }
    const std::optional<Rgb>& backColor() const { return backColor_; }
    const std::optional<DrawingSettings>& drawing() const { return drawing_; }
    const std::vector<Box>& painted() const { return painted_; }
    bool visible() const { return visible_; }
    int loads() const { return loads_; }
    std::optional<int> exitStatus() const { return exitStatus_; }
    void setDisplayState(DisplayState state) { displayState_ = state; }

private:
    struct ControlState {
        std::string caption;
        bool enabled = true;
        std::string spokenName, spokenDescription;
    };
    template <typename Self> static auto& control(Self& self, Control id)
    {
        if (!self.loaded_) throw std::logic_error("the window is not loaded");
        return self.controls_[indexOf(id)];
    }
    ControlState& control(Control id) { return control(*this, id); }
    const ControlState& control(Control id) const { return control(*this, id); }

    std::array<ControlState, controlCount> controls_;
    std::optional<Control> focus_;
    bool timerEnabled_ = false;
    DisplayState displayState_ = DisplayState::Maximised;
    std::string windowCaption_;
    std::optional<Rgb> backColor_;
    std::optional<DrawingSettings> drawing_;
    std::vector<Box> painted_;
    std::function<void()> whileWaiting_;
    bool waiting_ = false;
    int waits_ = 0;
    int loads_ = 0;
    bool loaded_ = false;
    bool visible_ = false;
    std::optional<int> exitStatus_;
};
