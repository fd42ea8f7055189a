// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/game_fixture.h"

using ::testing::ElementsAre;

TEST_F(GameTest, NewGameAfterNoKeepsTheGameAfterYesAsksTheLimitTwiceAndNeverAfterTheEnd)
{
    haveRecord("4\r\n", "");
    start();
    answer("12");
    nextQuestion();
    answer("13");
    tick(30);
    dialogs.answerYesNo(false);
    tavola.Next_Click();
    const auto& question = dialogs.shown().back();
    EXPECT_EQ(question.kind, ScriptedDialogs::Kind::YesNo);
    EXPECT_EQ(question.prompt, "INIZIAMO UNA NUOVA GARA  ?");
    EXPECT_EQ(question.title, "INIZIARE NUOVA GARA");
    EXPECT_EQ(scores(), "1 1 2");
    EXPECT_EQ(caption(Control::lblconto), "00:14:30");
    EXPECT_TRUE(form.timerEnabled());
    EXPECT_EQ(form.loads(), 1);

    form.setDisplayState(DisplayState::Minimised);
    tavola.Form_Resize();
    form.setDisplayState(DisplayState::Maximised);
    writeBytes(records.path() / "ntavrec.txt", "Carla\r\n");
    // A cancelled limit here means 10, but the one asked again at the reload counts.
    dialogs.answerYesNo(true);
    dialogs.answerInputs({"", "Marco", "6"});
    random.script({0.0, 0.9, 0.45, 0.5});
    tavola.Next_Click();
    EXPECT_THAT(promptsAfterStart(),
                ElementsAre("INIZIAMO UNA NUOVA GARA  ?", "INIZIAMO UNA NUOVA GARA  ?",
                            "Tavola pitagorica fino al numero? ",
                            " Anna siccome non hai scelto arriviamo fino al 10.", "Come ti chiami?",
                            " Marco vediamo se sei un vero campione  ",
                            "Tavola pitagorica fino al numero? "));
    EXPECT_EQ(form.loads(), 2);
    EXPECT_EQ(caption(Control::lblNum1), "5") << "first question of the new game, limit 6";
    EXPECT_EQ(form.windowCaption(), "Gioca con la tavola pitagorica");
    EXPECT_EQ(caption(Control::lblconto), "00:15:00");
    EXPECT_EQ(caption(Control::lblpunti), "4\r\n");
    EXPECT_EQ(caption(Control::lblnome), "Carla\r\n");
    EXPECT_EQ(caption(Control::lblnome1), "Marco");
    answer("1");
    EXPECT_EQ(scores(), "0 1 1") << "old scores do not leak into the new game";

    // Time up while the question is open ends the game, and no new game follows.
    tick(900);
    dialogs.whileOpen("INIZIAMO", [&] { tick(); });
    dialogs.answerYesNo(true);
    tavola.Next_Click();
    const auto prompts = promptsAfterStart();
    EXPECT_THAT(std::vector(prompts.end() - 2, prompts.end()),
                ElementsAre("INIZIAMO UNA NUOVA GARA  ?", "Ciao a presto. Ore 0"));
    EXPECT_EQ(form.loads(), 2);
}
