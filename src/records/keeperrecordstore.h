// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "records/recordstore.h"

#include <functional>
#include <string>
#include <vector>

class Waiting;

// The machine-wide record, reached only through its keeper program, which this process
// starts with arguments alone, never through a shell. Every use tries that record again;
// when it can't be used (no keeper installed, a file missing, unreadable or not what it
// should be, the lock held too long) that use takes the fallback store instead, said once
// a run on standard error. A game's start that falls back with a keeper installed is also
// told through notice, as the players would otherwise not know. A save the keeper could
// not finish in time, or that ended by a signal, is Held: it may or may not have landed.
class KeeperRecordStore : public RecordStore {
public:
    KeeperRecordStore(std::string keeper, std::string sharedDir, RecordStore& fallback,
                      std::function<void(const std::string&)> notice = {},
                      Waiting* waiting = nullptr);

    std::string locate() override;
    StoredRecord open() override;
    SaveOutcome saveIfBeaten(std::string_view score, std::string_view name) override;

    // How long one keeper run is waited for: the keeper's own patience with the lock, and
    // a second for starting it on a busy old machine. Then it is stopped.
    static constexpr int keeperPatienceMilliseconds = 4000;

private:
    struct Run {
        int status;
        std::string out;
        std::string err;
        bool unfinished = false; // stopped by us, or ended by a signal: its end is unknown
    };
    Run runKeeper(const std::vector<std::string>& arguments) const;
    bool installed();
    void tell(const std::string& reason);

    std::string keeper_;
    std::string sharedDir_;
    RecordStore& fallback_;
    std::function<void(const std::string&)> notice_;
    Waiting* waiting_;
    bool told_ = false;
    bool startFellBack_ = false;
};
