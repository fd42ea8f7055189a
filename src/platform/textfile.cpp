#include "platform/textfile.h"

#include "game/fatalerror.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr mode_t sharedFileMode = 0666;

[[noreturn]] void fail(const std::string& what, const std::string& path, int error)
{
    throw FatalError(what + " " + path + ": " + std::strerror(error));
}

// Closes on every path out, errors included.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

void requireRegular(int fd, const std::string& path)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0) fail("Impossibile leggere il file dei record", path, errno);
    if (!S_ISREG(info.st_mode))
        throw FatalError("Il file dei record " + path + " non è un file normale.");
}

void writeAll(int fd, std::string_view text, const std::string& path)
{
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            fail("Impossibile scrivere il file dei record", path, errno);
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

std::string directoryOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

std::string readWholeFile(const std::string& path, std::size_t maxBytes)
{
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) fail("Impossibile aprire il file dei record", path, errno);
    requireRegular(file.get(), path);

    std::string text;
    char buffer[4096];
    while (text.size() < maxBytes) {
        const std::size_t wanted = std::min(sizeof buffer, maxBytes - text.size());
        const ssize_t got = ::read(file.get(), buffer, wanted);
        if (got < 0) {
            if (errno == EINTR) continue;
            fail("Impossibile leggere il file dei record", path, errno);
        }
        if (got == 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

void createIfMissing(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        if (::stat(path.c_str(), &info) != 0)
            fail("Il file dei record non si può usare:", path, errno);
        if (!S_ISREG(info.st_mode))
            throw FatalError("Il file dei record " + path + " non è un file normale.");
        return;
    }
    if (errno != ENOENT) fail("Impossibile usare il file dei record", path, errno);

    Descriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, sharedFileMode));
    if (file.get() < 0) {
        if (errno == EEXIST) // another copy of the game made it just now
            return;
        fail("Impossibile creare il file dei record", path, errno);
    }
    ::fchmod(file.get(), sharedFileMode); // the umask must not make it private
    if (::close(file.release()) != 0) fail("Impossibile creare il file dei record", path, errno);
}

void replaceFile(const std::string& path, std::string_view text)
{
    std::string temporary = path + ".XXXXXX";
    Descriptor file(::mkstemp(temporary.data()));
    if (file.get() < 0) fail("Impossibile scrivere il file dei record", path, errno);

    auto discard = [&](const char* what) {
        const int error = errno;
        ::unlink(temporary.c_str());
        fail(what, path, error);
    };
    try {
        writeAll(file.get(), text, path);
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
    if (::fchmod(file.get(), sharedFileMode) != 0 || ::fsync(file.get()) != 0)
        discard("Impossibile scrivere il file dei record");
    if (::close(file.release()) != 0) discard("Impossibile scrivere il file dei record");
    if (::rename(temporary.c_str(), path.c_str()) != 0)
        discard("Impossibile sostituire il file dei record");

    Descriptor directory(::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0) ::fsync(directory.get()); // makes the rename itself durable
}
