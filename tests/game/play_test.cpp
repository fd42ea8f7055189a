// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/game_fixture.h"

#include <set>

namespace {
constexpr Rgb black{0, 0, 0};
}

TEST_F(GameTest, FirstQuestionIsPosedOnceWhenTheWindowIsShown)
{
    start("Anna", "10", {0.0, 0.35, 0.45, 0.5});
    EXPECT_EQ(random.remaining(), 0u);
    EXPECT_EQ(random.seeds().size(), 1u);
    EXPECT_EQ(caption(Control::lblNum1), "3");
    EXPECT_EQ(caption(Control::lblNum2), "4");
    EXPECT_EQ(tavola.state().expectedAnswer.value(), 12);
    EXPECT_FALSE(form.enabled(Control::cmdNext));
    EXPECT_EQ(form.focus(), Control::txtAnswer);
}

TEST_F(GameTest, QuestionPaintsTheTintedGradientOverTheWholeScale)
{
    start("Anna", "10", {14.5 / 15, 0.35, 0.45, 0.5});
    ASSERT_TRUE(form.drawing());
    EXPECT_EQ(*form.drawing(), DrawingSettings{});
    const auto& boxes = form.painted();
    ASSERT_EQ(boxes.size(), 256u);
    EXPECT_EQ(boxes.front().color, (Rgb{140, 140, 0}));
    EXPECT_EQ(boxes.back().color, (Rgb{140, 140, 255}));
    EXPECT_EQ(boxes.front().y1, 0);
    EXPECT_EQ(boxes.back().y2, 512);
    for (std::size_t i = 1; i < boxes.size(); ++i)
        ASSERT_EQ(boxes[i].y1, boxes[i - 1].y2);
    EXPECT_EQ(boxes.front().x2, form.windowWidthTwips());
}

TEST_F(GameTest, FirstTintIsTheSameAtEveryLaunchAndFactorsFollowTheClock)
{
    clock.set(45296.789, "");
    start();
    ASSERT_EQ(random.seeds().size(), 1u);
    EXPECT_DOUBLE_EQ(random.seeds()[0], 45296.789);

    // Launches at different times of day, each with a generator fresh from its fixed state.
    std::set<int> firstTints;
    std::set<std::string> firstQuestions;
    for (double time : {1.0, 2.5, 30000.25, 86399.9}) {
        HeadlessForm launchForm;
        ScriptedDialogs launchDialogs;
        SeededRandom fresh;
        FakeClock at;
        at.set(time, "");
        Tavola game(launchForm, launchDialogs, fresh, at, store);
        launchDialogs.answerInputs({"Anna", "10"});
        game.launch();
        firstTints.insert(launchForm.painted().front().color.red);
        firstQuestions.insert(launchForm.caption(Control::lblNum1) + "x" +
                              launchForm.caption(Control::lblNum2));
    }
    EXPECT_EQ(firstTints.size(), 1u) << "the shade is drawn before the re-seed";
    EXPECT_GT(firstQuestions.size(), 1u);
}

TEST_F(GameTest, RightAnswerCountsAndPraisesThePlayer)
{
    start("Anna");
    answer("12");
    EXPECT_EQ(caption(Control::lblMessage), "Esatto! Anna sei forte!");
    EXPECT_EQ(caption(Control::lblScore), "1");
    EXPECT_EQ(caption(Control::lblScore1), "0");
    EXPECT_EQ(caption(Control::lblScore2), "1");
    EXPECT_FALSE(form.backColor());
    EXPECT_EQ(form.painted().size(), 256u) << "a right answer keeps the gradient";
    EXPECT_TRUE(form.enabled(Control::cmdNext));
    EXPECT_EQ(form.focus(), Control::cmdNext);
}

TEST_F(GameTest, WrongAnswerShowsTheProductAndTurnsTheWindowBlack)
{
    start("Anna");
    answer("13");
    EXPECT_EQ(caption(Control::lblMessage), "Sbagliato!! 12");
    EXPECT_EQ(caption(Control::lblScore), "0");
    EXPECT_EQ(caption(Control::lblScore1), "1");
    EXPECT_EQ(caption(Control::lblScore2), "1");
    EXPECT_EQ(form.backColor(), black);
    EXPECT_TRUE(form.painted().empty());
    EXPECT_EQ(form.focus(), Control::cmdNext);
}

TEST_F(GameTest, KeyFilterLetsOnlyDigitsBackspaceAndEnterThrough)
{
    start();
    for (int key : std::initializer_list<int>{'0', '5', '9', 8}) {
        int k = key;
        tavola.txtAnswer_KeyPress(k);
        EXPECT_EQ(k, key);
    }
    for (int key :
         std::initializer_list<int>{'a', 'Z', '-', '.', ' ', ',', '+', 3, 22, 24, 1, 27, 0xE8}) {
        int k = key;
        tavola.txtAnswer_KeyPress(k);
        EXPECT_EQ(k, 0) << "key " << key;
    }
    EXPECT_EQ(caption(Control::lblScore2), "0") << "no key but Enter scores";
    answer("1x2");
    EXPECT_EQ(caption(Control::lblMessage), "Esatto! Anna sei forte!");
}

TEST_F(GameTest, EnterOnAnEmptyBoxScoresZero)
{
    start();
    answer("");
    EXPECT_EQ(caption(Control::lblMessage), "Sbagliato!! 12");
    nextQuestion({0.0, 0.35, 0.05, 0.95});
    EXPECT_EQ(caption(Control::lblNum2), "0");
    EXPECT_EQ(tavola.state().expectedAnswer.value(), 0);
    answer("");
    EXPECT_EQ(caption(Control::lblMessage), "Esatto! Anna sei forte!");
}

TEST_F(GameTest, WrongCountLabelChangesOnlyOnWrongAnswers)
{
    start();
    answer("13");
    form.setCaption(Control::lblScore1, "marker");
    nextQuestion({0.0, 0.35, 0.45, 0.5});
    answer("12");
    EXPECT_EQ(caption(Control::lblScore1), "marker");
    EXPECT_EQ(caption(Control::lblScore2), "2");
}

TEST_F(GameTest, NextQuestionClearsTheAnswerAndMessageAndRepaints)
{
    start();
    answer("13");
    nextQuestion({0.5, 0.85, 0.25, 0.0});
    EXPECT_EQ(form.answerText(), "");
    EXPECT_EQ(caption(Control::lblMessage), "");
    EXPECT_FALSE(form.enabled(Control::cmdNext));
    EXPECT_EQ(form.focus(), Control::txtAnswer);
    EXPECT_EQ(form.painted().size(), 256u);
    EXPECT_EQ(form.painted().front().color, (Rgb{70, 70, 0}));
    EXPECT_EQ(tavola.state().expectedAnswer.value(), 16);
    EXPECT_EQ(form.backColor(), black) << "the background colour itself stays black";
}

TEST_F(GameTest, ScoringTwiceCountsTwice)
{
    start();
    answer("12");
    int enter = 13;
    tavola.txtAnswer_KeyPress(enter);
    EXPECT_EQ(caption(Control::lblScore), "2");
}

TEST_F(GameTest, CountersStopAtTheTopOfTheRange)
{
    start();
    for (int i = 0; i < 32768; ++i) {
        int enter = 13;
        tavola.txtAnswer_KeyPress(enter);
    }
    EXPECT_EQ(caption(Control::lblScore1), "32767");
    EXPECT_EQ(caption(Control::lblScore2), "32767");
    form.setAnswerText("12");
    int enter = 13;
    tavola.txtAnswer_KeyPress(enter);
    EXPECT_EQ(caption(Control::lblScore), "1");
    EXPECT_EQ(caption(Control::lblScore2), "32767");
}

TEST_F(GameTest, PastedAnswersScoreByTheirRoundedValueAndNeverFail)
{
    // Question 2 x 1: the expected answer is 2.
    start("Anna", "10", {0.0, 0.25, 0.15, 0.0});
    ASSERT_EQ(tavola.state().expectedAnswer.value(), 2);
    const std::pair<const char*, bool> pasted[] = {
        {"2.5", true},   {"1.5", true},   {"3.5", false}, {"1E5", false},  {"-1", false},
        {"&H7F", false}, {" ", false},    {"  2 ", true}, {"&H2", true},   {"2E0", true},
        {"0002", true},  {"1E99", false}, {"2.4", true},  {"0.2E1", true},
    };
    for (auto [text, right] : pasted) {
        nextQuestion({0.0, 0.25, 0.15, 0.0});
        form.setAnswerText(text);
        answer("");
        EXPECT_EQ(caption(Control::lblMessage), right ? "Esatto! Anna sei forte!" : "Sbagliato!! 2")
            << text;
    }
}
