#include "records/localrecordstore.h"

#include "platform/recorddirectory.h"
#include "records/recordfiles.h"

LocalRecordStore::LocalRecordStore(RecordDirectory& directory) : directory_(directory) {}

std::string LocalRecordStore::locate()
{
    recordDir_ = records::withFinalSeparator(directory_.locate());
    return recordDir_;
}

StoredRecord LocalRecordStore::open()
{
    records::createMissingFiles(recordDir_);
    return {records::Leggifiletxt(records::scoreFile(recordDir_)),
            records::Leggifiletxt(records::nameFile(recordDir_))};
}

bool LocalRecordStore::saveIfBeaten(std::string_view score, std::string_view name)
{
    if (!records::recordBeaten(records::Leggifiletxt(records::scoreFile(recordDir_)), score))
        return false;
    records::saveRecord(recordDir_, score, name);
    return true;
}
