// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/localrecordstore.h"

#include "platform/recorddirectory.h"
#include "records/recordfiles.h"
#include "records/recordfolder.h"

LocalRecordStore::LocalRecordStore(RecordDirectory& directory, Waiting* waiting)
    : directory_(directory), waiting_(waiting)
{
}

LocalRecordStore::~LocalRecordStore() = default;

std::string LocalRecordStore::locate()
{
    recordDir_ = records::withFinalSeparator(directory_.locate());
    folder_.reset();
    return recordDir_;
}

RecordFolder& LocalRecordStore::folder()
{
    if (recordDir_.empty()) locate();
    if (!folder_) folder_ = std::make_unique<RecordFolder>(recordDir_, 0600, 0600, waiting_);
    return *folder_;
}

StoredRecord LocalRecordStore::open()
{
    folder().createMissing();
    return folder().read();
}

SaveOutcome LocalRecordStore::saveIfBeaten(std::string_view score, std::string_view name)
{
    folder().createMissing();
    switch (folder().saveIfBeaten(score, records::savableName(name))) {
    case RecordFolder::Outcome::Saved:
        return SaveOutcome::Saved;
    case RecordFolder::Outcome::Held:
        return SaveOutcome::Held;
    default:
        return SaveOutcome::NotSaved;
    }
}
