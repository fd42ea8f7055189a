// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "records/pendingsave.h"

#include <chrono>
#include <string>

class Waiting;

// A save kept on Windows in a folder of the player's own, as a record of two files of its
// own (in UTF-8), under the same lock, spares and commit mark as the shared record.
class WindowsPendingSave : public PendingSave {
public:
    // patience: how long keeping waits for another of this player's games to finish
    // handing its kept save on; it must outlast that game's wait for the shared record.
    WindowsPendingSave(std::string directory, Waiting* waiting, std::chrono::milliseconds patience);

    void keep(std::string_view score, std::string_view name) override;
    void sendWith(const Send& send) override;

private:
    std::string directory_;
    Waiting* waiting_;
    std::chrono::milliseconds patience_;
};
