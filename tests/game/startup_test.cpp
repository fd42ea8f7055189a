// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/recordfiles.h"
#include "support/game_fixture.h"

using ::testing::ElementsAre;

namespace {
constexpr const char* limitPrompt = "Tavola pitagorica fino al numero? ";
constexpr const char* newGamePrompt = "INIZIAMO UNA NUOVA GARA  ?";
} // namespace

// A first launch with no record yet, "No" and then "Yes" to a new game, and the new game's
// time running out while it asks once more.
TEST_F(GameTest, EveryGameAsksNameAndLimitUntilPlayableAndNoNewGameFollowsTheEnd)
{
    std::vector<bool> timerWhileAsked;
    for (const char* prompt : {"Come ti chiami?", limitPrompt})
        dialogs.whileOpen(prompt, [&] { timerWhileAsked.push_back(form.timerEnabled()); });
    start({"Luca", "7.9"}, {0.0, 0.999, 0.45, 0.5});
    EXPECT_THAT(timerWhileAsked, ElementsAre(false, false));
    EXPECT_THAT(
        dialogs.prompts(),
        ElementsAre("Come ti chiami?", " Luca vediamo se sei un vero campione  ", limitPrompt));
    for (const auto& shown : dialogs.shown())
        EXPECT_EQ(shown.title, "Moltiplix");
    EXPECT_EQ(dialogs.shown()[0].maxLength, 50u) << "the name box takes about 50 characters";
    EXPECT_EQ(caption(Control::lblnome1), "Luca");
    EXPECT_EQ(caption(Control::lblNum1), "6") << "7.9 plays as 7: first factors 1 to 6";
    EXPECT_EQ(tavola.state().limitText, "7.9");
    EXPECT_TRUE(form.timerEnabled());
    EXPECT_TRUE(form.visible());
    EXPECT_EQ(form.windowCaption(), "Gioca con la tavola pitagorica");
    for (const char* file : {"tavrec.txt", "ntavrec.txt"})
        EXPECT_EQ(std::filesystem::file_size(records.path() / file), 0u) << file;
    EXPECT_EQ(caption(Control::lblpunti), "");
    EXPECT_EQ(caption(Control::lblnome), "");
    EXPECT_EQ(tavola.state().recordDir, records.path().string() + records::separator);

    answer("24");
    nextQuestion();
    answer("13");
    tick(30);
    dialogs.answerYesNo(false);
    tavola.Next_Click();
    const auto& question = dialogs.shown().back();
    EXPECT_EQ(question.kind, ScriptedDialogs::Kind::YesNo);
    EXPECT_EQ(question.prompt, newGamePrompt);
    EXPECT_EQ(question.title, "INIZIARE NUOVA GARA");
    EXPECT_EQ(scores(), "1 1 2");
    EXPECT_EQ(caption(Control::lblconto), "00:14:30");
    EXPECT_TRUE(form.timerEnabled());
    EXPECT_EQ(form.loads(), 1);

    form.setDisplayState(DisplayState::Minimised);
    tavola.Form_Resize();
    form.setDisplayState(DisplayState::Maximised);
    // Saved meanwhile by an old Windows machine, in its code page.
    haveRecord("12\r\n", "Nicol\xF2\r\n");
    // The limit asked before the reload does not count: the new game asks again, gets no
    // name, eight unplayable limits, and then none, which means 10.
    dialogs.answerYesNo(true);
    dialogs.answerInputs({"6", "", "1", "99999999", "&HFFFF", "3642", "-5", "abc",
                          std::string(10000, '7'), std::string(10000, 'x'), ""});
    random.script({0.0, 0.9, 0.45, 0.5});
    tavola.Next_Click();
    std::vector<std::string> expected = {newGamePrompt, newGamePrompt, limitPrompt,
                                         "Come ti chiami?", "  vediamo se sei un vero campione  "};
    for (int refused = 0; refused < 8; ++refused)
        expected.insert(expected.end(), {limitPrompt, "Scegli un numero da 2 a 3641."});
    expected.insert(expected.end(),
                    {limitPrompt, "  siccome non hai scelto arriviamo fino al 10."});
    EXPECT_EQ(promptsAfterStart(), expected);
    EXPECT_EQ(form.loads(), 2);
    EXPECT_EQ(caption(Control::lblNum1), "9") << "first question of the new game, limit 10";
    EXPECT_EQ(caption(Control::lblconto), "00:15:00");
    EXPECT_EQ(caption(Control::lblpunti), "12\r\n");
    EXPECT_EQ(caption(Control::lblnome), "Nicolò\r\n");
    EXPECT_EQ(caption(Control::lblnome1), "");
    answer("36");
    EXPECT_EQ(caption(Control::lblMessage), "Esatto!  sei forte!");
    EXPECT_EQ(scores(), "1 0 1") << "old scores do not leak into the new game";

    // Time up while the question is open ends the game, and no new game follows.
    tick(900);
    dialogs.whileOpen("INIZIAMO", [&] { tick(); });
    dialogs.answerYesNo(true);
    tavola.Next_Click();
    const auto prompts = promptsAfterStart();
    EXPECT_THAT(std::vector(prompts.end() - 2, prompts.end()),
                ElementsAre(newGamePrompt, "Ciao a presto. Ore 0"));
    EXPECT_EQ(form.loads(), 2);
    EXPECT_EQ(recordFiles(), "12\r\nNicol\xF2\r\n") << "a record from elsewhere is kept as it is";
}
