// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

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
