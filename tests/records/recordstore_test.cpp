// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/textfile.h"
#include "records/keeper.h"
#include "records/keeperrecordstore.h"
#include "records/recordfolder.h"
#include "records/store_contract.h"
#include "support/child_process.h"
#include "support/game_fixture.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <regex>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>

namespace fs = std::filesystem;

// Another game is another process here: a POSIX lock holds only between processes.
struct PosixKind {
    static inline const std::string nicolo = "Nicol\xC3\xB2";
    static inline const std::string leftover = "ntavrec.txt.a1B2c3";
    static inline const std::set<std::string> files{"ntavrec.txt", "ntavrec.txt.new", "tavrec.lock",
                                                    "tavrec.txt", "tavrec.txt.new"};
    virtual fs::path folder() const = 0;
    virtual std::unique_ptr<RecordStore> game() = 0;

    // A reader's lock: a save must wait for it as for a writer's.
    auto holdLock() const
    {
        return std::make_unique<LockHolder>(folder() / "tavrec.lock", F_RDLCK);
    }
    // The mark is the lock file's content: a file made at install, not by the save.
    void markCommitted() const { writeBytes(folder() / "tavrec.lock", "1"); }
    bool committed() const { return fs::file_size(folder() / "tavrec.lock") > 0; }
    // A record file without write permission; the keeper of the tests runs as root, which
    // only the missing bits stop (an ordinary user's keeper meets a mode it can't write
    // through in scripts/shared-record-test.sh).
    void freeze() const { fs::permissions(folder() / "tavrec.txt", fs::perms(0444)); }

    struct Saving {
        pid_t game;
        void end(bool kill)
        {
            if (kill) ::kill(game, SIGKILL);
            ::waitpid(game, nullptr, 0);
        }
        // A game tries a held lock again and again, asleep in between (or the keeper it
        // runs does): the only sleep on its way to a save. Gone, it saved without the lock.
        bool waitsForTheLockOrIsGone() const
        {
            siginfo_t info{};
            if (::waitid(P_PID, game, &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
                info.si_pid == game)
                return true;
            for (const pid_t process : withChildren(game))
                if (const long call = blockedIn(process);
                    call == SYS_clock_nanosleep || call == SYS_nanosleep)
                    return true;
            return false;
        }
    };
    Saving startSaving(const std::string& score, const std::string& name)
    {
        const pid_t child = ::fork();
        if (child == 0) {
            game()->saveIfBeaten(score, name);
            ::_exit(0);
        }
        return {child};
    }
};

// The player's own record, kept by the game in-process; on the build tree's disk, as the
// kills hit other moments there than on tmpfs.
struct LocalKind : PosixKind {
    explicit LocalKind(const fs::path& base = MOLTIPLIX_TEST_DISK_DIR) : dir(base) {}
    fs::path folder() const override { return dir.path(); }
    std::unique_ptr<RecordStore> game() override
    {
        auto store = std::make_unique<LocalRecordStore>(directory);
        store->locate();
        return store;
    }
    TempDir dir;
    FixedDirectory directory{dir.path().string()};
};
// Missing or read-only, /dev/shm fails the test by name: the disk would be no tmpfs.
struct TmpfsKind : LocalKind {
    TmpfsKind() : LocalKind("/dev/shm") {}
};

// The machine-wide record through a keeper built for the tests, whose directory is in the
// build tree; made as the package does at install, since a game's keeper only reads.
struct KeeperKind : PosixKind {
    KeeperKind()
    {
        fs::remove_all(folder());
        fs::create_directories(folder());
        EXPECT_EQ(std::system(MOLTIPLIX_TEST_KEEPER " create"), 0);
    }
    fs::path folder() const override { return MOLTIPLIX_TEST_SHARED_DIR; }
    std::unique_ptr<RecordStore> game() override
    {
        auto store =
            std::make_unique<KeeperRecordStore>(MOLTIPLIX_TEST_KEEPER, folder().string(), fallback);
        EXPECT_EQ(store->locate(), folder().string());
        return store;
    }
    TempDir own;
    FixedDirectory ownDirectory{own.path().string()};
    LocalRecordStore fallback{ownDirectory};
};

INSTANTIATE_TYPED_TEST_SUITE_P(Local, StoreContract, LocalKind);
INSTANTIATE_TYPED_TEST_SUITE_P(Keeper, StoreContract, KeeperKind);
INSTANTIATE_TYPED_TEST_SUITE_P(Local, KilledSave, LocalKind);
INSTANTIATE_TYPED_TEST_SUITE_P(Tmpfs, KilledSave, TmpfsKind);

using KeeperRecord = StoreContract<KeeperKind>;
using OwnRecord = StoreContract<LocalKind>;

// Anyone could plant files in such a directory, a commit mark among them; its sticky bit
// only keeps them from removing what others made.
TEST_F(KeeperRecord, ADirectoryAnyoneMayWriteIsRefusedStickyOrNot)
{
    kind.game()->open();
    for (const auto mode : {fs::perms(01777), fs::perms(0777), fs::perms(0773)}) {
        fs::permissions(kind.folder(), mode);
        EXPECT_THAT(fatalMessage([&] { RecordFolder(kind.folder().string(), 0600, 0600); }),
                    ::testing::HasSubstr(kind.folder().string()));
        const int status = std::system(MOLTIPLIX_TEST_KEEPER " read >/dev/null 2>&1");
        EXPECT_EQ(WEXITSTATUS(status), keeper::failed) << static_cast<int>(mode);
    }
    fs::permissions(kind.folder(), fs::perms(0755));
}

// An old keeper always wrote the spares before its mark file: a mark over spares that hold
// no score was planted (in a directory someone made writable by all), and finishing it
// would wipe the record.
TEST_F(KeeperRecord, AnOldMarkOverSparesWithoutAScoreIsDroppedNotFinished)
{
    const auto game = kind.game();
    game->open();
    ASSERT_EQ(game->saveIfBeaten("8", "Bea"), SaveOutcome::Saved);
    for (const std::string spare : {"", "tanti\r\n", "-1\r\n"}) {
        put("tavrec.txt.new", spare);
        put("ntavrec.txt.new", "");
        put("tavrec.commit", "");
        EXPECT_EQ(readByANewGame(), "8\r\nBea\r\n") << spare;
        EXPECT_FALSE(fs::exists(at("tavrec.commit"))) << spare;
    }
}

// What a save does, as the kernel sees it: both spares flushed before the mark is set in
// the lock file, the records written only after it, and no file made, so that no file in
// the shared directory is ever the player's who ran the keeper: rewritten in place, the
// records stay readable by every player.
TEST_F(KeeperRecord, ASaveFlushesItsSparesBeforeTheMarkAndMakesNoFile)
{
    kind.game()->open();
    TempDir traced;
    const std::string log = traced.file("strace.log");
    const std::string command =
        // LeakSanitizer can't run under ptrace; the sanitizers' other checks still do.
        "ASAN_OPTIONS=detect_leaks=0 strace -f -y -qq -o " + log +
        " -e trace=%file,%desc " MOLTIPLIX_TEST_KEEPER " save 7 Eva";
    ASSERT_EQ(std::system(command.c_str()), 0) << "strace is installed by scripts/install-deps.sh";
    ASSERT_EQ(onDisk(), "7\r\nEva\r\n");
    for (const std::string record : {"tavrec.txt", "ntavrec.txt"})
        EXPECT_EQ(fs::status(at(record)).permissions(), fs::perms(0664)) << record;
    std::ifstream calls(log);
    const std::string dir = kind.folder().string() + "/";
    const auto on = [&](const std::string& file) {
        return std::regex(R"((\w+)\(\d+<)" + dir + file + R"(>(.*))");
    };
    std::vector<std::string> order;
    for (std::string call; std::getline(calls, call);) {
        call.erase(0, call.find_first_not_of("0123456789 ")); // the process id, padded
        EXPECT_EQ(call.find("O_CREAT"), call.npos) << call;
        for (const std::string syscall : {"rename", "link", "mkdir", "mknod", "unlink"})
            EXPECT_NE(call.rfind(syscall, 0), 0u) << call;
        for (const std::string file :
             {"tavrec.txt.new", "ntavrec.txt.new", "tavrec.lock", "tavrec.txt", "ntavrec.txt"}) {
            std::smatch match;
            if (!std::regex_match(call, match, on(file))) continue;
            const std::string syscall = match[1];
            if (syscall == "fsync" || syscall == "fdatasync") order.push_back("flush " + file);
            if (syscall == "pwrite64" || syscall == "write") order.push_back("write " + file);
        }
    }
    const auto at = [&order](const std::string& what) {
        return std::find(order.begin(), order.end(), what) - order.begin();
    };
    const auto mark = at("write tavrec.lock");
    ASSERT_LT(mark, std::ssize(order)) << "no mark set";
    for (const std::string spare : {"tavrec.txt.new", "ntavrec.txt.new"}) {
        EXPECT_LT(at("write " + spare), at("flush " + spare)) << spare;
        EXPECT_LT(at("flush " + spare), mark) << spare << " not flushed before the mark";
    }
    for (const std::string record : {"tavrec.txt", "ntavrec.txt"}) {
        EXPECT_GT(at("write " + record), mark) << record << " written before the mark";
        EXPECT_LT(at("flush " + record), std::ssize(order)) << record;
    }
}

// The record files are read only as far as a record can reach: a file of some GiB (a
// sparse one costs no disk) is read in moments, not whole.
TEST_F(KeeperRecord, AHugeRecordFileIsReadOnlyAsFarAsItsCap)
{
    kind.game()->open();
    for (const std::string file : {"tavrec.txt", "ntavrec.txt"})
        fs::resize_file(at(file), std::uintmax_t{64} << 30);
    const StoredRecord record = kind.game()->open();
    EXPECT_EQ(record.score.size(), 65536u);
    EXPECT_EQ(record.name.size(), 65536u);
}

TEST_F(OwnRecord, NewFilesAndTheDirectoryAreThePlayersAlone)
{
    const mode_t old = ::umask(0);
    FirstWritableDirectory own({kind.dir.file("share/moltiplix")});
    LocalRecordStore fresh{own};
    fresh.open();
    fresh.saveIfBeaten("4", "Eva");
    ::umask(old);
    EXPECT_EQ(fs::status(at("share/moltiplix")).permissions(), fs::perms(0700));
    for (const auto& entry : fs::directory_iterator(at("share/moltiplix")))
        EXPECT_EQ(entry.status().permissions(), fs::perms(0600)) << entry.path();
}

// Each could lead the game to read, or write, a file not its own.
TEST_F(OwnRecord, NothingButItsOwnPlainFilesIsReadOrFollowed)
{
    TempDir elsewhere;
    const fs::path secret = elsewhere.path() / "secret", name = at("ntavrec.txt");
    writeBytes(secret, "password\r\n");
    const std::function<void()> bad[] = {
        [&] { fs::create_symlink(secret, name); }, [&] { fs::create_hard_link(secret, name); },
        [&] { ASSERT_EQ(::mkfifo(name.c_str(), 0600), 0); },
        [&] {
            writeBytes(name, "x"); // only root can give a file away
            ASSERT_EQ(::chown(name.c_str(), 65534, 65534), 0);
        }};
    for (std::size_t i = 0; i < std::size(bad) - (::geteuid() == 0 ? 0 : 1); ++i) {
        SCOPED_TRACE(i);
        bad[i]();
        const std::string message = fatalMessage([&] { kind.game()->open(); });
        EXPECT_THAT(message, ::testing::HasSubstr(name.string()));
        EXPECT_THAT(message, ::testing::Not(::testing::HasSubstr("password")));
        fs::remove(name);
    }
    EXPECT_EQ(readBytes(secret), "password\r\n");
}

// A record file its owner may not write, though it keeps a write bit for others, is frozen
// as one without any: only a player meets it (root writes through any mode), so the
// record is saved by "nobody" here.
TEST(OwnRecordFile, AFileThePlayerMayNotWriteIsFrozenWhateverBitsItKeeps)
{
    TempDir dir;
    ASSERT_EQ(::chown(dir.path().c_str(), 65534, 65534), 0);
    const int status = inChildProcess(
        [&] {
            FixedDirectory own(dir.path().string());
            LocalRecordStore store(own);
            store.open();
            if (store.saveIfBeaten("5", "Bea") != SaveOutcome::Saved) return 1;
            fs::permissions(dir.path() / "tavrec.txt", fs::perms(0460));
            const std::string message = fatalMessage([&] {
                if (store.saveIfBeaten("9", "Eva") != SaveOutcome::NotSaved) ::_exit(2);
            });
            if (!message.empty()) return 3;
            return readBytes(dir.path() / "tavrec.txt") == "5\r\n" ? 0 : 4;
        },
        true);
    EXPECT_EQ(status, 0);
}

// A full disk: nothing is saved, and nothing is lost (a frozen record is the contract's).
TEST_F(OwnRecord, AFullDiskIsAnErrorNamingTheFolderAndChangesNothing)
{
    const auto game = kind.game();
    game->open();
    ASSERT_EQ(game->saveIfBeaten("5", "Bea"), SaveOutcome::Saved);
    const int status = inChildProcess([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit twoBytes{2, 2}; // writing more fails as on a full disk
        ::setrlimit(RLIMIT_FSIZE, &twoBytes);
        const auto message = fatalMessage([&] { game->saveIfBeaten("12345", "Eva"); });
        return message.find(kind.dir.path().string()) == std::string::npos ? 1 : 0;
    });
    EXPECT_EQ(status, 0) << "a full disk is an error naming the folder";
    EXPECT_EQ(readByANewGame(), "5\r\nBea\r\n");
}
