// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/game_fixture.h"

using ::testing::ElementsAre;

TEST_F(GameTest, AnsweringNoLeavesTheGameAsItWas)
{
    start();
    answer("12");
    tick(5);
    dialogs.answerYesNo(false);
    tavola.Next_Click();
    const auto& question = dialogs.shown().back();
    EXPECT_EQ(question.kind, ScriptedDialogs::Kind::YesNo);
    EXPECT_EQ(question.prompt, "INIZIAMO UNA NUOVA GARA  ?");
    EXPECT_EQ(question.title, "INIZIARE NUOVA GARA");
    EXPECT_EQ(caption(Control::lblScore), "1");
    EXPECT_EQ(caption(Control::lblconto), "00:14:55");
    EXPECT_TRUE(form.timerEnabled());
    EXPECT_EQ(form.loads(), 1);
}

TEST_F(GameTest, YesAsksTheLimitTwiceAndTheSecondAnswerCounts)
{
    writeBytes(records.path() / "tavrec.txt", "4\r\n");
    start("Anna", "10");
    answer("12");
    tick(30);
    form.setDisplayState(DisplayState::Minimised);
    tavola.Form_Resize();
    form.setDisplayState(DisplayState::Maximised);
    writeBytes(records.path() / "ntavrec.txt", "Carla\r\n");

    dialogs.answerYesNo(true);
    dialogs.answerInputs({"5", "Marco", "6"});
    random.script({0.0, 0.9, 0.45, 0.5});
    tavola.Next_Click();

    auto all = dialogs.prompts();
    EXPECT_THAT(std::vector<std::string>(all.begin() + 3, all.end()),
                ElementsAre("INIZIAMO UNA NUOVA GARA  ?", "Tavola pitagorica fino al numero? ",
                            "Come ti chiami?", " Marco vediamo se sei un vero campione  ",
                            "Tavola pitagorica fino al numero? "));
    EXPECT_EQ(form.loads(), 2);
    EXPECT_EQ(tavola.state().tableLimit.value(), 6);
    EXPECT_EQ(tavola.state().playerName, "Marco");
    EXPECT_EQ(form.windowCaption(), "Gioca con la tavola pitagorica");
    EXPECT_EQ(caption(Control::lblScore), "0");
    EXPECT_EQ(caption(Control::lblScore2), "0");
    EXPECT_EQ(caption(Control::lblconto), "00:15:00");
    EXPECT_EQ(caption(Control::lblpunti), "4\r\n");
    EXPECT_EQ(caption(Control::lblnome), "Carla\r\n");
    EXPECT_EQ(caption(Control::lblnome1), "Marco");
    EXPECT_EQ(caption(Control::lblNum1), "5") << "first question of the new game, limit 6";
    EXPECT_TRUE(form.timerEnabled());
    EXPECT_EQ(random.remaining(), 0u);
}

TEST_F(GameTest, CancelledLimitInTheNewGameShowsTheMessageThenTheStartUp)
{
    start("Anna");
    dialogs.answerYesNo(true);
    dialogs.answerInputs({"", "Anna", "4"});
    random.script({0.0, 0.5, 0.45, 0.5});
    tavola.Next_Click();
    auto all = dialogs.prompts();
    EXPECT_THAT(std::vector<std::string>(all.begin() + 3, all.begin() + 7),
                ElementsAre("INIZIAMO UNA NUOVA GARA  ?", "Tavola pitagorica fino al numero? ",
                            " Anna siccome non hai scelto arriviamo fino al 10.",
                            "Come ti chiami?"));
    EXPECT_EQ(tavola.state().tableLimit.value(), 4);
}

TEST_F(GameTest, OldScoresDoNotLeakIntoTheNewGame)
{
    start();
    answer("13");
    dialogs.answerYesNo(true);
    dialogs.answerInputs({"10", "Anna", "10"});
    random.script({0.0, 0.35, 0.45, 0.5});
    tavola.Next_Click();
    answer("1");
    EXPECT_EQ(caption(Control::lblScore1), "1");
    EXPECT_EQ(caption(Control::lblScore2), "1");
}
