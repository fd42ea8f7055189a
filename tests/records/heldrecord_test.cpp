// SPDX-License-Identifier: GPL-3.0-or-later
// A record another program holds: the game waits a few seconds at most, showing that it
// waits, keeps a save it could not make for the next use, and never takes a keeper it
// had to stop, or that a signal ended, for one that saved.
#include "records/keeperrecordstore.h"
#include "records/pendingfolder.h"
#include "records/pendingrecordstore.h"
#include "support/child_process.h"
#include "support/fatal_message.h"
#include "support/game_fixture.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

const std::string heldNotice = "Il tuo record sarà salvato appena possibile.";

// Whether process pid holds a lock on the file with inode ino, as the kernel lists them.
bool holdsLock(pid_t pid, ino_t ino)
{
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string id, kind, advice, access, holder, file;
        fields >> id >> kind;
        if (kind == "->") continue; // waits for it
        fields >> advice >> access >> holder >> file;
        if (holder == std::to_string(pid) &&
            file.substr(file.rfind(':') + 1) == std::to_string(ino))
            return true;
    }
    return false;
}

// A keeper run stopped (SIGSTOP) while it holds the lock, as a pupil can stop a run of
// their own, which then outlives them: runs are stopped at random moments of the time one
// run takes here (a sanitized keeper starts far slower) until the kernel lists one as
// holding the lock.
class StoppedKeeper {
public:
    explicit StoppedKeeper(const fs::path& lockFile)
    {
        struct stat info {};
        EXPECT_EQ(::stat(lockFile.c_str(), &info), 0);
        using Clock = std::chrono::steady_clock;
        const auto started = Clock::now();
        ::waitpid(startReading(), nullptr, 0);
        std::uniform_int_distribution<Clock::rep> delay(0, (Clock::now() - started).count());
        std::mt19937 random(std::random_device{}());
        for (int tries = 0; tries < 20000 && !holding(); ++tries) {
            const pid_t run = startReading();
            const auto stopAt = Clock::now() + Clock::duration(delay(random));
            while (Clock::now() < stopAt)
                std::this_thread::yield();
            ::kill(run, SIGSTOP);
            int status = 0;
            ::waitpid(run, &status, WUNTRACED);
            if (WIFSTOPPED(status) && holdsLock(run, info.st_ino)) {
                pid_ = run;
            } else if (WIFSTOPPED(status)) {
                ::kill(run, SIGKILL);
                ::waitpid(run, nullptr, 0);
            }
        }
    }
    ~StoppedKeeper()
    {
        if (!holding()) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    bool holding() const { return pid_ > 0; }

private:
    static pid_t startReading()
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const char* argv[] = {MOLTIPLIX_TEST_KEEPER, "read", nullptr};
        pid_t run = -1;
        EXPECT_EQ(
            ::posix_spawn(&run, argv[0], &actions, nullptr, const_cast<char**>(argv), nullptr), 0);
        posix_spawn_file_actions_destroy(&actions);
        return run;
    }

    pid_t pid_ = -1;
};

} // namespace

// The player's own record, held by another of the player's games.
TEST(OwnRecordHeld, ASaveWaitsShowingItAndIsHeldBackOnlyPastThePatience)
{
    TempDir dir;
    FixedDirectory directory(dir.path().string());
    HeadlessForm form;
    LocalRecordStore store(directory, &form);
    store.open();
    ASSERT_EQ(store.saveIfBeaten("5", "Bea"), SaveOutcome::Saved);
    EXPECT_EQ(form.waits(), 0) << "a free lock is no wait";
    LockHolder reader(dir.path() / "tavrec.lock", F_RDLCK);
    EXPECT_EQ(store.saveIfBeaten("9", "Eva"), SaveOutcome::Held);
    EXPECT_EQ(form.waits(), 1);
    EXPECT_FALSE(form.waiting());
    EXPECT_EQ(readBytes(dir.path() / "tavrec.txt"), "5\r\n");
    EXPECT_THAT(fatalMessage([&] { store.open(); }), HasSubstr(dir.path().string()));
    // The wait ends as soon as the lock is free.
    int turns = 0;
    form.whileWaiting([&] {
        if (++turns == 3) reader.release();
    });
    EXPECT_EQ(store.saveIfBeaten("9", "Eva"), SaveOutcome::Saved);
    EXPECT_GE(turns, 3);
    EXPECT_FALSE(form.waiting());
    EXPECT_EQ(readBytes(dir.path() / "tavrec.txt") + readBytes(dir.path() / "ntavrec.txt"),
              "9\r\nEva\r\n");
}

// The game as it is wired: the shared record through the build's test keeper, the
// player's own record behind it, and saves held back kept in the player's folder.
class KeeperHeld : public GameTest {
protected:
    KeeperHeld()
    {
        fs::remove_all(shared());
        fs::create_directories(shared());
        EXPECT_EQ(std::system(MOLTIPLIX_TEST_KEEPER " create"), 0);
        storeInUse.use(decorated);
    }
    static fs::path shared() { return MOLTIPLIX_TEST_SHARED_DIR; }
    static void haveShared(const std::string& score, const std::string& name)
    {
        writeBytes(shared() / "tavrec.txt", score);
        writeBytes(shared() / "ntavrec.txt", name);
    }
    static std::string sharedFiles()
    {
        return readBytes(shared() / "tavrec.txt") + readBytes(shared() / "ntavrec.txt");
    }
    fs::path kept() const { return records.path() / "pending"; }
    std::string keptFiles() const
    {
        return readBytes(kept() / "tavrec.txt") + readBytes(kept() / "ntavrec.txt");
    }
    void tell(const std::string& notice)
    {
        notices.push_back(notice);
        dialogs.message(notice);
    }

    std::vector<std::string> notices;
    KeeperRecordStore keeperStore{MOLTIPLIX_TEST_KEEPER, shared().string(), store,
                                  [this](const std::string& notice) { tell(notice); }, &form};
    PendingFolder pending{directory, &form};
    PendingRecordStore decorated{keeperStore, pending};
};

TEST_F(KeeperHeld, AStoppedHolderCostsNoSaveAndTheNextStartLandsIt)
{
    haveShared("5\r\n", "Bea\r\n");
    auto holder = std::make_unique<StoppedKeeper>(shared() / "tavrec.lock");
    ASSERT_TRUE(holder->holding());
    // Ticks while the start waits and while its notice is open take no time from the game.
    form.whileWaiting([&] { tick(); });
    dialogs.whileOpen("Il record di questo computer", [&] { tick(12); });
    start();
    EXPECT_EQ(form.waits(), 1);
    EXPECT_FALSE(form.waiting());
    EXPECT_EQ(caption(Control::lblconto), "00:15:00");
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_THAT(notices[0], HasSubstr("occupato"));
    EXPECT_THAT(notices[0], HasSubstr("Il tuo record resta in " + records.path().string()));
    EXPECT_EQ(caption(Control::lblpunti), "") << "the player's own record, none yet";
    tick();
    EXPECT_EQ(caption(Control::lblconto), "00:14:59");
    for (int i = 0; i < 6; ++i) {
        answer("12");
        nextQuestion();
    }
    tavola.cmdExit_Click();
    EXPECT_EQ(form.exitStatus(), 0);
    EXPECT_EQ(form.waits(), 2);
    EXPECT_THAT(promptsAfterStart(), ElementsAre(notices[0], heldNotice)) << "and no praise";
    EXPECT_EQ(sharedFiles(), "5\r\nBea\r\n");
    EXPECT_EQ(keptFiles(), "6\r\nAnna\r\n");
    EXPECT_EQ(fs::status(kept()).permissions(), fs::perms(0700));
    for (const auto& entry : fs::directory_iterator(kept()))
        EXPECT_EQ(entry.status().permissions(), fs::perms(0600)) << entry.path();

    holder.reset(); // its owner, or root, ends it
    const StoredRecord next = decorated.open();
    EXPECT_EQ(next.score + next.name, "6\r\nAnna\r\n");
    EXPECT_EQ(sharedFiles(), "6\r\nAnna\r\n");
    EXPECT_EQ(keptFiles(), "");
    EXPECT_EQ(notices.size(), 1u);
}

TEST_F(KeeperHeld, AKeptSaveLandsOnlyWhileItStillBeatsTheRecordAndTheBestIsKept)
{
    pending.keep("7", "Eva");
    pending.keep("4", "Bea");
    pending.keep("7", "Ugo");
    EXPECT_EQ(keptFiles(), "7\r\nEva\r\n");
    haveShared("20\r\n", "Ugo\r\n");
    EXPECT_EQ(decorated.open().score, "20\r\n");
    EXPECT_EQ(sharedFiles(), "20\r\nUgo\r\n");
    EXPECT_EQ(keptFiles(), "") << "dropped once it no longer beats the record";

    pending.keep("7", "Eva");
    haveShared("3\r\n", "Ugo\r\n");
    EXPECT_EQ(decorated.saveIfBeaten("5", "Bea"), SaveOutcome::NotSaved) << "the kept 7 first";
    EXPECT_EQ(sharedFiles(), "7\r\nEva\r\n");
    EXPECT_EQ(keptFiles(), "");
    EXPECT_TRUE(notices.empty());
}

TEST_F(KeeperHeld, AKeeperThatDiesOrStopsIsNeverTakenForASave)
{
    TempDir fakes;
    const auto keeperThat = [&](const std::string& name, const std::string& does) {
        const fs::path script = fakes.path() / name;
        writeBytes(script, "#!/bin/sh\n" + does + "\n");
        fs::permissions(script, fs::perms(0755));
        return KeeperRecordStore(
            script.string(), shared().string(), store,
            [this](const std::string& notice) { tell(notice); }, &form);
    };
    auto savesThenDies = keeperThat("dies", MOLTIPLIX_TEST_KEEPER " \"$@\"\nkill -KILL $$");
    EXPECT_EQ(savesThenDies.saveIfBeaten("9", "Eva"), SaveOutcome::Held);
    EXPECT_EQ(sharedFiles(), "9\r\nEva\r\n") << "it did save, but nothing said so";
    EXPECT_EQ(keeperThat("held", "exit 4").saveIfBeaten("10", "Ugo"), SaveOutcome::Held);

    const std::string pid = fakes.file("pid");
    auto stops = keeperThat("stops", "echo $$ >" + pid + "\nkill -STOP $$");
    const int waitsBefore = form.waits();
    EXPECT_EQ(stops.saveIfBeaten("10", "Ugo"), SaveOutcome::Held);
    EXPECT_EQ(form.waits(), waitsBefore + 1);
    const pid_t stopped = std::stoi(readBytes(pid));
    EXPECT_NE(::kill(stopped, 0), 0) << "a keeper stopped past the patience is ended";
    EXPECT_EQ(stops.open().score, "") << "the player's own record";
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_THAT(notices[0], HasSubstr("Il tuo record resta in " + records.path().string()));
    EXPECT_EQ(sharedFiles(), "9\r\nEva\r\n");
}
