// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/fatalerror.h"
#include "support/child_process.h"
#include "support/game_fixture.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

// The player's own record, kept by the game in-process.
class OwnRecord : public ::testing::Test {
protected:
    std::string file(const char* name) const { return dir.file(name); }
    StoredRecord openFresh()
    {
        LocalRecordStore fresh{directory};
        fresh.locate();
        return fresh.open();
    }

    TempDir dir;
    FixedDirectory directory{dir.path().string()};
    LocalRecordStore store{directory};
};

TEST_F(OwnRecord, TwoGamesAtOnceNeverReplaceABetterRecordWithAWorseOne)
{
    LocalRecordStore alice{directory};
    alice.locate();
    EXPECT_EQ(alice.open().score, "");
    store.locate();
    store.open();
    EXPECT_TRUE(store.saveIfBeaten("2", "Bruno"));
    EXPECT_FALSE(alice.saveIfBeaten("1", "Alice")) << "Alice read no record at her start";
    EXPECT_EQ(readBytes(dir.path() / "tavrec.txt"), "2\r\n");
    EXPECT_EQ(readBytes(dir.path() / "ntavrec.txt"), "Bruno\r\n");
    EXPECT_TRUE(alice.saveIfBeaten("3", "Alice\r\nx"));
    EXPECT_EQ(readBytes(dir.path() / "ntavrec.txt"), "Alicex\r\n") << "no line break saved";
}

TEST_F(OwnRecord, NewFilesAndTheDirectoryAreThePlayersAlone)
{
    const mode_t old = ::umask(0);
    FirstWritableDirectory own({dir.file("share/moltiplix")});
    LocalRecordStore fresh{own};
    fresh.locate();
    fresh.open();
    fresh.saveIfBeaten("4", "Eva");
    ::umask(old);
    EXPECT_EQ(fs::status(dir.path() / "share/moltiplix").permissions(), fs::perms(0700));
    for (const auto& entry : fs::directory_iterator(dir.path() / "share/moltiplix"))
        EXPECT_EQ(entry.status().permissions(), fs::perms(0600)) << entry.path();
}

TEST_F(OwnRecord, LinksAndThingsThatAreNotPlainFilesAreNeverReadOrFollowed)
{
    TempDir elsewhere;
    writeBytes(elsewhere.path() / "secret", "password\r\n");
    fs::create_symlink(elsewhere.path() / "secret", dir.path() / "ntavrec.txt");
    try {
        openFresh();
        ADD_FAILURE() << "a link at the name file was followed";
    } catch (const FatalError& e) {
        EXPECT_EQ(std::string(e.what()).find("password"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find(file("ntavrec.txt")), std::string::npos);
    }
    fs::remove(dir.path() / "ntavrec.txt");
    ASSERT_EQ(::mkfifo(file("ntavrec.txt").c_str(), 0600), 0);
    EXPECT_THROW(openFresh(), FatalError) << "and it never hangs";
    EXPECT_EQ(readBytes(elsewhere.path() / "secret"), "password\r\n");
}

TEST_F(OwnRecord, AReadOnlyRecordFileIsNeverReplaced)
{
    store.locate();
    store.open();
    writeBytes(dir.path() / "tavrec.txt", "3\r\n");
    fs::permissions(dir.path() / "tavrec.txt", fs::perms(0444));
    EXPECT_FALSE(store.saveIfBeaten("9", "Eva"));
    EXPECT_EQ(readBytes(dir.path() / "tavrec.txt"), "3\r\n");
    EXPECT_EQ(readBytes(dir.path() / "ntavrec.txt"), "");
    EXPECT_EQ(fs::status(dir.path() / "tavrec.txt").permissions(), fs::perms(0444));
}

// Files a killed save left: those of a save killed after its commit are finished, the
// rest forgotten; temporaries of earlier versions are removed.
TEST_F(OwnRecord, WhatAKilledSaveLeftIsFinishedOrForgottenUnderTheLock)
{
    store.locate();
    store.open();
    writeBytes(dir.path() / "tavrec.txt", "3\r\n");
    writeBytes(dir.path() / "ntavrec.txt", "Bea\r\n");
    writeBytes(dir.path() / "tavrec.txt.new", "7\r\n");
    writeBytes(dir.path() / "ntavrec.txt.new", "Eva\r\n");
    writeBytes(dir.path() / "ntavrec.txt.a1B2c3", "Old\r\n");
    EXPECT_EQ(openFresh().name, "Bea\r\n") << "no commit mark: the old pair stands";
    EXPECT_FALSE(fs::exists(dir.path() / "ntavrec.txt.a1B2c3"));

    writeBytes(dir.path() / "tavrec.txt", "7\r\n"); // killed between the two files
    writeBytes(dir.path() / "tavrec.commit", "");
    const StoredRecord finished = openFresh();
    EXPECT_EQ(finished.score, "7\r\n");
    EXPECT_EQ(finished.name, "Eva\r\n");
    EXPECT_FALSE(fs::exists(dir.path() / "tavrec.commit"));
}

TEST_F(OwnRecord, AFullDiskChangesNothingAndNamesThePath)
{
    store.locate();
    store.open();
    ASSERT_TRUE(store.saveIfBeaten("5", "Bea"));
    const int status = inChildProcess([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit twoBytes{2, 2}; // writing more fails as on a full disk
        ::setrlimit(RLIMIT_FSIZE, &twoBytes);
        try {
            store.saveIfBeaten("12345", "Eva");
        } catch (const FatalError& e) {
            return std::string(e.what()).find(dir.path().string()) != std::string::npos ? 3 : 4;
        }
        return 0;
    });
    EXPECT_EQ(status, 3);
    const StoredRecord kept = openFresh();
    EXPECT_EQ(kept.score, "5\r\n");
    EXPECT_EQ(kept.name, "Bea\r\n");
}

// Many games end at once, as on a school's machines: the best of them is the record.
TEST_F(OwnRecord, RacingSavesAlwaysKeepTheBetterRecord)
{
    store.locate();
    store.open();
    constexpr int rounds = 40;
    for (int round = 0; round < rounds; ++round) {
        const int base = round * 10;
        std::vector<pid_t> games;
        for (int g = 1; g <= 4; ++g) {
            const pid_t child = ::fork();
            if (child == 0) {
                try {
                    LocalRecordStore mine{directory};
                    mine.locate();
                    mine.saveIfBeaten(std::to_string(base + g), "G" + std::to_string(g));
                } catch (...) {
                    ::_exit(1);
                }
                ::_exit(0);
            }
            games.push_back(child);
        }
        for (pid_t child : games) {
            int status = 0;
            ::waitpid(child, &status, 0);
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "round " << round;
        }
        const StoredRecord record = openFresh();
        ASSERT_EQ(record.score, std::to_string(base + 4) + "\r\n") << "round " << round;
        ASSERT_EQ(record.name, "G4\r\n") << "round " << round;
    }
}
