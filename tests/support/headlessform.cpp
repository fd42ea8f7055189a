// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/headlessform.h"

#include <stdexcept>

HeadlessForm::ControlState& HeadlessForm::control(Control id)
{
    if (!loaded_) throw std::logic_error("the window is not loaded");
    return controls_[indexOf(id)];
}

const HeadlessForm::ControlState& HeadlessForm::control(Control id) const
{
    if (!loaded_) throw std::logic_error("the window is not loaded");
    return controls_[indexOf(id)];
}

std::string HeadlessForm::caption(Control id) const
{
    return control(id).caption;
}

void HeadlessForm::setCaption(Control id, std::string_view text)
{
    control(id).caption = text;
}

std::string HeadlessForm::answerText() const
{
    return caption(Control::txtAnswer);
}

void HeadlessForm::setAnswerText(std::string_view text)
{
    setCaption(Control::txtAnswer, text);
}

void HeadlessForm::setEnabled(Control id, bool enabled)
{
    control(id).enabled = enabled;
}

bool HeadlessForm::enabled(Control id) const
{
    return control(id).enabled;
}

void HeadlessForm::setFocus(Control id)
{
    if (!control(id).enabled) throw std::logic_error("a disabled control cannot take the focus");
    focus_ = id;
}

void HeadlessForm::setTimerEnabled(bool enabled)
{
    if (!loaded_) throw std::logic_error("the timer went with the window");
    timerEnabled_ = enabled;
}

void HeadlessForm::setBackColor(Rgb color)
{
    backColor_ = color;
    painted_.clear();
}

void HeadlessForm::fillBox(int x1, int y1, int x2, int y2, Rgb color)
{
    if (!drawing_) throw std::logic_error("painting before the drawing settings");
    painted_.push_back({x1, y1, x2, y2, color});
}

void HeadlessForm::setSpokenName(Control id, std::string_view name)
{
    control(id).spokenName = name;
}

void HeadlessForm::setSpokenDescription(Control id, std::string_view description)
{
    control(id).spokenDescription = description;
}

const std::string& HeadlessForm::spokenName(Control id) const
{
    return control(id).spokenName;
}

const std::string& HeadlessForm::spokenDescription(Control id) const
{
    return control(id).spokenDescription;
}

void HeadlessForm::load(const FormLayout& layout)
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

void HeadlessForm::unload()
{
    loaded_ = false;
    visible_ = false;
    timerEnabled_ = false;
    painted_.clear();
}

void HeadlessForm::show()
{
    if (!loaded_) throw std::logic_error("showing a window that was not loaded");
    visible_ = true;
}

void HeadlessForm::endProgram(int status)
{
    exitStatus_ = status;
    timerEnabled_ = false;
}

void HeadlessForm::stillWaiting()
{
    if (!waiting_) ++waits_;
    waiting_ = true;
    if (whileWaiting_) whileWaiting_();
}

void HeadlessForm::doneWaiting()
{
    waiting_ = false;
}
