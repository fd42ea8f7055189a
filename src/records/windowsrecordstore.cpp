// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/windowsrecordstore.h"

#include "base/fatalerror.h"
#include "platform/win32/systemdir.h"
#include "platform/win32/widetext.h"
#include "records/lockedrecordfolder.h"
#include "records/patience.h"
#include "records/recordfiles.h"
#include "records/textcodec.h"

#include <windows.h>

#include <shlobj.h>

#include <string_view>

namespace {

constexpr std::string_view lockFileName = "tavrec.lck";
// What the installer makes, and what a folder where a player can't add files must hold.
constexpr std::string_view installersFiles[] = {"tavrec.txt", "ntavrec.txt", "tavrec.lck",
                                                "tavrec.txt.new", "ntavrec.txt.new"};
// Where a folder or link would stop every game in a folder others can write.
constexpr std::string_view recordPlaces[] = {"tavrec.txt", "ntavrec.txt", "tavrec.txt.new",
                                             "ntavrec.txt.new", "tavrec.commit"};

bool plainFileAt(const std::string& path)
{
    if (somethingElseAt(path)) return false;
    try {
        return regularFileAt(path);
    } catch (const FatalError&) {
        return false;
    }
}

// A folder this player can use: made if missing where the game may make it, not a link,
// then its lock file opened for writing (held by another program is no matter here).
bool canWriteLockFile(const std::string& recordDir, bool madeByInstaller)
{
    try {
        openRecordFile(recordDir + std::string(lockFileName), FileUse::Lock,
                       madeByInstaller ? IfMissing::Fail : IfMissing::Create);
    } catch (const FileBusy&) {
    } catch (const FatalError&) {
        return false;
    }
    return true;
}

// Notepad saves UTF-8 behind a byte-order mark: such a file is UTF-8, not the code page,
// and its mark must not turn a record of 12 into 0. The Linux game writes UTF-8 without
// one; a name in the code page with a letter beyond ASCII is almost never valid UTF-8.
std::string decoded(const std::string& bytes)
{
    const std::string_view text(bytes), mark = records::byteOrderMark;
    if (text.starts_with(mark) && isValidUtf8(text.substr(mark.size())))
        return std::string(text.substr(mark.size()));
    if (isValidUtf8(text)) return bytes;
    return ansiToUtf8(bytes);
}

std::string line(std::string_view utf8)
{
    return utf8ToAnsi(utf8) + std::string(records::lineEnd);
}

std::string knownFolder(REFKNOWNFOLDERID id)
{
    wchar_t* path = nullptr;
    std::string result;
    if (SHGetKnownFolderPath(id, 0, nullptr, &path) == S_OK) result = toUtf8(path);
    CoTaskMemFree(path);
    return result;
}

// Written by the installer, which only an administrator runs; the 64-bit view, as the
// installer writes it there whatever reads it.
std::string installersRecordFolder()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Moltiplix", 0,
                      KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return {};
    std::wstring folder;
    DWORD bytes = 0;
    if (RegGetValueW(key, nullptr, L"RecordFolder", RRF_RT_REG_SZ, nullptr, nullptr, &bytes) ==
        ERROR_SUCCESS) {
        folder.resize(bytes / sizeof(wchar_t));
        if (RegGetValueW(key, nullptr, L"RecordFolder", RRF_RT_REG_SZ, nullptr, folder.data(),
                         &bytes) != ERROR_SUCCESS)
            bytes = 0;
        folder.resize(bytes / sizeof(wchar_t));
        while (!folder.empty() && folder.back() == L'\0')
            folder.pop_back();
    }
    RegCloseKey(key);
    return toUtf8(folder);
}

} // namespace

WindowsRecordStore::WindowsRecordStore(std::vector<RecordPlace> candidates,
                                       std::function<void(const std::string&)> notice,
                                       Waiting* waiting, std::chrono::milliseconds patience)
    : candidates_(std::move(candidates)), notice_(std::move(notice)), waiting_(waiting),
      patience_(patience)
{
}

bool WindowsRecordStore::usable(const RecordPlace& place, std::string& reasons) const
{
    const std::wstring wide = toWide(place.path);
    if (!place.madeByInstaller) CreateDirectoryW(wide.c_str(), nullptr);
    // A junction or link in the folder's place could lead the files anywhere.
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    bool fit = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
               !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    const std::string recordDir = records::withFinalSeparator(place.path);
    // Every player may write a shared folder made by an earlier version: a folder or link
    // there in place of a file would stop every game.
    const bool shared = &place != &candidates_.back();
    if (place.madeByInstaller) {
        for (std::string_view name : installersFiles)
            fit = fit && plainFileAt(recordDir + std::string(name));
    } else if (shared) {
        for (std::string_view name : recordPlaces)
            fit = fit && !somethingElseAt(recordDir + std::string(name));
    }
    fit = fit && canWriteLockFile(recordDir, place.madeByInstaller);
    if (!fit) reasons += "\n" + place.path;
    return fit;
}

std::string WindowsRecordStore::locate()
{
    std::string reasons;
    for (std::size_t i = 0; i < candidates_.size(); ++i) {
        if (candidates_[i].path.empty() || !usable(candidates_[i], reasons)) continue;
        chosen_ = i;
        recordDir_ = records::withFinalSeparator(candidates_[i].path);
        if (i + 1 == candidates_.size() && i > 0)
            tell("Il record di questo computer non si può scrivere in:" + reasons +
                 "\n\nIl tuo record resta in " + recordDir_);
        return recordDir_;
    }
    throw FatalError("Nessuna cartella dove tenere i record:" + reasons);
}

// Said once, not again at every new game.
void WindowsRecordStore::tell(const std::string& notice)
{
    if (noticed_ || !notice_) return;
    noticed_ = true;
    notice_(notice);
}

bool WindowsRecordStore::readFrom(const RecordPlace& place, StoredRecord& record)
{
    Patience patience(waiting_, patience_);
    return patience.retryWhileBusy([&] {
        LockedRecordFolder folder(place.path, !place.madeByInstaller);
        record = {decoded(folder.readScore()), decoded(folder.readName())};
    });
}

StoredRecord WindowsRecordStore::open()
{
    if (recordDir_.empty()) locate();
    StoredRecord record;
    if (readFrom(candidates_[chosen_], record)) return record;
    // Held past the patience: this start shows the player's own record, and the next
    // use of the record tries the shared one again.
    const RecordPlace& own = candidates_.back();
    std::string reasons;
    if (&own != &candidates_[chosen_] && usable(own, reasons) && readFrom(own, record)) {
        tell("Il record di questo computer, in " + recordDir_ +
             ", è occupato da un altro programma.\n\nPer questa partita vale il tuo record, in " +
             records::withFinalSeparator(own.path));
        return record;
    }
    throw FatalError("Il record in " + recordDir_ + " è occupato da troppo tempo.");
}

SaveOutcome WindowsRecordStore::saveIfBeaten(std::string_view score, std::string_view name)
{
    if (recordDir_.empty()) locate();
    const RecordPlace& place = candidates_[chosen_];
    SaveOutcome outcome = SaveOutcome::Held;
    Patience patience(waiting_, patience_);
    const bool had = patience.retryWhileBusy([&] {
        LockedRecordFolder folder(place.path, !place.madeByInstaller);
        if (!records::recordBeaten(decoded(folder.readScore()), score) || folder.frozen()) {
            outcome = SaveOutcome::NotSaved;
            return;
        }
        folder.save(line(score), line(records::savableName(name)));
        outcome = SaveOutcome::Saved;
    });
    return had ? outcome : SaveOutcome::Held;
}

std::vector<RecordPlace> windowsRecordDirectories()
{
    std::vector<RecordPlace> candidates;
    if (const std::string installed = installersRecordFolder(); !installed.empty())
        candidates.push_back({installed, true});
    else
        candidates.push_back({windowsDirectory(), false});
    const std::string own = knownFolder(FOLDERID_LocalAppData);
    candidates.push_back({own.empty() ? std::string() : own + "\\Moltiplix", false});
    return candidates;
}

std::string pendingSaveDirectory()
{
    const std::string own = knownFolder(FOLDERID_LocalAppData);
    return own.empty() ? std::string() : own + "\\Moltiplix\\pending";
}
