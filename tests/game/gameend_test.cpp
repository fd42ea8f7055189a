// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/fatalerror.h"
#include "support/child_process.h"
#include "support/game_fixture.h"

using ::testing::ElementsAre;

namespace {
constexpr const char* exitPraise = "Ok ho registrato il tuo record, C A M P I O N E";
constexpr const char* timeUpPraise = "Ok ho registrato il tuo record, C A M P I O N E\"";
} // namespace

class GameEndTest : public GameTest {
protected:
    // Starts a game and answers `right` questions right (each question is 3 x 4).
    void play(int right, const std::string& name = "Anna")
    {
        start(name);
        for (int i = 0; i < right; ++i) {
            answer("12");
            nextQuestion({0.0, 0.35, 0.45, 0.5});
        }
    }
    std::vector<std::string> promptsAfterStart() const
    {
        auto all = dialogs.prompts();
        return {all.begin() + 3, all.end()};
    }
};

TEST_F(GameEndTest, ExitWithABetterScoreSavesBothFilesAndCongratulates)
{
    writeBytes(records.path() / "tavrec.txt", "2\r\n");
    writeBytes(records.path() / "ntavrec.txt", "Bruno\r\n");
    play(3, "Anna");
    tavola.cmdExit_Click();
    EXPECT_EQ(scoreFile(), "3\r\n");
    EXPECT_EQ(nameFile(), "Anna\r\n");
    EXPECT_THAT(promptsAfterStart(), ElementsAre(exitPraise));
    EXPECT_EQ(form.exitStatus(), 0);
}

TEST_F(GameEndTest, EqualScoreWritesNothingAndSaysNothing)
{
    writeBytes(records.path() / "tavrec.txt", "3\r\n");
    writeBytes(records.path() / "ntavrec.txt", "Bruno\r\n");
    play(3);
    tavola.cmdExit_Click();
    EXPECT_EQ(scoreFile(), "3\r\n");
    EXPECT_EQ(nameFile(), "Bruno\r\n");
    EXPECT_TRUE(promptsAfterStart().empty());
    EXPECT_EQ(form.exitStatus(), 0);
}

TEST_F(GameEndTest, NoRecordYetAndNoRightAnswerWritesNothing)
{
    play(0);
    answer("1");
    tavola.cmdExit_Click();
    EXPECT_EQ(scoreFile(), "");
    EXPECT_EQ(nameFile(), "");
    EXPECT_EQ(form.exitStatus(), 0);
}

TEST_F(GameEndTest, OneRightAnswerBeatsNoRecordAndAnEmptyNameIsJustTheLineEnd)
{
    play(1, "");
    tavola.cmdExit_Click();
    EXPECT_EQ(scoreFile(), "1\r\n");
    EXPECT_EQ(nameFile(), "\r\n");
}

TEST_F(GameEndTest, HandEditedRecordThatIsNotANumberCountsAsZero)
{
    writeBytes(records.path() / "tavrec.txt", "tanti\r\n");
    play(1);
    tavola.cmdExit_Click();
    EXPECT_EQ(scoreFile(), "1\r\n");
}

TEST_F(GameEndTest, SavedRecordShowsAtTheNextLaunch)
{
    play(2, "Zoë");
    tavola.cmdExit_Click();

    HeadlessForm nextForm;
    ScriptedDialogs nextDialogs;
    LocalRecordStore nextStore{directory};
    Tavola next{nextForm, nextDialogs, random, clock, nextStore};
    nextDialogs.answerInputs({"Bea", "10"});
    random.script({0.0, 0.35, 0.45, 0.5});
    next.launch();
    EXPECT_EQ(nextForm.caption(Control::lblpunti), "2\r\n");
    EXPECT_EQ(nextForm.caption(Control::lblnome), "Zoë\r\n");
}

TEST_F(GameEndTest, ClockRunsDownAndTheTickAfterZeroEndsTheGame)
{
    clock.set(0, "07/12/2026 10:45:01");
    play(1);
    tick();
    EXPECT_EQ(caption(Control::lblconto), "00:14:59");
    tick(899);
    EXPECT_EQ(caption(Control::lblconto), "00:00:00");
    EXPECT_EQ(tavola.state().clock.secondsLeft.value(), 0);
    EXPECT_FALSE(form.exitStatus()) << "the tick that shows 00:00:00 does not end the game";
    tick();
    EXPECT_EQ(form.exitStatus(), 0);
    EXPECT_EQ(caption(Control::lblconto), "00:00:00");
    const auto& farewell = dialogs.shown()[3];
    EXPECT_EQ(farewell.prompt, "Ciao a presto. Ore 0");
    EXPECT_EQ(farewell.title, "Data 07/12/2026 10:45:01");
    EXPECT_THAT(promptsAfterStart(), ElementsAre("Ciao a presto. Ore 0", timeUpPraise));
    EXPECT_EQ(scoreFile(), "1\r\n");
}

TEST_F(GameEndTest, TimeUpAlwaysSaysGoodbyeEvenWithoutARecord)
{
    writeBytes(records.path() / "tavrec.txt", "50\r\n");
    play(0);
    tick(901);
    EXPECT_THAT(promptsAfterStart(), ElementsAre("Ciao a presto. Ore 0"));
    EXPECT_EQ(scoreFile(), "50\r\n");
    EXPECT_EQ(form.exitStatus(), 0);
}

TEST_F(GameEndTest, TheEndIsEnteredOnceWhateverArrivesDuringItsDialogs)
{
    play(1);
    tick(900);
    dialogs.whileOpen("Ciao a presto", [&] {
        tick(5);
        tavola.cmdExit_Click();
        int key = '5';
        tavola.txtAnswer_KeyPress(key);
        EXPECT_EQ(key, 0);
        tavola.cmdNext_Click();
        tavola.Next_Click();
    });
    tick();
    EXPECT_THAT(promptsAfterStart(), ElementsAre("Ciao a presto. Ore 0", timeUpPraise));
    EXPECT_FALSE(form.timerEnabled());
}

TEST_F(GameEndTest, TimeUpWhileTheNewGameQuestionIsOpenEndsTheGameOnce)
{
    play(1);
    tick(900);
    dialogs.whileOpen("INIZIAMO", [&] { tick(); });
    dialogs.answerYesNo(true);
    tavola.Next_Click();
    EXPECT_THAT(promptsAfterStart(),
                ElementsAre("INIZIAMO UNA NUOVA GARA  ?", "Ciao a presto. Ore 0", timeUpPraise));
    EXPECT_EQ(form.loads(), 1) << "no new game after the end";
    EXPECT_EQ(scoreFile(), "1\r\n");
}

TEST_F(GameEndTest, TimeUpWhileTheCongratulationIsOpenDoesNotEndItAgain)
{
    play(1);
    tick(899);
    dialogs.whileOpen(exitPraise, [&] { tick(3); });
    tavola.cmdExit_Click();
    EXPECT_THAT(promptsAfterStart(), ElementsAre(exitPraise));
}

TEST_F(GameEndTest, AnUnwritableRecordIsFatalAndKeepsTheOldOne)
{
    writeBytes(records.path() / "tavrec.txt", "0\r\n");
    play(1);
    std::filesystem::remove(records.path() / "tavrec.txt");
    std::filesystem::create_directory(records.path() / "tavrec.txt");
    EXPECT_THROW(tavola.cmdExit_Click(), FatalError);
    EXPECT_EQ(nameFile(), "") << "the name file is not written after the score file failed";
}

TEST_F(GameEndTest, ADirectoryThatTurnedReadOnlyIsFatalAtTheEndAndKeepsTheOldRecord)
{
    writeBytes(records.path() / "tavrec.txt", "0\r\n");
    writeBytes(records.path() / "ntavrec.txt", "Bruno\r\n");
    play(1);
    std::filesystem::permissions(records.path(), std::filesystem::perms(0755));
    if (::geteuid() != 0)
        std::filesystem::permissions(records.path(), std::filesystem::perms(0555));

    const int status = inChildProcess(
        [&] {
            try {
                tavola.cmdExit_Click();
            } catch (const FatalError& error) {
                return std::string(error.what()).find(records.path().string()) != std::string::npos
                           ? 3
                           : 4;
            }
            return 0;
        },
        true);
    EXPECT_EQ(status, 3) << "a fatal error naming the path";
    EXPECT_EQ(scoreFile(), "0\r\n");
    EXPECT_EQ(nameFile(), "Bruno\r\n");
}

TEST_F(GameEndTest, TheSavedNameIsOneLineNoLongerThanTheNameBoxTakes)
{
    play(1, "Anna\r\nBruno");
    EXPECT_EQ(dialogs.shown()[0].maxLength, 50u) << "the name box takes about 50 characters";
    tavola.cmdExit_Click();
    EXPECT_EQ(nameFile(), "AnnaBruno\r\n");
}
