// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

// Runs fn in a forked child and returns its exit status (-1 if it did not exit).
// With unprivileged set, a child running as root first becomes "nobody", so that file
// permissions hold for it as they do for a player.
inline int inChildProcess(const std::function<int()>& fn, bool unprivileged = false)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (unprivileged && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(100);
        ::_exit(fn());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The system call a process is blocked in, as the kernel shows it; -1 while it runs.
inline long blockedIn(pid_t process)
{
    std::ifstream in("/proc/" + std::to_string(process) + "/syscall");
    long call = -1;
    return in >> call ? call : -1;
}

// The process and its children.
inline std::vector<pid_t> withChildren(pid_t parent)
{
    std::vector<pid_t> family{parent};
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line)) continue;
        // "pid (name) state parent ...": the name may hold anything, brackets too.
        std::istringstream rest(line.substr(line.rfind(')') + 1));
        char state = 0;
        pid_t parentOfIt = 0;
        if (rest >> state >> parentOfIt && parentOfIt == parent)
            family.push_back(std::stoi(entry.path().filename().string()));
    }
    return family;
}

// Another process holding a lock of the given type on lockFile until it is released.
class LockHolder {
public:
    LockHolder(const std::filesystem::path& lockFile, short type)
    {
        int ready[2];
        EXPECT_EQ(::pipe(ready), 0);
        pid_ = ::fork();
        if (pid_ == 0) {
            const int fd = ::open(lockFile.c_str(), O_RDWR);
            struct flock whole {};
            whole.l_type = type;
            const char held = fd >= 0 && ::fcntl(fd, F_SETLK, &whole) == 0 ? 'y' : 'n';
            if (::write(ready[1], &held, 1) != 1) ::_exit(1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        char held = 'n';
        EXPECT_EQ(::read(ready[0], &held, 1), 1);
        ::close(ready[0]);
        EXPECT_EQ(held, 'y');
    }
    ~LockHolder() { release(); }
    void release()
    {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
};
