// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/textfile.h"

#include "base/fatalerror.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FileDescriptor::~FileDescriptor()
{
    if (fd_ >= 0) ::close(fd_);
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

void failOnFile(const std::string& what, const std::string& path, int error)
{
    throw FatalError(what + " " + path + ": " + std::strerror(error));
}

std::string readWholeFile(const std::string& path, std::size_t maxBytes)
{
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    FileDescriptor file(
        ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
    if (!file.valid()) failOnFile("Impossibile aprire il file dei record", path, errno);
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        failOnFile("Impossibile leggere il file dei record", path, errno);
    if (!S_ISREG(info.st_mode))
        throw FatalError("Il file dei record " + path + " non è un file normale.");
    return readOpenFile(file.get(), maxBytes, path);
}

std::string readOpenFile(int fd, std::size_t maxBytes, const std::string& path)
{
    std::string text;
    char buffer[4096];
    while (text.size() < maxBytes) {
        const std::size_t wanted = std::min(sizeof buffer, maxBytes - text.size());
        const ssize_t got = ::pread(fd, buffer, wanted, static_cast<off_t>(text.size()));
        if (got < 0) {
            if (errno == EINTR) continue;
            failOnFile("Impossibile leggere il file dei record", path, errno);
        }
        if (got == 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

void rewriteOpenFile(int fd, std::string_view text, const std::string& path, bool flush)
{
    off_t offset = 0;
    while (offset < static_cast<off_t>(text.size())) {
        const ssize_t written = ::pwrite(fd, text.data() + offset, text.size() - offset, offset);
        if (written < 0) {
            if (errno == EINTR) continue;
            failOnFile("Impossibile scrivere il file dei record", path, errno);
        }
        offset += written;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || (info.st_size > offset && ::ftruncate(fd, offset) != 0))
        failOnFile("Impossibile scrivere il file dei record", path, errno);
    if (flush) flushOpenFile(fd, path);
}

void flushOpenFile(int fd, const std::string& path)
{
    if (::fsync(fd) != 0) failOnFile("Impossibile scrivere il file dei record", path, errno);
}
