// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/child_process.h"
#include "support/fatal_message.h"
#include "support/game_fixture.h"

namespace {

const std::string praise = "Ok ho registrato il tuo record, C A M P I O N E";

// A stored score "" means no record files yet. A record saved meanwhile is one another
// game saved while this one was played.
struct RecordCase {
    const char* name;
    const char *storedScore, *storedName, *player;
    int right;
    const char *savedScore, *savedName;
    const char* savedMeanwhile = nullptr;
};

const RecordCase recordCases[] = {
    {"Beaten", "2\r\n", "Bruno\r\n", "Zoë", 3, "3\r\n", "Zoë\r\n"},
    {"Tied", "3\r\n", "Bruno\r\n", "Anna", 3, "3\r\n", "Bruno\r\n"},
    {"NoneAndNoScore", "", "", "Anna", 0, "", ""},
    {"NoneAndNoName", "", "", "", 1, "1\r\n", "\r\n"},
    {"NotANumber", "tanti\r\n", "Bruno\r\n", "Anna", 1, "1\r\n", "Anna\r\n"},
    {"NotBeaten", "50\r\n", "Bruno\r\n", "Anna", 0, "50\r\n", "Bruno\r\n"},
    // A pasted line break is not saved, nor what would cut (U+2028) or turn (U+202E) the
    // label's line; a name of nothing but a zero-width space is no name.
    {"LineBreakInName", "0\r\n", "Bruno\r\n", "Anna\r\nBruno", 1, "1\r\n", "AnnaBruno\r\n"},
    {"FormatCharactersInName", "0\r\n", "Bruno\r\n", "An\u2028na\u202EB\u2029runo", 1, "1\r\n",
     "AnnaBruno\r\n"},
    {"InvisibleName", "", "", "\u200B", 1, "1\r\n", "\r\n"},
    // The record shown at the start is beaten, the record as it is now is not: no praise.
    {"BetterSavedMeanwhile", "2\r\n", "Bruno\r\n", "Anna", 3, "50\r\n", "Ugo\r\n", "50\r\n"},
};

// Test names and failures show the case by its name, not its bytes.
void PrintTo(const RecordCase& c, std::ostream* out)
{
    *out << c.name;
}

} // namespace

// Every record case ends once by the exit button and once by running out of time.
class GameEnd : public GameTest,
                public ::testing::WithParamInterface<std::tuple<RecordCase, bool>> {};
using GameEndTest = GameTest;

TEST_P(GameEnd, OnlyABetterScoreIsSavedAndPraisedAndTheGameEndsOnce)
{
    const auto& [c, timeUp] = GetParam();
    if (*c.storedScore) haveRecord(c.storedScore, c.storedName);
    start({c.player, "10"});
    for (int i = 0; i < c.right; ++i) {
        answer("12");
        nextQuestion();
    }
    answer("1");
    if (c.savedMeanwhile) haveRecord(c.savedMeanwhile, c.savedName);
    const std::string recordBefore = c.savedMeanwhile ? c.savedMeanwhile : c.storedScore;
    // Whatever arrives while the end's dialogs are open finds the game already ending.
    const auto meanwhile = [&] {
        tick(3);
        tavola.cmdExit_Click();
        tavola.cmdNext_Click();
        tavola.Next_Click();
        int key = '5';
        tavola.txtAnswer_KeyPress(key);
        EXPECT_EQ(key, 0);
        answer("");
    };
    dialogs.whileOpen("Ciao", meanwhile);
    dialogs.whileOpen("Ok", meanwhile);
    if (timeUp) {
        tick(900);
        EXPECT_EQ(caption(Control::lblconto), "00:00:00");
        EXPECT_FALSE(form.exitStatus()) << "the tick that shows 00:00:00 does not end the game";
        tick();
    } else {
        tavola.cmdExit_Click();
    }
    EXPECT_EQ(form.exitStatus(), 0);
    EXPECT_EQ(caption(Control::lblconto), timeUp ? "00:00:00" : "00:15:00");

    std::vector<std::string> told;
    if (timeUp) told.push_back("Ciao a presto. Ore 0");
    if (c.savedScore != recordBefore) told.push_back(timeUp ? praise + '"' : praise);
    EXPECT_EQ(promptsAfterStart(), told);
    if (timeUp) {
        EXPECT_EQ(dialogs.shown()[3].title, "Data 07/12/2026 10:30:00");
    }
    EXPECT_EQ(recordFiles(), std::string(c.savedScore) + c.savedName);
    if (c.savedScore != recordBefore) {
        EXPECT_EQ(caption(Control::lblnome1) + "\r\n", c.savedName) << "shown as saved";
    }
}

std::string caseName(const ::testing::TestParamInfo<GameEnd::ParamType>& info)
{
    return std::string(std::get<0>(info.param).name) +
           (std::get<1>(info.param) ? "_TimeUp" : "_Exit");
}
INSTANTIATE_TEST_SUITE_P(, GameEnd,
                         ::testing::Combine(::testing::ValuesIn(recordCases), ::testing::Bool()),
                         caseName);

TEST_F(GameEndTest, AnUnwritableRecordIsFatalNamesThePathAndKeepsTheOldOne)
{
    haveRecord("0\r\n", "Bruno\r\n");
    start();
    answer("12");
    // The end runs in a child, so the game here stays open for the next try.
    const std::string path = records.path().string();
    const auto endsFatally = [&](bool asPlayer) {
        return inChildProcess(
            [&] {
                const auto message = fatalMessage([&] { tavola.cmdExit_Click(); });
                return message.empty() ? 0 : message.find(path) != message.npos ? 3 : 4;
            },
            asPlayer);
    };
    std::filesystem::permissions(records.path(), std::filesystem::perms(0755));
    std::filesystem::remove(records.path() / "tavrec.txt");
    std::filesystem::create_directory(records.path() / "tavrec.txt");
    EXPECT_EQ(endsFatally(false), 3) << "a directory where the score file was";
    EXPECT_EQ(readBytes(records.path() / "ntavrec.txt"), "Bruno\r\n");

    std::filesystem::remove(records.path() / "tavrec.txt");
    writeBytes(records.path() / "tavrec.txt", "0\r\n");
    if (::geteuid() != 0)
        std::filesystem::permissions(records.path(), std::filesystem::perms(0555));
    EXPECT_EQ(endsFatally(true), 3) << "a directory that turned read-only";
    EXPECT_EQ(recordFiles(), "0\r\nBruno\r\n");
}
