// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/pendingfolder.h"

#include "platform/recorddirectory.h"
#include "platform/textfile.h"
#include "records/recordfiles.h"
#include "records/recordfolder.h"

#include <cerrno>
#include <sys/stat.h>

PendingFolder::PendingFolder(RecordDirectory& own, Waiting* waiting) : own_(own), waiting_(waiting)
{
}

PendingFolder::~PendingFolder() = default;

RecordFolder* PendingFolder::folder(bool make)
{
    if (folder_) return folder_.get();
    const std::string path = records::withFinalSeparator(own_.locate()) + folderName;
    // Nothing is made for a player who never had a save held back.
    if (make && ::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        failOnFile("Impossibile creare la cartella dei record", path, errno);
    struct stat info {};
    if (!make && ::lstat(path.c_str(), &info) != 0 && errno == ENOENT) return nullptr;
    folder_ = std::make_unique<RecordFolder>(path, 0600, 0600, waiting_);
    folder_->createMissing();
    return folder_.get();
}

void PendingFolder::keep(std::string_view score, std::string_view name)
{
    if (folder(true)->saveIfBeaten(score, records::savableName(name)) ==
        RecordFolder::Outcome::Held)
        throw HeldRecord("Il record in " + folder(true)->path() + " è occupato da troppo tempo.");
}

void PendingFolder::sendWith(const Send& send)
{
    RecordFolder* kept = folder(false);
    if (!kept) return;
    kept->handOver([&send](const StoredRecord& record) {
        return !record.score.empty() && send(record.score, record.name) != SaveOutcome::Held;
    });
}
