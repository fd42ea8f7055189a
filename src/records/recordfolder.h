// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/textfile.h"
#include "records/recordstore.h"

#include <string>
#include <string_view>
#include <sys/types.h>

// The two record files of one directory, with the files that keep them whole: a lock
// file, a spare beside each record file and, while a save is being copied in, a commit
// mark. Every file is reached inside the directory held open, never through a symbolic
// link, and must be a regular file of the directory's owner, so that where the directory
// is shared through a set-group-ID keeper no player owns, and so can write, any of them.
// Every operation holds a POSIX record lock (it works across users and on network file
// systems) and first finishes a save that a kill cut short after its commit mark, or
// forgets one cut short before it: the pair read is always the old or the new one.
class RecordFolder {
public:
    enum class Outcome { Saved, NotBeaten, Frozen };

    // recordMode: the two record files; memberMode: the lock file and the spares.
    RecordFolder(std::string path, mode_t recordMode, mode_t memberMode);

    const std::string& path() const { return path_; }

    // Creates whatever is missing, but only as the directory's owner: a file made by
    // anyone else would be theirs to write. Throws FatalError when something is missing
    // and can't be made, or isn't a regular file of the owner.
    void createMissing();
    StoredRecord read();
    // Writes score and name only when score strictly beats the record as it is now. A
    // record file without write permission is left as it is (Frozen).
    Outcome saveIfBeaten(std::string_view score, std::string_view name);

private:
    FileDescriptor lock();
    void finishOrForgetCutSave();
    FileDescriptor openMember(std::string_view name, int flags) const;
    std::string pathOf(std::string_view name) const;
    void flushDirectory() const;

    std::string path_;
    FileDescriptor directory_;
    uid_t owner_ = 0;
    mode_t recordMode_;
    mode_t memberMode_;
};
