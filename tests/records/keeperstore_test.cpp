// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/keeper.h"
#include "records/keeperrecordstore.h"
#include "records/recordfiles.h"
#include "support/child_process.h"
#include "support/game_fixture.h"

#include <fstream>

namespace fs = std::filesystem;

namespace {

std::string utf8(char32_t code)
{
    std::string out;
    const auto byte = [&out](char32_t bits) { out += static_cast<char>(bits); };
    if (code < 0x80) {
        byte(code);
    } else if (code < 0x800) {
        byte(0xC0 | code >> 6), byte(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        byte(0xE0 | code >> 12), byte(0x80 | (code >> 6 & 0x3F)), byte(0x80 | (code & 0x3F));
    } else {
        byte(0xF0 | code >> 18), byte(0x80 | (code >> 12 & 0x3F));
        byte(0x80 | (code >> 6 & 0x3F)), byte(0x80 | (code & 0x3F));
    }
    return out;
}

} // namespace

// No keeper installed (the game run from its build folder), or one that fails: the
// record is the player's own, said once on standard error, and at each game's start in a
// notice when a keeper is installed; as an ordinary user (root in a child is nobody).
TEST(KeeperStore, FallsBackToThePlayersOwnRecordAndSaysSoOnce)
{
    TempDir dir;
    fs::permissions(dir.path(), fs::perms(0777));
    const std::string failing = dir.file("failing");
    writeBytes(failing, "#!/bin/sh\necho rotto >&2\nexit 3\n");
    fs::permissions(failing, fs::perms(0755));
    for (const std::string& keeper : {std::string("/nonexistent/moltiplix-record"), failing}) {
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
                if (notices != (keeper == failing ? 2 : 0)) return 4;
                const bool saved = store.saveIfBeaten("4", "Eva") == SaveOutcome::Saved &&
                                   store.saveIfBeaten("5", "Eva") == SaveOutcome::Saved;
                const std::string said = testing::internal::GetCapturedStderr();
                if (located != own.string() + "/" && keeper != failing) return 1;
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

// Every character the system's Unicode database puts in categories Cc, Cf, Zl or Zp is
// dropped from a name by the game and refused by the keeper; a sample of the rest is kept.
TEST(Keeper, NamesLoseWhatTheUnicodeDatabaseCallsControlFormatOrSeparator)
{
    std::ifstream database("/usr/share/unicode/UnicodeData.txt");
    ASSERT_TRUE(database) << "scripts/install-deps.sh installs unicode-data";
    int dropped = 0, kept = 0, line = 0;
    for (std::string entry; std::getline(database, entry); ++line) {
        // Code point; name; general category; ...
        const auto first = entry.find(';'), second = entry.find(';', first + 1);
        const auto code = static_cast<char32_t>(std::stoul(entry.substr(0, first), nullptr, 16));
        const std::string category = entry.substr(second + 1, 2);
        if (category == "Cs") continue; // surrogates have no UTF-8
        const std::string name = "a" + utf8(code) + "b";
        const bool refused = !keeper::parseArguments({"save", "1", name});
        if (category == "Cc" || category == "Cf" || category == "Zl" || category == "Zp") {
            ++dropped;
            EXPECT_EQ(records::savableName(name), "ab")
                << std::hex << static_cast<std::uint32_t>(code);
            EXPECT_TRUE(refused) << std::hex << static_cast<std::uint32_t>(code);
        } else if (line % 5 == 0) {
            ++kept;
            EXPECT_EQ(records::savableName(name), name)
                << std::hex << static_cast<std::uint32_t>(code);
            EXPECT_FALSE(refused) << std::hex << static_cast<std::uint32_t>(code);
        }
    }
    EXPECT_GT(dropped, 200) << "65 controls and some 170 format characters";
    EXPECT_GT(kept, 5000);
    EXPECT_EQ(records::savableName("\u200B"), "") << "an invisible name is no name";
}
