// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/windowsrecordstore.h"

#include "base/fatalerror.h"
#include "platform/textfile.h"
#include "platform/win32/systemdir.h"
#include "platform/win32/widetext.h"
#include "records/recordfiles.h"
#include "records/textcodec.h"

#include <windows.h>

#include <shlobj.h>

#include <array>
#include <string_view>

namespace {

constexpr std::wstring_view lockFileName = L"tavrec.lck";
constexpr std::string_view commitMarkName = "tavrec.commit";

// The record files, score first, and the spares a save writes them from.
std::array<std::string, 2> recordFiles(const std::string& recordDir)
{
    return {records::scoreFile(recordDir), records::nameFile(recordDir)};
}

std::string spareOf(const std::string& recordFile)
{
    return recordFile + ".new";
}

void forgetSpares(const std::string& recordDir)
{
    for (const std::string& file : recordFiles(recordDir))
        DeleteFileW(toWide(spareOf(file)).c_str());
}

// What saves killed while moving a file into place left beside it: no game is saving now.
void removeOldTemporaries(const std::string& recordDir)
{
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(toWide(recordDir + "*.new").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring_view entry = found.cFileName;
        for (std::wstring_view base : {L"tavrec.txt.", L"ntavrec.txt."}) {
            if (entry.size() <= base.size() + 4 || !entry.starts_with(base)) continue;
            const std::wstring_view middle =
                entry.substr(base.size(), entry.size() - base.size() - 4);
            if (entry.ends_with(L".new") &&
                middle.find_first_not_of(L"0123456789") == std::wstring_view::npos)
                DeleteFileW((toWide(recordDir) + std::wstring(entry)).c_str());
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// A save is committed once its mark exists, both spares whole by then: under the lock a
// cut save is finished from its spares, and spares without a mark are thrown away unread.
void finishOrForgetCutSave(const std::string& recordDir)
{
    removeOldTemporaries(recordDir);
    const std::string mark = recordDir + std::string(commitMarkName);
    if (!regularFileAt(mark)) return forgetSpares(recordDir);
    const auto files = recordFiles(recordDir);
    const std::string lines[2] = {readWholeFile(spareOf(files[0]), records::readLimit),
                                  readWholeFile(spareOf(files[1]), records::readLimit)};
    for (int i = 0; i < 2; ++i)
        replaceFile(files[i], lines[i]);
    removeFile(mark);
    forgetSpares(recordDir);
}

// Held across read, compare and write; released by the system if the game dies.
class RecordLock {
public:
    explicit RecordLock(const std::string& recordDir)
        : file_(CreateFileW(
              (toWide(recordDir) + std::wstring(lockFileName)).c_str(),
              GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr))
    {
        if (file_ == INVALID_HANDLE_VALUE)
            throw FatalError("Impossibile bloccare i file dei record in " + recordDir);
        OVERLAPPED whole{};
        if (!LockFileEx(file_, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole)) {
            CloseHandle(file_);
            throw FatalError("Impossibile bloccare i file dei record in " + recordDir);
        }
    }
    ~RecordLock()
    {
        OVERLAPPED whole{};
        UnlockFileEx(file_, 0, 1, 0, &whole);
        CloseHandle(file_);
    }
    RecordLock(const RecordLock&) = delete;
    RecordLock& operator=(const RecordLock&) = delete;

private:
    HANDLE file_;
};

// A directory this player can create files in: made if missing, then the lock file
// opened for writing there.
bool usable(const std::string& directory, std::string& reasons)
{
    const std::wstring wide = toWide(directory);
    if (!CreateDirectoryW(wide.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        reasons += "\n" + directory;
        return false;
    }
    // A junction or link in the folder's place could lead the files anywhere.
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        reasons += "\n" + directory;
        return false;
    }
    const std::wstring lockPath =
        toWide(records::withFinalSeparator(directory)) + std::wstring(lockFileName);
    const HANDLE probe =
        CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        reasons += "\n" + directory;
        return false;
    }
    CloseHandle(probe);
    return true;
}

// Every player may write the shared folder: a folder or link there in place of a record
// file, spare or mark would stop every game, so while another folder remains it is
// passed over instead.
bool onlyPlainFilesInRecordPlaces(const std::string& recordDir)
{
    const auto files = recordFiles(recordDir);
    for (const std::string& path : {files[0], files[1], spareOf(files[0]), spareOf(files[1]),
                                    recordDir + std::string(commitMarkName)})
        if (somethingElseAt(path)) return false;
    return true;
}

// Notepad saves UTF-8 behind a byte-order mark: such a file is UTF-8, not the code page,
// and its mark must not turn a record of 12 into 0. The Linux game writes UTF-8 without
// one; a name in the code page with a letter beyond ASCII is almost never valid UTF-8.
std::string readRecordFile(const std::string& path)
{
    const std::string bytes = readWholeFile(path, records::readLimit);
    const std::string_view text(bytes), mark = records::byteOrderMark;
    if (text.starts_with(mark) && isValidUtf8(text.substr(mark.size())))
        return std::string(text.substr(mark.size()));
    if (isValidUtf8(text)) return bytes;
    return ansiToUtf8(bytes);
}

std::string knownFolder(REFKNOWNFOLDERID id)
{
    wchar_t* path = nullptr;
    std::string result;
    if (SHGetKnownFolderPath(id, 0, nullptr, &path) == S_OK) result = toUtf8(path);
    CoTaskMemFree(path);
    return result;
}

} // namespace

WindowsRecordStore::WindowsRecordStore(std::vector<std::string> candidates,
                                       std::function<void(const std::string&)> notice)
    : candidates_(std::move(candidates)), notice_(std::move(notice))
{
}

std::string WindowsRecordStore::locate()
{
    std::string reasons;
    for (std::size_t i = 0; i < candidates_.size(); ++i) {
        if (candidates_[i].empty() || !usable(candidates_[i], reasons)) continue;
        const std::string recordDir = records::withFinalSeparator(candidates_[i]);
        if (i + 1 < candidates_.size() && !onlyPlainFilesInRecordPlaces(recordDir)) {
            reasons += "\n" + candidates_[i];
            continue;
        }
        recordDir_ = recordDir;
        // Said once, not again at every new game.
        if (i + 1 == candidates_.size() && i > 0 && notice_ && !noticed_) {
            noticed_ = true;
            notice_("Il record di questo computer non si può scrivere in:" + reasons +
                    "\n\nIl tuo record resta in " + recordDir_);
        }
        return recordDir_;
    }
    throw FatalError("Nessuna cartella dove tenere i record:" + reasons);
}

StoredRecord WindowsRecordStore::open()
{
    const RecordLock lock(recordDir_);
    finishOrForgetCutSave(recordDir_);
    const auto files = recordFiles(recordDir_);
    createIfMissing(files[0]);
    createIfMissing(files[1]);
    return {readRecordFile(files[0]), readRecordFile(files[1])};
}

SaveOutcome WindowsRecordStore::saveIfBeaten(std::string_view score, std::string_view name)
{
    const RecordLock lock(recordDir_);
    finishOrForgetCutSave(recordDir_);
    const auto files = recordFiles(recordDir_);
    if (!records::recordBeaten(readRecordFile(files[0]), score)) return SaveOutcome::NotSaved;
    // Made read-only (Properties, or attrib +R) to freeze the record.
    if (readOnlyFileAt(files[0]) || readOnlyFileAt(files[1])) return SaveOutcome::NotSaved;
    const std::string lines[2] = {utf8ToAnsi(score) + std::string(records::lineEnd),
                                  utf8ToAnsi(records::savableName(name)) +
                                      std::string(records::lineEnd)};
    for (int i = 0; i < 2; ++i) {
        requireReplaceable(files[i]);
        writeFlushed(spareOf(files[i]), lines[i]);
    }
    writeFlushed(recordDir_ + std::string(commitMarkName), "");
    // From here on the new pair is the record: if this game dies, the next one ends the save.
    for (int i = 0; i < 2; ++i)
        replaceFile(files[i], lines[i]);
    removeFile(recordDir_ + std::string(commitMarkName));
    forgetSpares(recordDir_);
    return SaveOutcome::Saved;
}

std::vector<std::string> windowsRecordDirectories()
{
    std::vector<std::string> candidates{windowsDirectory()};
    const std::string shared = knownFolder(FOLDERID_ProgramData);
    const std::string own = knownFolder(FOLDERID_LocalAppData);
    candidates.push_back(shared.empty() ? std::string() : shared + "\\Moltiplix");
    candidates.push_back(own.empty() ? std::string() : own + "\\Moltiplix");
    return candidates;
}
