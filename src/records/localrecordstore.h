#pragma once

#include "records/recordstore.h"

class RecordDirectory;

// The two record files in a directory this process can write itself.
class LocalRecordStore : public RecordStore {
public:
    explicit LocalRecordStore(RecordDirectory& directory);

    std::string locate() override;
    StoredRecord open() override;
    bool saveIfBeaten(std::string_view score, std::string_view name) override;

private:
    RecordDirectory& directory_;
    std::string recordDir_;
};
