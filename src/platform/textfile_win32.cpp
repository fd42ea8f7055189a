// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/textfile.h"

#include "base/fatalerror.h"
#include "platform/win32/widetext.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

namespace {

constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

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

[[noreturn]] void fail(const std::string& what, const std::string& path, DWORD error)
{
    throw FatalError(what + " " + path + ": " + systemMessage(error));
}

[[noreturn]] void notRegular(const std::string& path)
{
    throw FatalError("Il file dei record " + path + " non è un file normale.");
}

class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle()
    {
        if (valid()) CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    HANDLE release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }

private:
    HANDLE handle_;
};

constexpr DWORD notPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;

// Opens the name itself: a reparse point (link, junction) is opened, never followed.
HANDLE openOwnName(const std::wstring& path, DWORD access, DWORD disposition, DWORD flags = 0)
{
    return CreateFileW(path.c_str(), access, shareAll, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT | flags, nullptr);
}

void requireRegular(HANDLE file, const std::string& path)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info))
        notRegular(path);
    if (info.dwFileAttributes & notPlain) notRegular(path);
}

void writeAll(HANDLE file, std::string_view text, const std::string& path)
{
    while (!text.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size(), 1 << 20));
        if (!WriteFile(file, text.data(), chunk, &written, nullptr))
            fail("Impossibile scrivere il file dei record", path, GetLastError());
        text.remove_prefix(written);
    }
}

} // namespace

std::string readWholeFile(const std::string& path, std::size_t maxBytes)
{
    Handle file(openOwnName(toWide(path), GENERIC_READ, OPEN_EXISTING));
    if (!file.valid()) fail("Impossibile aprire il file dei record", path, GetLastError());
    requireRegular(file.get(), path);

    std::string text;
    char buffer[4096];
    while (text.size() < maxBytes) {
        const DWORD wanted = static_cast<DWORD>(std::min(sizeof buffer, maxBytes - text.size()));
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, wanted, &got, nullptr))
            fail("Impossibile leggere il file dei record", path, GetLastError());
        if (got == 0) break;
        text.append(buffer, got);
    }
    return text;
}

void createIfMissing(const std::string& path)
{
    const std::wstring wide = toWide(path);
    Handle created(openOwnName(wide, GENERIC_WRITE, CREATE_NEW));
    if (created.valid()) return;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
        fail("Impossibile creare il file dei record", path, error);
    // Another copy of the game may have made it just now; either way it must be a file.
    Handle existing(
        openOwnName(wide, FILE_READ_ATTRIBUTES, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
    if (!existing.valid()) fail("Il file dei record non si può usare:", path, GetLastError());
    requireRegular(existing.get(), path);
}

bool regularFileAt(const std::string& path)
{
    Handle file(
        openOwnName(toWide(path), FILE_READ_ATTRIBUTES, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
    if (file.valid()) {
        requireRegular(file.get(), path);
        return true;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) fail("Il file dei record non si può usare:", path, error);
    return false;
}

bool somethingElseAt(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(toWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & notPlain);
}

bool readOnlyFileAt(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(toWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

void requireReplaceable(const std::string& path)
{
    Handle file(openOwnName(toWide(path), GENERIC_WRITE | DELETE, OPEN_ALWAYS));
    if (!file.valid()) fail("Impossibile scrivere il file dei record", path, GetLastError());
    requireRegular(file.get(), path);
}

void writeFlushed(const std::string& path, std::string_view text)
{
    Handle file(openOwnName(toWide(path), GENERIC_WRITE, OPEN_ALWAYS, FILE_FLAG_WRITE_THROUGH));
    if (!file.valid()) fail("Impossibile scrivere il file dei record", path, GetLastError());
    requireRegular(file.get(), path);
    if (!SetEndOfFile(file.get()))
        fail("Impossibile scrivere il file dei record", path, GetLastError());
    writeAll(file.get(), text, path);
    if (!FlushFileBuffers(file.get()))
        fail("Impossibile scrivere il file dei record", path, GetLastError());
}

void removeFile(const std::string& path)
{
    if (DeleteFileW(toWide(path).c_str())) return;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND)
        fail("Impossibile cancellare il file dei record", path, error);
}

void replaceFile(const std::string& path, std::string_view text)
{
    const std::wstring target = toWide(path);
    const std::wstring temporary = target + L"." + std::to_wstring(GetCurrentProcessId()) + L".new";
    {
        Handle file(openOwnName(temporary, GENERIC_WRITE, CREATE_ALWAYS, FILE_FLAG_WRITE_THROUGH));
        if (!file.valid()) fail("Impossibile scrivere il file dei record", path, GetLastError());
        try {
            writeAll(file.get(), text, path);
            if (!FlushFileBuffers(file.get()))
                fail("Impossibile scrivere il file dei record", path, GetLastError());
        } catch (...) {
            CloseHandle(file.release());
            DeleteFileW(temporary.c_str());
            throw;
        }
    }
    // Renaming replaces a link in the target's place; what it pointed to stays untouched.
    if (!MoveFileExW(temporary.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileW(temporary.c_str());
        fail("Impossibile sostituire il file dei record", path, error);
    }
}
