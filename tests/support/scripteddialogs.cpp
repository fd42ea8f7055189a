// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/scripteddialogs.h"

#include <stdexcept>

void ScriptedDialogs::open(Kind kind, std::string_view prompt, std::string_view title)
{
    shown_.push_back({kind, std::string(prompt), title.empty() ? "Moltiplix" : std::string(title)});
    for (auto it = actions_.begin(); it != actions_.end(); ++it) {
        if (prompt.substr(0, it->first.size()) == it->first) {
            auto action = std::move(it->second);
            actions_.erase(it);
            action();
            return;
        }
    }
}

std::string ScriptedDialogs::inputBox(std::string_view prompt, std::string_view title,
                                      std::size_t maxLength)
{
    open(Kind::Input, prompt, title);
    shown_.back().maxLength = maxLength;
    if (inputAnswers_.empty())
        throw std::logic_error("unscripted input dialog: " + std::string(prompt));
    std::string answer = std::move(inputAnswers_.front());
    inputAnswers_.pop_front();
    return answer;
}

void ScriptedDialogs::message(std::string_view prompt, std::string_view title)
{
    open(Kind::Message, prompt, title);
}

bool ScriptedDialogs::askYesNo(std::string_view prompt, std::string_view title)
{
    open(Kind::YesNo, prompt, title);
    if (yesNoAnswers_.empty())
        throw std::logic_error("unscripted yes/no dialog: " + std::string(prompt));
    const bool yes = yesNoAnswers_.front();
    yesNoAnswers_.pop_front();
    return yes;
}

void ScriptedDialogs::answerInputs(std::initializer_list<std::string> answers)
{
    inputAnswers_.insert(inputAnswers_.end(), answers);
}

void ScriptedDialogs::whileOpen(std::string promptStart, std::function<void()> action)
{
    actions_.emplace_back(std::move(promptStart), std::move(action));
}

std::vector<std::string> ScriptedDialogs::prompts() const
{
    std::vector<std::string> result;
    for (const Shown& s : shown_)
        result.push_back(s.prompt);
    return result;
}
