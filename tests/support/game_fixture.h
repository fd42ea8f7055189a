// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game/tavola.h"
#include "platform/recorddirectory.h"
#include "support/fakeclock.h"
#include "support/headlessform.h"
#include "support/scripteddialogs.h"
#include "support/scriptedrandom.h"
#ifdef _WIN32
#include "records/windowsrecordstore.h"
#else
#include "records/localrecordstore.h"
#endif
#include "support/tempdir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

class FixedDirectory : public RecordDirectory {
public:
    explicit FixedDirectory(std::string path) : path_(std::move(path)) {}
    std::string locate() override { return path_; }

private:
    std::string path_;
};

// The store a game uses: the player's own by default, or any other a test puts in.
class StoreInUse : public RecordStore {
public:
    explicit StoreInUse(RecordStore& store) : store_(&store) {}
    void use(RecordStore& store) { store_ = &store; }
    std::string locate() override { return store_->locate(); }
    StoredRecord open() override { return store_->open(); }
    SaveOutcome saveIfBeaten(std::string_view score, std::string_view name) override
    {
        return store_->saveIfBeaten(score, name);
    }

private:
    RecordStore* store_;
};

// A whole game on the headless window, with its records in a temporary directory.
class GameTest : public ::testing::Test {
protected:
    // Answers the start-up dialogs (name, then limits) and poses the first question with the
    // given draws: shade, first factor, second factor, weighting. The default question is 3 x 4.
    void start(std::initializer_list<std::string> inputs = {"Anna", "10"},
               std::initializer_list<double> draws = {0.0, 0.35, 0.45, 0.5})
    {
        dialogs.answerInputs(inputs);
        random.script(draws);
        tavola.launch();
    }

    // Types text into the answer box as a player would, through the key filter, then presses
    // Enter: answer("") is Enter on whatever the box holds.
    void answer(const std::string& text)
    {
        for (char c : text + '\r') {
            int key = static_cast<unsigned char>(c);
            tavola.txtAnswer_KeyPress(key);
            if (key != 0 && key != '\r' && form.answerText().size() < 4)
                form.setAnswerText(form.answerText() + static_cast<char>(key));
        }
    }

    void nextQuestion(std::initializer_list<double> draws = {0.0, 0.35, 0.45, 0.5})
    {
        random.script(draws);
        tavola.cmdNext_Click();
    }

    void tick(int times = 1)
    {
        for (int i = 0; i < times && !form.exitStatus(); ++i)
            tavola.Timer1_Timer();
    }

    std::string caption(Control control) const { return form.caption(control); }
    // Right, wrong and all answers, as the three score labels show them.
    std::string scores() const
    {
        return caption(Control::lblScore) + " " + caption(Control::lblScore1) + " " +
               caption(Control::lblScore2);
    }
    std::vector<std::string> promptsAfterStart() const
    {
        const auto all = dialogs.prompts();
        return {all.begin() + 3, all.end()};
    }

    void haveRecord(const std::string& score, const std::string& name)
    {
        writeBytes(records.path() / "tavrec.txt", score);
        writeBytes(records.path() / "ntavrec.txt", name);
    }
    // The score file's bytes, then the name file's.
    std::string recordFiles() const
    {
        return readBytes(records.path() / "tavrec.txt") + readBytes(records.path() / "ntavrec.txt");
    }

    TempDir records;
    HeadlessForm form;
    ScriptedDialogs dialogs;
    ScriptedRandom random;
    FakeClock clock;
#ifdef _WIN32
    WindowsRecordStore store{{{ records.path().string() }}, nullptr};
#else
    FixedDirectory directory{records.path().string()};
    LocalRecordStore store{directory};
#endif
    StoreInUse storeInUse{store};
    Tavola tavola{form, dialogs, random, clock, storeInUse};
};
