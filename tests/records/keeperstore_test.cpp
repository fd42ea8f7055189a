// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/fatalerror.h"
#include "records/keeper.h"
#include "records/keeperrecordstore.h"
#include "support/child_process.h"
#include "support/game_fixture.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// Runs fn with standard error going to a file, and returns what was written there.
template <typename Fn> std::string standardErrorOf(const fs::path& file, Fn fn)
{
    const int saved = ::dup(2);
    const int into = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(into, 2);
    ::close(into);
    fn();
    ::dup2(saved, 2);
    ::close(saved);
    return readBytes(file);
}

int count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

} // namespace

// No keeper installed (the game run from its build folder), or one that fails: the
// record is the player's own, said once, as an ordinary user (root in a child is nobody).
TEST(KeeperStore, FallsBackToThePlayersOwnRecordAndSaysSoOnce)
{
    TempDir dir;
    fs::permissions(dir.path(), fs::perms(0777));
    for (const char* keeper : {"/nonexistent/moltiplix-record", "/bin/false"}) {
        const int status = inChildProcess(
            [&] {
                const fs::path own = dir.path() / "own";
                fs::remove_all(own);
                FixedDirectory ownDirectory(own.string());
                fs::create_directory(own);
                LocalRecordStore fallback(ownDirectory);
                KeeperRecordStore store(keeper, dir.file("shared"), fallback);
                bool saved = false;
                std::string located;
                const std::string said = standardErrorOf(dir.path() / "stderr", [&] {
                    located = store.locate();
                    store.open();
                    saved = store.saveIfBeaten("4", "Eva");
                    store.saveIfBeaten("5", "Eva");
                });
                if (located != own.string() + "/" && std::string(keeper) != "/bin/false") return 1;
                if (!saved || readBytes(own / "tavrec.txt") != "5\r\n") return 2;
                if (count(said, "moltiplix:") != 1) return 3;
                return 0;
            },
            true);
        EXPECT_EQ(status, 0) << keeper;
    }
}

// A keeper built for the tests, whose machine-wide directory is in the build tree.
TEST(KeeperStore, SavesThroughTheKeeperOnlyWhenBeatenAndNeverHandsOverALineBreak)
{
    const fs::path shared = MOLTIPLIX_TEST_SHARED_DIR;
    fs::remove_all(shared);
    fs::create_directories(shared);
    // As the package does at install: the game's own runs of the keeper only read.
    ASSERT_EQ(std::system((std::string(MOLTIPLIX_TEST_KEEPER) + " create").c_str()), 0);
    TempDir own;
    FixedDirectory ownDirectory(own.path().string());
    LocalRecordStore fallback(ownDirectory);
    KeeperRecordStore store(MOLTIPLIX_TEST_KEEPER, shared.string(), fallback);
    EXPECT_EQ(store.locate(), shared.string());
    EXPECT_EQ(store.open().score, "");
    EXPECT_TRUE(store.saveIfBeaten("3", "Bea\r\ntrice"));
    EXPECT_FALSE(store.saveIfBeaten("3", "Eva"));
    EXPECT_FALSE(store.fellBack());
    EXPECT_EQ(readBytes(shared / "tavrec.txt"), "3\r\n");
    EXPECT_EQ(readBytes(shared / "ntavrec.txt"), "Beatrice\r\n");
    EXPECT_EQ(fs::status(shared / "tavrec.txt").permissions(), fs::perms(0664));

    LocalRecordStore again(ownDirectory);
    KeeperRecordStore next(MOLTIPLIX_TEST_KEEPER, shared.string(), again);
    next.locate();
    const StoredRecord record = next.open();
    EXPECT_EQ(record.score, "3\r\n");
    EXPECT_EQ(record.name, "Beatrice\r\n");

    fs::remove(shared / "ntavrec.txt");
    fs::create_directory(shared / "ntavrec.txt");
    EXPECT_THROW(next.saveIfBeaten("9", "Eva"), FatalError) << "the keeper's failure is fatal";
    EXPECT_EQ(readBytes(shared / "tavrec.txt"), "3\r\n");
}

TEST(Keeper, RefusesEveryArgumentThatIsNotAPlainScoreAndName)
{
    const std::string fiftyOne(51, 'a');
    std::string fiftyAccented;
    for (int i = 0; i < 50; ++i)
        fiftyAccented += "è";
    using Args = std::vector<std::string_view>;
    for (const Args& bad : {Args{},
                            Args{"save"},
                            Args{"save", "1"},
                            Args{"save", "1", "a", "b"},
                            Args{"read", "x"},
                            Args{"Save", "1", "a"},
                            Args{"save", "", "a"},
                            Args{"save", "-1", "a"},
                            Args{"save", "+1", "a"},
                            Args{"save", " 1", "a"},
                            Args{"save", "1e3", "a"},
                            Args{"save", "32768", "a"},
                            Args{"save", "999999", "a"},
                            Args{"save", "&H10", "a"},
                            Args{"save", "1", "An\r\nna"},
                            Args{"save", "1", "A\tna"},
                            Args{"save", "1", "A\x7F"},
                            Args{"save", "1", "A\xC2\x85"},
                            Args{"save", "1", "Nicol\xF2"},
                            Args{"save", "1", fiftyOne},
                            Args{"save", "1", std::string_view("A\0b", 3)}})
        EXPECT_FALSE(keeper::parseArguments(bad)) << (bad.size() > 2 ? bad[2] : "");
    for (const Args& good : {Args{"create"}, Args{"read"}, Args{"save", "0", ""},
                             Args{"save", "32767", "Zoë"}, Args{"save", "1", fiftyAccented}})
        EXPECT_TRUE(keeper::parseArguments(good)) << good[0];
}
