// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "records/recordstore.h"

#include <memory>

class RecordDirectory;
class RecordFolder;
class Waiting;

// The two record files in a directory this process owns and writes itself (files 0600).
// waiting, if given, is told while another game of the player holds the record.
class LocalRecordStore : public RecordStore {
public:
    explicit LocalRecordStore(RecordDirectory& directory, Waiting* waiting = nullptr);
    ~LocalRecordStore() override;

    std::string locate() override;
    StoredRecord open() override;
    SaveOutcome saveIfBeaten(std::string_view score, std::string_view name) override;

private:
    RecordFolder& folder();

    RecordDirectory& directory_;
    Waiting* waiting_;
    std::string recordDir_;
    std::unique_ptr<RecordFolder> folder_;
};
