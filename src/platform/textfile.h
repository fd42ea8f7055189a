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

// Creates an empty file unless something is there already; what is there must be a
// regular file.
void createIfMissing(const std::string& path);

// Whether a regular file is at path; anything else there is an error.
bool regularFileAt(const std::string& path);

// Whether a folder or reparse point is at path, asked without opening it: never an error.
bool somethingElseAt(const std::string& path);

// Whether the file at path has the read-only attribute.
bool readOnlyFileAt(const std::string& path);

// Fails unless the file can be replaced: a regular file this player may write, made
// empty if missing. A save checks this before it commits to anything.
void requireReplaceable(const std::string& path);

// Writes text over the file in place (creating it), flushed to the disk when this returns.
void writeFlushed(const std::string& path, std::string_view text);

// Removes the file (a link itself, never what it points to); a missing one is no error.
void removeFile(const std::string& path);

// Replaces the file with text: written beside it, flushed and moved over it with
// write-through, so a crash leaves either the old or the new content.
void replaceFile(const std::string& path, std::string_view text);

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
