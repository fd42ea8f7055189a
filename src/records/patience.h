// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>

class Waiting;

// How long one use of the record waits for files another program holds, the window
// painting and showing the wait meanwhile. No wait lasts past the patience.
class Patience {
public:
    using Clock = std::chrono::steady_clock;

    Patience(Waiting* waiting, Clock::duration limit);
    ~Patience();
    Patience(const Patience&) = delete;
    Patience& operator=(const Patience&) = delete;

    // Runs attempt again and again while it finds a file held (FileBusy), until it ends
    // or the patience is spent: then false.
    bool retryWhileBusy(const std::function<void()>& attempt);

private:
    bool waitAMoment();

    Waiting* waiting_;
    Clock::time_point giveUp_;
    bool waited_ = false;
};
