// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "records/recordstore.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

class Waiting;

// A folder the record may be kept in. The installer's holds every file already, and
// players may write their data and nothing else there.
struct RecordPlace {
    std::string path;
    bool madeByInstaller = false;
};

// How long one use of the record waits while another program holds it.
inline constexpr std::chrono::milliseconds recordPatience{3000};

// The record on Windows: the two files in the first of the candidate folders this player
// can use, in the system's ANSI code page, read, compared and written under a lock every
// copy of the game respects. While another program holds them past the patience, a start
// shows the player's own record instead, that once, and a save is Held.
class WindowsRecordStore : public RecordStore {
public:
    // The last candidate is the player's own; using it is told through notice. waiting
    // (may be null) is told while the store waits for a held record.
    WindowsRecordStore(std::vector<RecordPlace> candidates,
                       std::function<void(const std::string&)> notice, Waiting* waiting = nullptr,
                       std::chrono::milliseconds patience = recordPatience);

    std::string locate() override;
    StoredRecord open() override;
    SaveOutcome saveIfBeaten(std::string_view score, std::string_view name) override;

private:
    bool usable(const RecordPlace& place, std::string& reasons) const;
    bool readFrom(const RecordPlace& place, StoredRecord& record);
    void tell(const std::string& notice);

    std::vector<RecordPlace> candidates_;
    std::function<void(const std::string&)> notice_;
    Waiting* waiting_;
    std::chrono::milliseconds patience_;
    std::size_t chosen_ = 0;
    std::string recordDir_;
    bool noticed_ = false;
};

// The installer's folder (HKLM\SOFTWARE\Moltiplix, RecordFolder), or without one the
// Windows directory; then the player's own %LOCALAPPDATA%\Moltiplix.
std::vector<RecordPlace> windowsRecordDirectories();

// Where a save the shared record could not take waits: the player's own, beside the
// player's own record.
std::string pendingSaveDirectory();
