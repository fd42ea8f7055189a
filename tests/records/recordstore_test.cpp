// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/textfile.h"
#include "records/keeperrecordstore.h"
#include "records/store_contract.h"
#include "support/child_process.h"
#include "support/game_fixture.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
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

    std::shared_ptr<FileDescriptor> holdLock() const
    {
        auto held =
            std::make_shared<FileDescriptor>(::open((folder() / "tavrec.lock").c_str(), O_RDWR));
        struct flock whole {};
        whole.l_type = F_WRLCK;
        EXPECT_EQ(::fcntl(held->get(), F_SETLK, &whole), 0);
        return held;
    }

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

// Rewritten in place: a new file would be the keeper's alone, and no player could read it.
TEST_F(KeeperRecord, StaysReadableByEveryPlayerAfterASave)
{
    kind.game()->open();
    ASSERT_TRUE(kind.game()->saveIfBeaten("3", "Bea"));
    EXPECT_EQ(fs::status(at("tavrec.txt")).permissions(), fs::perms(0664));
    EXPECT_EQ(fs::status(at("ntavrec.txt")).permissions(), fs::perms(0664));
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

// A record file frozen read-only, or a full disk: nothing is saved, and nothing is lost.
TEST_F(OwnRecord, AFileThatCannotBeWrittenChangesNothing)
{
    const auto game = kind.game();
    game->open();
    ASSERT_TRUE(game->saveIfBeaten("5", "Bea"));
    fs::permissions(at("tavrec.txt"), fs::perms(0444));
    EXPECT_FALSE(game->saveIfBeaten("9", "Eva"));
    EXPECT_EQ(fs::status(at("tavrec.txt")).permissions(), fs::perms(0444));
    fs::permissions(at("tavrec.txt"), fs::perms(0600));
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
