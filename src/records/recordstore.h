// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

// The record as read from its two files: UTF-8 text, line ends included.
struct StoredRecord {
    std::string score;
    std::string name;
};

// What became of a save.
enum class SaveOutcome {
    Saved,    // the record was written
    NotSaved, // the record, read again, was not beaten, or it is frozen
    Held,     // another program held the record past our patience: nothing was written
};

// Where the machine's best score is kept, and the only way the game reads or saves it.
// Every failure the game can't go on after is a FatalError naming the path.
class RecordStore {
public:
    virtual ~RecordStore() = default;

    // The record directory as the system names it (its final separator may be missing).
    virtual std::string locate() = 0;
    // Creates whichever of the two files is missing, empty, then reads both.
    virtual StoredRecord open() = 0;
    // Saves score and name only when score strictly beats the record as it is now, read
    // again under a lock that other games respect.
    virtual SaveOutcome saveIfBeaten(std::string_view score, std::string_view name) = 0;
};
