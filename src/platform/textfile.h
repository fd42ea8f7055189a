// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

// Plain files of one line, as the record keeping needs them. Every failure is a
// FatalError naming the path.

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

// Reads at most maxBytes of a regular file, never through a symbolic link at its name.
// Never blocks on a FIFO or a device.
std::string readWholeFile(const std::string& path, std::size_t maxBytes);

// Reads at most maxBytes of an open file from its start.
std::string readOpenFile(int fd, std::size_t maxBytes, const std::string& path);

// Makes an open file hold exactly text, flushed to disk unless told otherwise.
void rewriteOpenFile(int fd, std::string_view text, const std::string& path, bool flush = true);
void flushOpenFile(int fd, const std::string& path);
