// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "records/pendingsave.h"

#include <memory>
#include <string>

class RecordDirectory;
class RecordFolder;
class Waiting;

// A pending save kept as a record of its own, in the folder "pending" of the player's own
// record directory (0700, files 0600), with the same locked, whole saves: it keeps only
// the best of the scores held back, and hands that on under its own lock.
class PendingFolder : public PendingSave {
public:
    explicit PendingFolder(RecordDirectory& own, Waiting* waiting = nullptr);
    ~PendingFolder() override;

    void keep(std::string_view score, std::string_view name) override;
    void sendWith(const Send& send) override;

    static constexpr const char* folderName = "pending";

private:
    // The folder, made only when made is true; null when it is not there.
    RecordFolder* folder(bool make);

    RecordDirectory& own_;
    Waiting* waiting_;
    std::unique_ptr<RecordFolder> folder_;
};
