// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/sharedrecordsetup.h"

#include "base/fatalerror.h"
#include "platform/textfile.h"
#include "platform/win32/widetext.h"
#include "records/recordfiles.h"
#include "records/sharedrecordaccess.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace sharedrecord {

namespace {

// Left by games that kept the record before the installer made it.
constexpr std::wstring_view oldCommitMark = L"tavrec.commit";

std::wstring in(const std::wstring& folder, std::wstring_view name)
{
    return folder + L"\\" + std::wstring(name);
}

bool isOurs(std::wstring_view name)
{
    return std::find(fileNames.begin(), fileNames.end(), name) != fileNames.end();
}

DWORD attributesOf(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str());
}

bool isPlainFile(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

// Opened to change its owner and access, never through a link: the folder must be a
// folder, a file a plain file.
HANDLE openForAccess(const std::wstring& path, bool folder)
{
    const HANDLE object = CreateFileW(
        path.c_str(), READ_CONTROL | WRITE_DAC | WRITE_OWNER, FILE_SHARE_READ | FILE_SHARE_WRITE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (object == INVALID_HANDLE_VALUE)
        throw FatalError("Impossibile aprire " + toUtf8(path) + " (errore " +
                         std::to_string(GetLastError()) + ").");
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(object, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        bool(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != folder) {
        CloseHandle(object);
        throw FatalError(toUtf8(path) + " è cambiato mentre lo si preparava.");
    }
    return object;
}

void giveAccess(const std::wstring& path, bool folder, const std::vector<AccessRule>& rules,
                const AccessWriter& write)
{
    const HANDLE object = openForAccess(path, folder);
    try {
        applyAccess(object, rules, path, write);
    } catch (...) {
        CloseHandle(object);
        throw;
    }
    CloseHandle(object);
}

// A link or junction goes itself, never what it leads to; a folder with all it holds,
// closed to its maker first, who could otherwise swap a folder in it for a junction to
// someone's files between our look and our descent.
bool removeEntry(const std::wstring& path)
{
    const DWORD attributes = attributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
    const bool folder = attributes & FILE_ATTRIBUTE_DIRECTORY;
    if (folder && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        try {
            giveAccess(path, true, closedAccess(), writeAccess);
        } catch (const FatalError&) {
            return false;
        }
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring_view name = found.cFileName;
                if (name != L"." && name != L"..") removeEntry(in(path, name));
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
    }
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    return folder ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str());
}

void removeOrFail(const std::wstring& path)
{
    if (!removeEntry(path))
        throw FatalError("Impossibile togliere " + toUtf8(path) + " dalla cartella dei record.");
}

void makeFolder(const std::wstring& folder, const AccessWriter& write)
{
    const DWORD attributes = attributesOf(folder);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)))
        removeOrFail(folder);
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        throw FatalError("Impossibile creare la cartella dei record " + toUtf8(folder) + ".");
    giveAccess(folder, true, folderAccess(), write);
}

std::string readRecordFile(const std::wstring& path)
{
    return readWholeFile(toUtf8(path), records::readLimit);
}

void writeFlushed(const std::wstring& path, std::string_view text)
{
    const std::string name = toUtf8(path);
    rewriteOpenFile(openRecordFile(name, FileUse::ReadWrite, IfMissing::Create), text, name);
}

// Both spares were whole before an earlier game made its commit mark; without both, and
// both record files, the old pair stays whole.
void finishOldCutSave(const std::wstring& folder)
{
    if (!isPlainFile(attributesOf(in(folder, oldCommitMark)))) return;
    bool whole = true;
    for (int i = 0; i < 4; ++i)
        whole = whole && isPlainFile(attributesOf(in(folder, fileNames[i < 2 ? i : i + 1])));
    if (whole) {
        for (int i = 0; i < 2; ++i)
            writeFlushed(in(folder, fileNames[i]), readRecordFile(in(folder, fileNames[3 + i])));
    }
    removeOrFail(in(folder, oldCommitMark));
}

void removeStrays(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring_view name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = in(folder, name);
        const bool plain = isPlainFile(found.dwFileAttributes);
        if ((!isOurs(name) || !plain) && !removeEntry(path))
            std::fprintf(stderr, "moltiplix-record: impossibile togliere %s\n",
                         toUtf8(path).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

bool holdsRecord(const std::wstring& folder)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const std::wstring score = in(folder, fileNames[0]);
    return GetFileAttributesExW(score.c_str(), GetFileExInfoStandard, &data) &&
           isPlainFile(data.dwFileAttributes) && (data.nFileSizeLow || data.nFileSizeHigh);
}

void carryOver(const std::wstring& folder, const std::wstring& oldFolder)
{
    if (holdsRecord(folder) || !holdsRecord(oldFolder)) return;
    for (int i = 0; i < 2; ++i) {
        const std::wstring old = in(oldFolder, fileNames[i]);
        const std::string line = isPlainFile(attributesOf(old)) ? readRecordFile(old) : "";
        writeFlushed(in(folder, fileNames[i]), line);
    }
}

void makeFile(const std::wstring& path)
{
    const HANDLE made = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (made != INVALID_HANDLE_VALUE)
        CloseHandle(made);
    else if (GetLastError() != ERROR_FILE_EXISTS)
        throw FatalError("Impossibile creare il file dei record " + toUtf8(path) + ".");
}

} // namespace

void prepare(const std::wstring& folder, const std::wstring& oldFolder, const AccessWriter& write)
{
    // Closed first, so no player changes anything in it while it is put in order.
    makeFolder(folder, write);
    finishOldCutSave(folder);
    removeStrays(folder);
    carryOver(folder, oldFolder);
    for (std::wstring_view name : fileNames) {
        const std::wstring path = in(folder, name);
        makeFile(path);
        giveAccess(path, false, fileAccess(), write);
    }
}

void remove(const std::wstring& folder, const std::wstring& oldFolder)
{
    const DWORD attributes = attributesOf(folder);
    if (attributes != INVALID_FILE_ATTRIBUTES) removeOrFail(folder);
    // Files only: the Windows directory is the system's.
    for (std::wstring_view name : fileNames)
        DeleteFileW(in(oldFolder, name).c_str());
    DeleteFileW(in(oldFolder, oldCommitMark).c_str());
}

} // namespace sharedrecord
