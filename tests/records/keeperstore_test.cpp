// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/keeper.h"
#include "records/keeperrecordstore.h"
#include "support/child_process.h"
#include "support/game_fixture.h"

namespace fs = std::filesystem;

// No keeper installed (the game run from its build folder), or one that fails: the
// record is the player's own, said once, as an ordinary user (root in a child is nobody).
TEST(KeeperStore, FallsBackToThePlayersOwnRecordAndSaysSoOnce)
{
    TempDir dir;
    fs::permissions(dir.path(), fs::perms(0777));
    for (const std::string keeper : {"/nonexistent/moltiplix-record", "/bin/false"}) {
        const int status = inChildProcess(
            [&] {
                const fs::path own = dir.path() / "own";
                fs::remove_all(own);
                fs::create_directory(own);
                FixedDirectory ownDirectory(own.string());
                LocalRecordStore fallback(ownDirectory);
                int notices = 0;
                KeeperRecordStore store(keeper, dir.file("shared"), fallback,
                                        [&notices](const std::string&) { ++notices; });
                testing::internal::CaptureStderr();
                const std::string located = store.locate();
                store.open();
                store.locate();
                store.open(); // a new game
                // Shown only when a keeper is installed: no player runs a build folder's game.
                if (notices != (keeper == "/bin/false" ? 1 : 0)) return 4;
                const bool saved = store.saveIfBeaten("4", "Eva") == SaveOutcome::Saved &&
                                   store.saveIfBeaten("5", "Eva") == SaveOutcome::Saved;
                const std::string said = testing::internal::GetCapturedStderr();
                if (located != own.string() + "/" && keeper != "/bin/false") return 1;
                if (!saved || readBytes(own / "tavrec.txt") != "5\r\n") return 2;
                const auto told = said.find("moltiplix:");
                return told == said.npos || said.find("moltiplix:", told + 1) != said.npos ? 3 : 0;
            },
            true);
        EXPECT_EQ(status, 0) << keeper;
    }
}

TEST(Keeper, RefusesEveryArgumentThatIsNotAPlainScoreAndName)
{
    using Arguments = std::vector<std::string_view>;
    const auto parses = [](const Arguments& arguments) {
        return keeper::parseArguments(arguments).has_value();
    };
    const Arguments forms[] = {
        {}, {"save"}, {"save", "1"}, {"save", "1", "a", "b"}, {"read", "x"}, {"Save", "1", "a"}};
    for (std::size_t i = 0; i < std::size(forms); ++i)
        EXPECT_FALSE(parses(forms[i])) << "form " << i;
    for (const char* score : {"", "-1", "+1", " 1", "1e3", "32768", "999999", "&H10"})
        EXPECT_FALSE(parses({"save", score, "a"})) << score;
    std::string fiftyAccented;
    for (int i = 0; i < 50; ++i)
        fiftyAccented += "è";
    using namespace std::string_literals;
    for (const std::string& name : {"An\x0D\x0Ana"s, "A\tna"s, "A\x7F"s, "A\xC2\x85"s, "Nicol\xF2"s,
                                    std::string(51, 'a'), "A\0b"s})
        EXPECT_FALSE(parses({"save", "1", name})) << name;
    for (const Arguments& good :
         {Arguments{"create"}, Arguments{"read"}, Arguments{"save", "0", ""},
          Arguments{"save", "32767", "Zoë"}, Arguments{"save", "1", fiftyAccented}})
        EXPECT_TRUE(parses(good)) << good[0];
}
