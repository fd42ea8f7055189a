// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/windowsrecordstore.h"

#include "game/fatalerror.h"
#include "platform/win32/systemdir.h"
#include "platform/win32/textfile_win32.h"
#include "platform/win32/widetext.h"
#include "records/recordfiles.h"

#include <windows.h>

#include <shlobj.h>

namespace {

constexpr std::wstring_view lockFileName = L"tavrec.lck";

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

std::string readRecordFile(const std::string& path)
{
    return ansiToUtf8(readWholeFile(path, records::readLimit));
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
        recordDir_ = records::withFinalSeparator(candidates_[i]);
        if (i + 1 == candidates_.size() && i > 0 && notice_)
            notice_("Il record di questo computer non si può scrivere in:" + reasons +
                    "\n\nIl tuo record resta in " + recordDir_);
        return recordDir_;
    }
    throw FatalError("Nessuna cartella dove tenere i record:" + reasons);
}

StoredRecord WindowsRecordStore::open()
{
    const RecordLock lock(recordDir_);
    createIfMissing(records::scoreFile(recordDir_));
    createIfMissing(records::nameFile(recordDir_));
    return {readRecordFile(records::scoreFile(recordDir_)),
            readRecordFile(records::nameFile(recordDir_))};
}

bool WindowsRecordStore::saveIfBeaten(std::string_view score, std::string_view name)
{
    const RecordLock lock(recordDir_);
    const std::string scorePath = records::scoreFile(recordDir_);
    const std::string oldScore = readWholeFile(scorePath, records::readLimit);
    if (!records::recordBeaten(ansiToUtf8(oldScore), score)) return false;
    replaceFile(scorePath, utf8ToAnsi(score) + std::string(records::lineEnd));
    try {
        replaceFile(records::nameFile(recordDir_),
                    utf8ToAnsi(records::savableName(name)) + std::string(records::lineEnd));
    } catch (...) {
        // Both files or neither: the score goes back to what it was.
        replaceFile(scorePath, oldScore);
        throw;
    }
    return true;
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
