// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/dialogs.h"

#include <deque>
#include <functional>
#include <stdexcept>
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
                         std::size_t maxLength = 0) override
    {
        open(Kind::Input, prompt, title);
        shown_.back().maxLength = maxLength;
        return next(inputAnswers_, prompt);
    }
    void message(std::string_view prompt, std::string_view title = {}) override
    {
        open(Kind::Message, prompt, title);
    }
    bool askYesNo(std::string_view prompt, std::string_view title) override
    {
        open(Kind::YesNo, prompt, title);
        return next(yesNoAnswers_, prompt);
    }

    void answerInputs(std::initializer_list<std::string> answers)
    {
        inputAnswers_.insert(inputAnswers_.end(), answers);
    }
    void answerYesNo(bool yes) { yesNoAnswers_.push_back(yes); }
    // Runs once, while the next dialog whose prompt starts with promptStart is open.
    void whileOpen(std::string promptStart, std::function<void()> action)
    {
        actions_.emplace_back(std::move(promptStart), std::move(action));
    }

    const std::vector<Shown>& shown() const { return shown_; }
    std::vector<std::string> prompts() const
    {
        std::vector<std::string> result;
        for (const Shown& s : shown_)
            result.push_back(s.prompt);
        return result;
    }

private:
    void open(Kind kind, std::string_view prompt, std::string_view title)
    {
        shown_.push_back(
            {kind, std::string(prompt), title.empty() ? "Moltiplix" : std::string(title)});
        for (auto it = actions_.begin(); it != actions_.end(); ++it) {
            if (prompt.starts_with(it->first)) {
                auto action = std::move(it->second);
                actions_.erase(it);
                action();
                return;
            }
        }
    }
    template <typename T> static T next(std::deque<T>& answers, std::string_view prompt)
    {
        if (answers.empty()) throw std::logic_error("unscripted dialog: " + std::string(prompt));
        T answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }

    std::deque<std::string> inputAnswers_;
    std::deque<bool> yesNoAnswers_;
    std::vector<std::pair<std::string, std::function<void()>>> actions_;
    std::vector<Shown> shown_;
};
