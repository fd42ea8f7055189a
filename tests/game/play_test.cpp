// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/game_fixture.h"

#include <cctype>
#include <set>

namespace {
constexpr Rgb black{0, 0, 0};
constexpr const char* praise = "Esatto! Anna sei forte!";
} // namespace

TEST_F(GameTest, FirstTintIsTheSameAtEveryLaunchAndFactorsFollowTheClock)
{
    clock.set(45296.789, "");
    start();
    EXPECT_THAT(random.seeds(), ::testing::ElementsAre(45296.789));

    // Launches at different times of day, each with a generator fresh from its fixed state.
    std::set<int> firstTints;
    std::set<std::string> firstQuestions;
    for (double time : {1.0, 2.5, 30000.25, 86399.9}) {
        HeadlessForm launchForm;
        ScriptedDialogs launchDialogs;
        SeededRandom fresh;
        clock.set(time, "");
        Tavola game(launchForm, launchDialogs, fresh, clock, store);
        launchDialogs.answerInputs({"Anna", "10"});
        game.launch();
        firstTints.insert(launchForm.painted().front().color.red);
        firstQuestions.insert(launchForm.caption(Control::lblNum1) + "x" +
                              launchForm.caption(Control::lblNum2));
    }
    EXPECT_EQ(firstTints.size(), 1u) << "the shade is drawn before the re-seed";
    EXPECT_GT(firstQuestions.size(), 1u);
}

TEST_F(GameTest, QuestionsAreFilteredScoredAndPaintedOverAWholeGame)
{
    start({"Anna", "10"}, {14.5 / 15, 0.35, 0.45, 0.5});
    EXPECT_EQ(caption(Control::lblNum1) + " x " + caption(Control::lblNum2), "3 x 4");
    EXPECT_FALSE(form.enabled(Control::cmdNext));
    EXPECT_EQ(form.focus(), Control::txtAnswer);
    // A screen reader hears the question as the box's name, the factors in the order shown.
    EXPECT_EQ(form.spokenName(Control::txtAnswer), "Risultato: quanto fa 3 per 4?");
    EXPECT_EQ(form.spokenName(Control::lblconto), "Tempo restante: 00:15:00");
    EXPECT_EQ(form.drawing(), (DrawingSettings{true, 6, 13, 2, 512}));
    // 256 stripes two units high, olive at the top to light blue at the bottom.
    ASSERT_EQ(form.painted().size(), 256u);
    for (int i = 0; i < 256; ++i) {
        const auto& box = form.painted()[static_cast<std::size_t>(i)];
        ASSERT_EQ(std::tie(box.x1, box.y1, box.x2, box.y2),
                  std::tuple(0, 2 * i, form.windowWidthTwips(), 2 * i + 2));
        ASSERT_EQ(box.color, (Rgb{140, 140, i})) << "stripe " << i;
    }

    // Only digits and Backspace reach the box.
    const int keys[] = {'0', '5', '9', 8, 'a', 'Z', '-', '.', ' ',
                        ',', '+', 1,   3, 10,  22,  24,  27,  0xE8};
    for (int key : keys) {
        int filtered = key;
        tavola.txtAnswer_KeyPress(filtered);
        EXPECT_EQ(filtered, std::isdigit(key) || key == 8 ? key : 0) << "key " << key;
    }
    EXPECT_EQ(scores(), "0 0 0") << "no key but Enter scores";
    answer("1x2");
    EXPECT_EQ(caption(Control::lblMessage), praise);
    EXPECT_EQ(scores(), "1 0 1");
    // ...and the verdict with the counts as the description of "Nuovo calcolo".
    EXPECT_EQ(form.spokenDescription(Control::cmdNext),
              "Esatto! Anna sei forte! Risposte esatte 1, Risposte errate 0, Risposte totali 1.");
    EXPECT_FALSE(form.backColor());
    EXPECT_EQ(form.painted().size(), 256u) << "a right answer keeps the gradient";
    EXPECT_TRUE(form.enabled(Control::cmdNext));
    EXPECT_EQ(form.focus(), Control::cmdNext);
    // Enter again on the scored text counts again; the wrong count is left alone.
    form.setCaption(Control::lblScore1, "marker");
    answer("");
    EXPECT_EQ(scores(), "2 marker 2");

    nextQuestion({0.5, 0.85, 0.25, 0.0});
    EXPECT_EQ(form.answerText(), "");
    EXPECT_EQ(caption(Control::lblMessage), "");
    EXPECT_FALSE(form.enabled(Control::cmdNext));
    EXPECT_EQ(form.focus(), Control::txtAnswer);
    EXPECT_EQ(form.painted().back().color, (Rgb{70, 70, 255}));
    EXPECT_EQ(form.spokenName(Control::txtAnswer), "Risultato: quanto fa " +
                                                       caption(Control::lblNum1) + " per " +
                                                       caption(Control::lblNum2) + "?");
    answer("17");
    EXPECT_EQ(caption(Control::lblMessage), "Sbagliato!! 16");
    EXPECT_EQ(scores(), "2 1 3");
    EXPECT_EQ(form.spokenDescription(Control::cmdNext),
              "Sbagliato!! 16. Risposte esatte 2, Risposte errate 1, Risposte totali 3.");
    EXPECT_EQ(form.backColor(), black);
    EXPECT_TRUE(form.painted().empty());
    EXPECT_EQ(form.focus(), Control::cmdNext);

    // An empty box scores 0: right only when the second factor is 0.
    nextQuestion({0.0, 0.35, 0.05, 0.95});
    EXPECT_EQ(caption(Control::lblNum2), "0");
    EXPECT_EQ(form.painted().size(), 256u);
    EXPECT_EQ(form.backColor(), black) << "the background colour itself stays black";
    answer("");
    EXPECT_EQ(caption(Control::lblMessage), praise);
    nextQuestion();
    answer("");
    EXPECT_EQ(caption(Control::lblMessage), "Sbagliato!! 12");
    for (int i = 0; i < 32768; ++i)
        answer("");
    EXPECT_EQ(scores(), "3 32767 32767") << "counters stop at the top of the range";
    form.setAnswerText("012");
    answer("");
    EXPECT_EQ(scores(), "4 32767 32767");

    // Pasted text is scored by its rounded value, and nothing pasted fails the game.
    const std::pair<const char*, bool> pasted[] = {
        {"12.5", true},  {"11.5", true},  {"13.5", false}, {"1E5", false}, {"-12", false},
        {"&H7F", false}, {" ", false},    {" 12 ", true},  {"&HC", true},  {"12E0", true},
        {"0012", true},  {"1E99", false}, {"12.4", true},  {"12D0", true},
    };
    for (auto [text, right] : pasted) {
        nextQuestion();
        form.setAnswerText(text);
        answer("");
        EXPECT_EQ(caption(Control::lblMessage), right ? praise : "Sbagliato!! 12") << text;
    }
}
