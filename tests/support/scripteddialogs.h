// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/dialogs.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

// Dialogs answered from a script. Every dialog is logged; a test can also run code
// while a given dialog is open, as the window's timer would.
class ScriptedDialogs : public Dialogs {
public:
    enum class Kind { Input, Message, YesNo };
    struct Shown {
        Kind kind;
        std::string prompt;
        std::string title;
        std::size_t maxLength = 0;
    };

    std::string inputBox(std::string_view prompt, std::string_view title = {},
                         std::size_t maxLength = 0) override;
    void message(std::string_view prompt, std::string_view title = {}) override;
    bool askYesNo(std::string_view prompt, std::string_view title) override;

    void answerInputs(std::initializer_list<std::string> answers);
    void answerYesNo(bool yes) { yesNoAnswers_.push_back(yes); }
    // Runs once, while the next dialog whose prompt starts with promptStart is open.
    void whileOpen(std::string promptStart, std::function<void()> action);

    const std::vector<Shown>& shown() const { return shown_; }
    std::vector<std::string> prompts() const;
    std::size_t pendingInputs() const { return inputAnswers_.size(); }

private:
    void open(Kind kind, std::string_view prompt, std::string_view title);

    std::deque<std::string> inputAnswers_;
    std::deque<bool> yesNoAnswers_;
    std::vector<std::pair<std::string, std::function<void()>>> actions_;
    std::vector<Shown> shown_;
};
