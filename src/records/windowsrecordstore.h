// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "records/recordstore.h"

#include <functional>
#include <string>
#include <vector>

// The record on Windows: the two files in the first of the candidate directories this
// player can write, in the system's ANSI code page, read, compared and written under a
// lock every copy of the game respects.
class WindowsRecordStore : public RecordStore {
public:
    // The last candidate is the player's own; using it is told through notice.
    WindowsRecordStore(std::vector<std::string> candidates,
                       std::function<void(const std::string&)> notice);

    std::string locate() override;
    StoredRecord open() override;
    SaveOutcome saveIfBeaten(std::string_view score, std::string_view name) override;

private:
    std::vector<std::string> candidates_;
    std::function<void(const std::string&)> notice_;
    std::string recordDir_;
    bool noticed_ = false;
};

// The Windows directory, then %ProgramData%\Moltiplix (which the installer makes
// writable by all), then the player's own %LOCALAPPDATA%\Moltiplix.
std::vector<std::string> windowsRecordDirectories();
