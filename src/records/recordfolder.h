// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/fatalerror.h"
#include "platform/textfile.h"
#include "records/recordstore.h"

#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>

class Waiting;

// Another program held the record's lock past our patience: nothing was read or written.
class HeldRecord : public FatalError {
public:
    using FatalError::FatalError;
};

// The two record files of one directory, with the files that keep them whole: a lock
// file, whose content is the commit mark (empty, or a save to copy in from the spares),
// and a spare beside each record file. Every file is reached inside the directory held open, never
// through a symbolic link, and must be a regular file of the directory's owner, so that where the
// directory is shared through a set-group-ID keeper no player owns, and so can write, any of them.
// Every operation holds a POSIX record lock (it works across users and on network file
// systems) and first finishes a save that a kill cut short after its commit mark, or
// forgets one cut short before it: the pair read is always the old or the new one.
class RecordFolder {
public:
    enum class Outcome { Saved, NotBeaten, Frozen, Held };

    // recordMode: the two record files; memberMode: the lock file and the spares. waiting,
    // if given, is told while the lock is waited for. Throws FatalError for a directory
    // anyone may write, sticky or not: every file in it would be anyone's to plant.
    RecordFolder(std::string path, mode_t recordMode, mode_t memberMode,
                 Waiting* waiting = nullptr);

    const std::string& path() const { return path_; }

    // Creates whatever is missing, but only as the directory's owner: a file made by
    // anyone else would be theirs to write. Throws FatalError when something is missing
    // and can't be made, or isn't a regular file of the owner.
    void createMissing();
    // Throws HeldRecord when the lock can't be had in time.
    StoredRecord read();
    // Writes score and name only when score strictly beats the record as it is now. A
    // record file without write permission is left as it is (Frozen).
    Outcome saveIfBeaten(std::string_view score, std::string_view name);
    // Under one hold of the lock: hands the record, line ends cut, to take, and empties
    // both files when take answers true. Throws HeldRecord when the lock can't be had.
    void handOver(const std::function<bool(const StoredRecord&)>& take);

    // How long a lock is waited for: a save holds it for milliseconds, so one held longer
    // is stuck or held on purpose, and a child must not wait on it.
    static constexpr int lockPatienceMilliseconds = 3000;

private:
    FileDescriptor lock();
    void finishOrForgetCutSave(int lockFile);
    void commit(int lockFile, const FileDescriptor (&records)[2], const std::string (&lines)[2]);
    StoredRecord readRecord() const;
    FileDescriptor openMember(std::string_view name, int flags) const;
    std::string pathOf(std::string_view name) const;
    void flushDirectory() const;

    std::string path_;
    FileDescriptor directory_;
    uid_t owner_ = 0;
    mode_t recordMode_;
    mode_t memberMode_;
    Waiting* waiting_;
};
