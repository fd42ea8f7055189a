// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "records/recordstore.h"

class PendingSave;

// The shared record, with a save it could not take in time kept for later instead of
// lost: every use first hands a kept save on (it lands only if it still strictly beats
// the record, else it is dropped), and a save answered Held is kept.
class PendingRecordStore : public RecordStore {
public:
    PendingRecordStore(RecordStore& shared, PendingSave& pending);

    std::string locate() override;
    StoredRecord open() override;
    SaveOutcome saveIfBeaten(std::string_view score, std::string_view name) override;

private:
    void sendKept();

    RecordStore& shared_;
    PendingSave& pending_;
};
