// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "records/recordstore.h"

#include <functional>
#include <string>
#include <vector>

// The machine-wide record, reached only through its keeper program, which this process
// starts with arguments alone, never through a shell. When that record can't be used (no
// keeper installed, a file missing, unreadable or not what it should be) it says so once
// on standard error and keeps the record in the fallback store instead. An installed keeper
// that fails is also told through notice, as the players would otherwise not know.
class KeeperRecordStore : public RecordStore {
public:
    KeeperRecordStore(std::string keeper, std::string sharedDir, RecordStore& fallback,
                      std::function<void(const std::string&)> notice = {});

    std::string locate() override;
    StoredRecord open() override;
    SaveOutcome saveIfBeaten(std::string_view score, std::string_view name) override;

    bool fellBack() const { return fellBack_; }

private:
    struct Run {
        int status;
        std::string out;
        std::string err;
    };
    Run runKeeper(const std::vector<std::string>& arguments) const;
    void fallBack(const std::string& reason);

    std::string keeper_;
    std::string sharedDir_;
    RecordStore& fallback_;
    std::function<void(const std::string&)> notice_;
    bool fellBack_ = false;
};
