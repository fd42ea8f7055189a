// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/game_fixture.h"

using ::testing::ElementsAre;

namespace {
constexpr const char* limitPrompt = "Tavola pitagorica fino al numero? ";
}

TEST_F(GameTest, StartUpAsksNameAndLimitInOrderAndShowsTheWindow)
{
    start("Luca", "7");
    EXPECT_THAT(
        dialogs.prompts(),
        ElementsAre("Come ti chiami?", " Luca vediamo se sei un vero campione  ", limitPrompt));
    for (const auto& shown : dialogs.shown())
        EXPECT_EQ(shown.title, "Moltiplix");
    EXPECT_EQ(tavola.state().playerName, "Luca");
    EXPECT_EQ(tavola.state().tableLimit.value(), 7);
    EXPECT_EQ(caption(Control::lblnome1), "Luca");
    EXPECT_EQ(caption(Control::lblconto), "00:15:00");
    EXPECT_EQ(tavola.state().clock.secondsLeft.value(), 900);
    EXPECT_TRUE(form.timerEnabled());
    EXPECT_TRUE(form.visible());
    EXPECT_EQ(form.windowCaption(), "Gioca con la tavola pitagorica");
}

TEST_F(GameTest, TheTimerIsStoppedWhileTheStartUpDialogsAreOpen)
{
    bool timerDuringDialog = true;
    dialogs.whileOpen("Come ti chiami?", [&] { timerDuringDialog = form.timerEnabled(); });
    start();
    EXPECT_FALSE(timerDuringDialog);
}

TEST_F(GameTest, CancelledNameLeavesTwoBlanksInTheGreetingAndThePraise)
{
    start("", "10");
    EXPECT_EQ(dialogs.prompts()[1], "  vediamo se sei un vero campione  ");
    EXPECT_EQ(caption(Control::lblnome1), "");
    answer("12");
    EXPECT_EQ(caption(Control::lblMessage), "Esatto!  sei forte!");
}

TEST_F(GameTest, NoLimitMeansTenWithAMessage)
{
    start("Anna", "");
    EXPECT_THAT(dialogs.prompts(),
                ElementsAre("Come ti chiami?", " Anna vediamo se sei un vero campione  ",
                            limitPrompt, " Anna siccome non hai scelto arriviamo fino al 10."));
    EXPECT_EQ(tavola.state().limitText, "10");
    EXPECT_EQ(tavola.state().tableLimit.value(), 10);
}

TEST_F(GameTest, TypedLimitIsRoundedDown)
{
    start("Anna", "12.7");
    EXPECT_EQ(tavola.state().tableLimit.value(), 12);
    EXPECT_EQ(tavola.state().limitText, "12.7");
}

TEST_F(GameTest, UnplayableLimitsAreRefusedAndAskedAgain)
{
    dialogs.answerInputs({"Anna", "1", "99999999", "&HFFFF", "3642", "3641"});
    random.script({0.0, 0.5, 0.5, 0.5});
    tavola.launch();
    const auto prompts = dialogs.prompts();
    ASSERT_EQ(prompts.size(), 2u + 5 * 2 - 1);
    for (std::size_t i = 2; i < prompts.size(); i += 2)
        EXPECT_EQ(prompts[i], limitPrompt);
    for (std::size_t i = 3; i < prompts.size(); i += 2)
        EXPECT_EQ(prompts[i], "Scegli un numero da 2 a 3641.");
    EXPECT_EQ(tavola.state().tableLimit.value(), 3641);
}

TEST_F(GameTest, MissingRecordFilesAreCreatedEmptyAndShownBlank)
{
    start();
    EXPECT_TRUE(std::filesystem::exists(records.path() / "tavrec.txt"));
    EXPECT_TRUE(std::filesystem::exists(records.path() / "ntavrec.txt"));
    EXPECT_EQ(scoreFile(), "");
    EXPECT_EQ(nameFile(), "");
    EXPECT_EQ(caption(Control::lblpunti), "");
    EXPECT_EQ(caption(Control::lblnome), "");
    EXPECT_EQ(tavola.state().recordDir, records.path().string() + "/");
}

TEST_F(GameTest, ExistingRecordFilesAreShownRawAndNeverTruncated)
{
    writeBytes(records.path() / "tavrec.txt", "12\r\n");
    writeBytes(records.path() / "ntavrec.txt", "Giulia\r\n");
    start();
    EXPECT_EQ(caption(Control::lblpunti), "12\r\n");
    EXPECT_EQ(caption(Control::lblnome), "Giulia\r\n");
    EXPECT_EQ(scoreFile(), "12\r\n");
    EXPECT_EQ(nameFile(), "Giulia\r\n");
}

TEST_F(GameTest, NameWrittenOnAnOldWindowsMachineShowsItsAccents)
{
    writeBytes(records.path() / "ntavrec.txt", "Nicol\xF2\r\n");
    start();
    EXPECT_EQ(caption(Control::lblnome), "Nicolò\r\n");
}

TEST_F(GameTest, LimitsWithJunkAroundThemAndHugePastesAreHandled)
{
    dialogs.answerInputs({"Anna", std::string(10000, '7'), std::string(10000, 'x'), "  8abc"});
    random.script({0.0, 0.5, 0.5, 0.5});
    tavola.launch();
    EXPECT_EQ(tavola.state().tableLimit.value(), 8);
    EXPECT_EQ(dialogs.pendingInputs(), 0u);
}
