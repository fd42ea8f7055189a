// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "records/recordstore.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The keeper of the machine-wide record: a small set-group-ID program that alone writes
// the shared directory. One job per run, chosen by its arguments and nothing else:
//   create              creates what is missing (only root can: files stay root's)
//   read                prints both records
//   save SCORE NAME     saves them when SCORE strictly beats the record as it is now
// Its exit status says how the job went; held: another program held the record past the
// keeper's patience, and nothing was read or written.
namespace keeper {

enum Status { done = 0, notSaved = 1, refused = 2, failed = 3, held = 4 };

struct Request {
    enum class Job { Create, Read, Save } job;
    std::string score;
    std::string name;
};

// Nothing but exactly these forms is accepted; score and name as records:: says.
std::optional<Request> parseArguments(const std::vector<std::string_view>& arguments);

struct Result {
    int status;
    std::string out;
    std::string err;
};
Result run(const std::vector<std::string_view>& arguments, const std::string& sharedDir);

// The record as the keeper prints it: each text as its length in decimal, a line feed,
// then its bytes.
std::string encodeRecord(const StoredRecord& record);
std::optional<StoredRecord> decodeRecord(std::string_view printed);

} // namespace keeper
