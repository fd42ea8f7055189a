// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/keeperrecordstore.h"

#include "base/fatalerror.h"
#include "platform/waitscope.h"
#include "records/keeper.h"
#include "records/recordfiles.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// What the keeper prints is two record texts at most, and a line of error.
constexpr std::size_t longestOutput = 2 * records::readLimit + 64;

struct Pipe {
    int ends[2] = {-1, -1};
    ~Pipe()
    {
        for (int fd : ends)
            if (fd >= 0) ::close(fd);
    }
    void closeEnd(int which)
    {
        ::close(ends[which]);
        ends[which] = -1;
    }
};

std::string lastLine(std::string text)
{
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

} // namespace

KeeperRecordStore::KeeperRecordStore(std::string keeper, std::string sharedDir,
                                     RecordStore& fallback,
                                     std::function<void(const std::string&)> notice,
                                     Waiting* waiting)
    : keeper_(std::move(keeper)), sharedDir_(std::move(sharedDir)), fallback_(fallback),
      notice_(std::move(notice)), waiting_(waiting)
{
}

void KeeperRecordStore::tell(const std::string& reason)
{
    if (told_) return;
    told_ = true;
    std::cerr << "moltiplix: il record condiviso non si può usare (" << reason
              << "): il record resta nella cartella di chi gioca.\n";
}

bool KeeperRecordStore::installed()
{
    if (::access(keeper_.c_str(), X_OK) == 0) return true;
    tell(keeper_ + ": " + std::strerror(errno));
    return false;
}

std::string KeeperRecordStore::locate()
{
    return installed() ? sharedDir_ : fallback_.locate();
}

StoredRecord KeeperRecordStore::open()
{
    startFellBack_ = true;
    if (!installed()) return fallback_.open();
    // Only root can make the files (the package does): a player's keeper just reads.
    Run run = runKeeper({"read"});
    if (run.status == keeper::done) {
        if (const auto record = keeper::decodeRecord(run.out)) {
            startFellBack_ = false;
            return *record;
        }
        run.err = keeper_ + ": risposta illeggibile";
    }
    tell(lastLine(run.err));
    if (notice_)
        notice_("Il record di questo computer non si può usare:\n" + lastLine(run.err) +
                "\n\nIl tuo record resta in " + fallback_.locate());
    return fallback_.open();
}

SaveOutcome KeeperRecordStore::saveIfBeaten(std::string_view score, std::string_view name)
{
    if (!installed()) return fallback_.saveIfBeaten(score, name);
    const Run run = runKeeper({"save", std::string(score), records::savableName(name)});
    if (run.unfinished || run.status == keeper::held) return SaveOutcome::Held;
    if (run.status == keeper::done) return SaveOutcome::Saved;
    if (run.status == keeper::notSaved) return SaveOutcome::NotSaved;
    // The game started on the player's own record: its save goes there too.
    if (startFellBack_) {
        tell(lastLine(run.err));
        return fallback_.saveIfBeaten(score, name);
    }
    throw FatalError(run.err.empty() ? "Impossibile salvare il record in " + sharedDir_
                                     : lastLine(run.err));
}

KeeperRecordStore::Run KeeperRecordStore::runKeeper(const std::vector<std::string>& arguments) const
{
    Pipe out;
    Pipe err;
    if (::pipe2(out.ends, O_CLOEXEC) != 0 || ::pipe2(err.ends, O_CLOEXEC) != 0)
        return {keeper::failed, {}, std::string("pipe: ") + std::strerror(errno)};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out.ends[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err.ends[1], 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::vector<char*> argv{const_cast<char*>(keeper_.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    char* noEnvironment[] = {nullptr};
    pid_t child = 0;
    const int spawned =
        ::posix_spawn(&child, keeper_.c_str(), &actions, nullptr, argv.data(), noEnvironment);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return {keeper::failed, {}, keeper_ + ": " + std::strerror(spawned)};
    out.closeEnd(1);
    err.closeEnd(1);

    using Clock = std::chrono::steady_clock;
    const auto giveUp = Clock::now() + std::chrono::milliseconds(keeperPatienceMilliseconds);
    WaitScope wait(waiting_);
    Run run{keeper::failed, {}, {}};
    pollfd watched[2] = {{out.ends[0], POLLIN, 0}, {err.ends[0], POLLIN, 0}};
    std::string* into[2] = {&run.out, &run.err};
    Pipe* pipes[2] = {&out, &err};
    int open = 2;
    int status = 0;
    pid_t waited = 0;
    // A keeper that stops (a signal, or a debugger) is not waited for past our patience.
    while (open > 0 || waited == 0) {
        if (open == 0) waited = ::waitpid(child, &status, WNOHANG);
        if (waited < 0 && errno == EINTR) waited = 0;
        if (waited != 0) break;
        if (Clock::now() > giveUp) {
            ::kill(child, SIGKILL);
            while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            return {keeper::failed, {}, keeper_ + ": non ha risposto in tempo", true};
        }
        const int ready = ::poll(watched, 2, open > 0 ? 50 : 5);
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) {
            wait.still();
            continue;
        }
        for (int i = 0; i < 2; ++i) {
            if (watched[i].fd < 0 || watched[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t got = ::read(watched[i].fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0 || into[i]->size() > longestOutput) {
                pipes[i]->closeEnd(0); // a keeper that says too much gets SIGPIPE
                watched[i].fd = -1;
                --open;
            } else {
                into[i]->append(buffer, static_cast<std::size_t>(got));
            }
        }
    }
    if (waited <= 0) { // an unknown end is never taken for a save
        const int error = errno;
        if (waited == 0) {
            ::kill(child, SIGKILL);
            while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
        }
        run.err = keeper_ + ": " + std::strerror(error);
        run.unfinished = true;
    } else if (WIFEXITED(status)) {
        run.status = WEXITSTATUS(status);
    } else {
        run.err = keeper_ + ": terminato dal segnale " + std::to_string(WTERMSIG(status));
        run.unfinished = true;
    }
    if (run.status != keeper::done && run.status != keeper::notSaved && run.err.empty())
        run.err = keeper_ + ": uscito con " + std::to_string(run.status);
    return run;
}
