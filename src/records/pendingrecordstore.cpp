// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/pendingrecordstore.h"

#include "base/fatalerror.h"
#include "records/pendingsave.h"

PendingRecordStore::PendingRecordStore(RecordStore& shared, PendingSave& pending)
    : shared_(shared), pending_(pending)
{
}

std::string PendingRecordStore::locate()
{
    return shared_.locate();
}

// A kept save that can't be handed on now stays kept, and the game goes on: whatever
// stands in the way shows itself again in this use of the shared record.
void PendingRecordStore::sendKept()
{
    try {
        pending_.sendWith([this](std::string_view score, std::string_view name) {
            return shared_.saveIfBeaten(score, name);
        });
    } catch (const FatalError&) {
    }
}

StoredRecord PendingRecordStore::open()
{
    sendKept();
    return shared_.open();
}

SaveOutcome PendingRecordStore::saveIfBeaten(std::string_view score, std::string_view name)
{
    sendKept();
    const SaveOutcome outcome = shared_.saveIfBeaten(score, name);
    if (outcome == SaveOutcome::Held) pending_.keep(score, name);
    return outcome;
}
