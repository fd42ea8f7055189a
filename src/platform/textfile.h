// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

// Plain files of one line, as the record keeping needs them, named in UTF-8. Every
// failure is a FatalError naming the path. What both systems give comes first; then what
// each system's record store builds on. textfile_posix.cpp and textfile_win32.cpp
// implement it.

// Reads at most maxBytes of a regular file, never through a symbolic link (or another
// reparse point) at its name. Never blocks on a FIFO or a device.
std::string readWholeFile(const std::string& path, std::size_t maxBytes);

#ifdef _WIN32

#include <windows.h>

#include <cstdint>
#include <functional>
#include <stdexcept>

// Plain files of one line on Windows, named in UTF-8. A reparse point (link, junction) at
// a name is opened as itself, never followed, and is no plain file. Files are opened with
// only the rights every player has on the installer's record files: reading and writing
// their data, never deleting, renaming or changing their attributes; and they share
// reading, so a program that only reads them is never kept out. Every failure is a
// FatalError naming the path, except a file another program holds, which is FileBusy.

// Another program has the file open without sharing it, or locks a part of it: worth
// trying again in a moment.
class FileBusy : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file handle, closed on every path out.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~FileHandle();
    FileHandle(FileHandle&& other) noexcept
        : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE))
    {
    }
    FileHandle& operator=(FileHandle&& other) noexcept;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

enum class FileUse {
    Read,      // reading only
    ReadWrite, // a record file or spare, rewritten in place
    Lock,      // the lock file, which every game opens at once
};
enum class IfMissing { Fail, Create };

// Opens a plain file. A missing file is created only when asked (the installer's folder
// has every file already, and players may not add any).
FileHandle openRecordFile(const std::string& path, FileUse use, IfMissing ifMissing);

// Reads at most maxBytes of an open file, from its start.
std::string readOpenFile(const FileHandle& file, std::size_t maxBytes, const std::string& path);

// Makes an open file hold exactly text, written in place and flushed to the disk.
void rewriteOpenFile(const FileHandle& file, std::string_view text, const std::string& path);

// The lock every copy of the game takes on the lock file's first byte, taken without
// waiting: false when another program holds it. The system releases it if the game dies.
bool tryLockFile(const FileHandle& file, const std::string& path);

std::uint64_t sizeOfOpenFile(const FileHandle& file, const std::string& path);
// When the file's data were last written, in 100-nanosecond steps.
std::uint64_t lastWriteOfOpenFile(const FileHandle& file, const std::string& path);

// Whether a plain file is at path; anything else there is an error.
bool regularFileAt(const std::string& path);

// Whether a folder or reparse point is at path, asked without opening it: never an error.
bool somethingElseAt(const std::string& path);

// Whether the file at path has the read-only attribute.
bool readOnlyFileAt(const std::string& path);

// Removes the file (a link itself, never what it points to); false when it can't be.
bool tryRemoveFile(const std::string& path);

// What the record code asks of the system when it opens a file, for the tests to check:
// the rights, the sharing, the disposition and the flags of CreateFileW.
struct FileOpening {
    std::string path;
    DWORD access;
    DWORD share;
    DWORD disposition;
    DWORD flags;
};
void watchFileOpenings(std::function<void(const FileOpening&)> watch);

#else

// A file descriptor closed on every path out, errors included.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

private:
    int fd_;
};

[[noreturn]] void failOnFile(const std::string& what, const std::string& path, int error);

// Reads at most maxBytes of an open file from its start.
std::string readOpenFile(int fd, std::size_t maxBytes, const std::string& path);

// Makes an open file hold exactly text, flushed to disk unless told otherwise.
void rewriteOpenFile(int fd, std::string_view text, const std::string& path, bool flush = true);
void flushOpenFile(int fd, const std::string& path);

#endif
