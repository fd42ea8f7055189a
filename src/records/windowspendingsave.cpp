// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/windowspendingsave.h"

#include "base/fatalerror.h"
#include "platform/win32/widetext.h"
#include "records/lockedrecordfolder.h"
#include "records/patience.h"
#include "records/recordfiles.h"

#include <windows.h>

namespace {

std::string line(std::string_view text)
{
    return std::string(text) + std::string(records::lineEnd);
}

// The line without its end, as the shared record is given a score and a name.
std::string withoutLineEnd(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

void makeFolder(const std::string& directory)
{
    const std::string parent = directory.substr(0, directory.find_last_of('\\'));
    CreateDirectoryW(toWide(parent).c_str(), nullptr);
    if (!CreateDirectoryW(toWide(directory).c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS)
        throw FatalError("Impossibile creare la cartella " + directory);
}

} // namespace

WindowsPendingSave::WindowsPendingSave(std::string directory, Waiting* waiting,
                                       std::chrono::milliseconds patience)
    : directory_(std::move(directory)), waiting_(waiting), patience_(patience)
{
}

void WindowsPendingSave::keep(std::string_view score, std::string_view name)
{
    makeFolder(directory_);
    Patience patience(waiting_, patience_);
    const bool kept = patience.retryWhileBusy([&] {
        LockedRecordFolder folder(directory_, true);
        if (records::recordBeaten(folder.readScore(), score))
            folder.save(line(score), line(records::savableName(name)));
    });
    if (!kept) throw FatalError("Il record da salvare in " + directory_ + " è occupato.");
}

void WindowsPendingSave::sendWith(const Send& send)
{
    // Nothing was ever kept: no folder to make, no lock to wait for.
    if (GetFileAttributesW(toWide(directory_).c_str()) == INVALID_FILE_ATTRIBUTES) return;
    // Held, it is another of this player's games handing it on just now: no wait.
    Patience once(waiting_, std::chrono::milliseconds(0));
    once.retryWhileBusy([&] {
        LockedRecordFolder folder(directory_, true);
        const std::string score = withoutLineEnd(folder.readScore());
        if (score.empty()) return;
        if (send(score, withoutLineEnd(folder.readName())) != SaveOutcome::Held)
            folder.save("", "");
    });
}
