// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/textfile.h"

#include <string>
#include <string_view>

// One folder of record files on Windows, locked for as long as this object lives: the two
// record files, a spare beside each, and the lock file tavrec.lck, whose content is the
// commit mark (empty: nothing committed; anything else: the spares hold a committed save).
// Files are rewritten in place, never replaced, renamed or deleted, so the installer's
// folder, where players may write the files' data and nothing else, works like any other.
class LockedRecordFolder {
public:
    // Where createsMissing, missing files are made (the Windows directory, the player's
    // own folder); the installer's folder has them all, and nothing may be added there.
    // Takes the lock without waiting (FileBusy while another program has it), then
    // finishes a save committed but cut short, and leaves uncommitted spares unread.
    LockedRecordFolder(const std::string& directory, bool createsMissing);
    ~LockedRecordFolder();
    LockedRecordFolder(const LockedRecordFolder&) = delete;
    LockedRecordFolder& operator=(const LockedRecordFolder&) = delete;

    // A record file's bytes as they lie, at most records::readLimit of them.
    std::string readScore();
    std::string readName();
    // A record file with the read-only attribute is never written: the record is frozen.
    bool frozen() const;
    // Both lines or neither, as the next game reads them: spares first, then the mark,
    // then the record files, score first. Once the mark is there the save stands, even if
    // another program then keeps a record file from being written: the next game ends it.
    void save(std::string_view scoreLine, std::string_view nameLine);

private:
    IfMissing ifMissing() const;
    std::string pathOf(std::string_view name) const;
    void finishOrForgetCutSave();
    bool legacyMarkApplies();
    void settleLegacyMark(const std::string (&lines)[2]);
    void removeOldTemporaries() const;
    void copyIntoRecords(const std::string (&lines)[2]);

    std::string directory_;
    bool createsMissing_;
    std::string recordFiles_[2];
    std::string spares_[2];
    FileHandle lock_;
};
