// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/int16.h"
#include "clock/countdown.h"
#include "game/spokentext.h"
#include "platform/form.h"

#include <string>
#include <string_view>

class Dialogs;
class RandomSource;
class RecordStore;
class SystemClock;

// The window-level variables. They live as long as the game object, across the
// window's unload and reload for a new game.
struct WindowState {
    std::string playerName;
    std::string limitText;
    Int16 tableLimit;
    Int16 expectedAnswer;
    Int16 correctCount;
    Int16 wrongCount;
    Int16 shade;
    Countdown countdown;
    std::string recordDir;
};

// The game window: its start-up, questions, scoring, countdown and the end of the game,
// over whatever window, dialogs, random source and system clock it is given.
class Tavola : public FormEvents {
public:
    Tavola(Form& form, Dialogs& dialogs, RandomSource& random, SystemClock& systemClock,
           RecordStore& records);

    // Loads the window (which runs Form_Load), shows it and poses the first question.
    void launch();

    void Form_Load();
    void Form_Activate();
    void Form_Resize() override;
    void cmdNext_Click() override;
    void txtAnswer_KeyPress(int& KeyAscii) override;
    void cmdExit_Click() override;
    void Next_Click() override;
    void Timer1_Timer() override;

    void AvviaTimer();
    void FineGara();
    std::string GetSystemDir();

    const WindowState& state() const { return state_; }

private:
    Int16 askTableLimit();
    void scoreAnswer();
    void paintGradient();
    bool beginEnding();
    void saveOrEnd(std::string_view congratulation);
    void setCaption(Control control, std::string_view text);
    void tellQuestion();
    void tellVerdict();
    void describeControls(const CaptionOf& shown);

    Form& form_;
    Dialogs& dialogs_;
    RandomSource& random_;
    SystemClock& systemClock_;
    RecordStore& records_;

    WindowState state_;
    bool starting_ = false;
    bool ending_ = false;
};
