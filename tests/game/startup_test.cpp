// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/recordfiles.h"
#include "support/game_fixture.h"

using ::testing::ElementsAre;

namespace {
constexpr const char* limitPrompt = "Tavola pitagorica fino al numero? ";
}

TEST_F(GameTest, StartUpAsksNameAndLimitWithTheTimerStoppedAndCreatesTheRecordFiles)
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
    EXPECT_EQ(caption(Control::lblconto), "00:15:00");
    EXPECT_TRUE(form.timerEnabled());
    EXPECT_TRUE(form.visible());
    EXPECT_EQ(form.windowCaption(), "Gioca con la tavola pitagorica");

    for (const char* file : {"tavrec.txt", "ntavrec.txt"})
        EXPECT_EQ(std::filesystem::file_size(records.path() / file), 0u) << file;
    EXPECT_EQ(caption(Control::lblpunti), "");
    EXPECT_EQ(caption(Control::lblnome), "");
    EXPECT_EQ(tavola.state().recordDir, records.path().string() + records::separator);
}

TEST_F(GameTest, NoNameLeavesTwoBlanksAndLimitsAreAskedAgainUntilPlayableOrNone)
{
    // The name was written by an old Windows machine, in its code page.
    haveRecord("12\r\n", "Nicol\xF2\r\n");
    start({"", "1", "99999999", "&HFFFF", "3642", "-5", "abc", std::string(10000, '7'),
           std::string(10000, 'x'), ""});
    std::vector<std::string> expected = {"Come ti chiami?", "  vediamo se sei un vero campione  "};
    for (int refused = 0; refused < 8; ++refused)
        expected.insert(expected.end(), {limitPrompt, "Scegli un numero da 2 a 3641."});
    expected.insert(expected.end(),
                    {limitPrompt, "  siccome non hai scelto arriviamo fino al 10."});
    EXPECT_EQ(dialogs.prompts(), expected);
    EXPECT_EQ(caption(Control::lblnome1), "");
    EXPECT_EQ(tavola.state().limitText, "10");
    EXPECT_EQ(tavola.state().tableLimit.value(), 10);
    answer("12");
    EXPECT_EQ(caption(Control::lblMessage), "Esatto!  sei forte!");
    EXPECT_EQ(caption(Control::lblpunti), "12\r\n");
    EXPECT_EQ(caption(Control::lblnome), "Nicolò\r\n");
    EXPECT_EQ(scoreFile(), "12\r\n");
    EXPECT_EQ(nameFile(), "Nicol\xF2\r\n");
}
