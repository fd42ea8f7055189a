// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/textfile.h"

#include "base/fatalerror.h"
#include "platform/win32/widetext.h"

#include <algorithm>
#include <string>

namespace {

// What every player may do with the installer's record files. Write access with
// GENERIC_WRITE would also ask for FILE_WRITE_ATTRIBUTES and FILE_WRITE_EA, which players
// don't have there.
constexpr DWORD readRights = FILE_READ_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr DWORD writeRights = readRights | FILE_WRITE_DATA | FILE_APPEND_DATA;
constexpr DWORD notPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;

std::function<void(const FileOpening&)>& openingWatch()
{
    static std::function<void(const FileOpening&)> watch;
    return watch;
}

std::string systemMessage(DWORD error)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message(text ? text : L"", length);
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r'))
        message.pop_back();
    if (message.empty()) return "errore " + std::to_string(error);
    return toUtf8(message);
}

bool isBusy(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

[[noreturn]] void fail(const std::string& what, const std::string& path, DWORD error)
{
    if (isBusy(error)) throw FileBusy(path);
    throw FatalError(what + " " + path + ": " + systemMessage(error));
}

[[noreturn]] void notRegular(const std::string& path)
{
    throw FatalError("Il file dei record " + path + " non è un file normale.");
}

// Opens the name itself: a reparse point is opened, never followed.
HANDLE openOwnName(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                   DWORD flags = 0)
{
    flags |= FILE_FLAG_OPEN_REPARSE_POINT;
    if (const auto& watch = openingWatch()) watch({path, access, share, disposition, flags});
    return CreateFileW(toWide(path).c_str(), access, share, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL | flags, nullptr);
}

void requireRegular(HANDLE file, const std::string& path)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info))
        notRegular(path);
    if (info.dwFileAttributes & notPlain) notRegular(path);
}

OVERLAPPED at(std::uint64_t offset)
{
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(offset);
    position.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return position;
}

// Only whether something is there, and what: a name nothing is at gives no attributes.
DWORD attributesAt(const std::string& path)
{
    return GetFileAttributesW(toWide(path).c_str());
}

} // namespace

FileHandle::~FileHandle()
{
    if (valid()) CloseHandle(handle_);
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other) {
        if (valid()) CloseHandle(handle_);
        handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
    }
    return *this;
}

FileHandle openRecordFile(const std::string& path, FileUse use, IfMissing ifMissing)
{
    const DWORD access = use == FileUse::Read ? readRights : writeRights;
    // Other games open the lock file while one holds its lock.
    const DWORD share = use == FileUse::Lock ? FILE_SHARE_READ | FILE_SHARE_WRITE : FILE_SHARE_READ;
    const DWORD disposition = ifMissing == IfMissing::Create ? OPEN_ALWAYS : OPEN_EXISTING;
    const DWORD flags = use == FileUse::Read ? 0 : FILE_FLAG_WRITE_THROUGH;
    FileHandle file(openOwnName(path, access, share, disposition, flags));
    if (!file.valid()) fail("Impossibile aprire il file dei record", path, GetLastError());
    requireRegular(file.get(), path);
    return file;
}

std::string readOpenFile(const FileHandle& file, std::size_t maxBytes, const std::string& path)
{
    std::string text;
    char buffer[4096];
    while (text.size() < maxBytes) {
        const DWORD wanted = static_cast<DWORD>(std::min(sizeof buffer, maxBytes - text.size()));
        OVERLAPPED from = at(text.size());
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, wanted, &got, &from)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;
            fail("Impossibile leggere il file dei record", path, GetLastError());
        }
        if (got == 0) break;
        text.append(buffer, got);
    }
    return text;
}

void rewriteOpenFile(const FileHandle& file, std::string_view text, const std::string& path)
{
    std::uint64_t written = 0;
    while (written < text.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(text.size() - written, 1 << 20));
        OVERLAPPED to = at(written);
        DWORD done = 0;
        if (!WriteFile(file.get(), text.data() + written, chunk, &done, &to))
            fail("Impossibile scrivere il file dei record", path, GetLastError());
        written += done;
    }
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(written);
    if (!SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file.get()) ||
        !FlushFileBuffers(file.get()))
        fail("Impossibile scrivere il file dei record", path, GetLastError());
}

bool tryLockFile(const FileHandle& file, const std::string& path)
{
    OVERLAPPED firstByte{};
    if (LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                   &firstByte))
        return true;
    const DWORD error = GetLastError();
    if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) return false;
    fail("Impossibile bloccare il file dei record", path, error);
}

std::uint64_t sizeOfOpenFile(const FileHandle& file, const std::string& path)
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size))
        fail("Impossibile leggere il file dei record", path, GetLastError());
    return static_cast<std::uint64_t>(size.QuadPart);
}

std::uint64_t lastWriteOfOpenFile(const FileHandle& file, const std::string& path)
{
    FILETIME written{};
    if (!GetFileTime(file.get(), nullptr, nullptr, &written))
        fail("Impossibile leggere il file dei record", path, GetLastError());
    return (std::uint64_t(written.dwHighDateTime) << 32) | written.dwLowDateTime;
}

std::string readWholeFile(const std::string& path, std::size_t maxBytes)
{
    return readOpenFile(openRecordFile(path, FileUse::Read, IfMissing::Fail), maxBytes, path);
}

bool regularFileAt(const std::string& path)
{
    const DWORD attributes = attributesAt(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return false;
        fail("Il file dei record non si può usare:", path, error);
    }
    if (attributes & notPlain) notRegular(path);
    return true;
}

bool somethingElseAt(const std::string& path)
{
    const DWORD attributes = attributesAt(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & notPlain);
}

bool readOnlyFileAt(const std::string& path)
{
    const DWORD attributes = attributesAt(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

bool tryRemoveFile(const std::string& path)
{
    return DeleteFileW(toWide(path).c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

void watchFileOpenings(std::function<void(const FileOpening&)> watch)
{
    openingWatch() = std::move(watch);
}
