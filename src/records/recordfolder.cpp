// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/recordfolder.h"

#include "base/fatalerror.h"
#include "platform/waitscope.h"
#include "records/recordfiles.h"

#include <cerrno>
#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr std::string_view lockName = "tavrec.lock";
constexpr std::string_view scoreSpare = "tavrec.txt.new";
constexpr std::string_view nameSpare = "ntavrec.txt.new";
// Older keepers marked a commit with a file of this name, which was the saver's own.
constexpr std::string_view oldCommitMark = "tavrec.commit";
// What the lock file holds while the spares hold a committed save.
constexpr std::string_view committed = "1";
constexpr auto lockPatience = std::chrono::milliseconds(RecordFolder::lockPatienceMilliseconds);
constexpr auto lockRetry = std::chrono::milliseconds(20);

std::string text(std::string_view s)
{
    return std::string(s);
}

// Temporary files that saves of earlier versions left when they were killed.
bool isOldTemporary(std::string_view entry)
{
    for (std::string_view base : {records::scoreFileName, records::nameFileName}) {
        if (entry.size() == base.size() + 7 && entry.substr(0, base.size()) == base &&
            entry[base.size()] == '.')
            return true;
    }
    return false;
}

// A full disk must show itself before the commit, while the old pair is still whole.
// The size stays as it is: a kill now must leave the old line alone.
void reserveRoom(int fd, std::size_t bytes, const std::string& path)
{
#ifdef __linux__
    if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes)) != 0 &&
        (errno == ENOSPC || errno == EDQUOT))
        failOnFile("Impossibile scrivere il file dei record", path, errno);
#else
    (void)fd, (void)bytes, (void)path;
#endif
}

// A spare's line without its line end.
std::string spareLine(int fd, const std::string& path)
{
    std::string line = readOpenFile(fd, records::readLimit, path);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return line;
}

bool isFrozen(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

} // namespace

RecordFolder::RecordFolder(std::string path, mode_t recordMode, mode_t memberMode, Waiting* waiting)
    : path_(std::move(path)), recordMode_(recordMode), memberMode_(memberMode), waiting_(waiting)
{
    directory_ = FileDescriptor(::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!directory_.valid()) failOnFile("Impossibile aprire la cartella dei record", path_, errno);
    struct stat info {};
    if (::fstat(directory_.get(), &info) != 0)
        failOnFile("Impossibile aprire la cartella dei record", path_, errno);
    owner_ = info.st_uid;
    // Anyone could plant files in such a directory; a sticky bit only keeps them from
    // removing others' files, not from making the ones the keeper would trust.
    if (info.st_mode & S_IWOTH)
        throw FatalError("La cartella dei record " + path_ + " è scrivibile da chiunque.");
}

std::string RecordFolder::pathOf(std::string_view name) const
{
    return records::withFinalSeparator(path_) + text(name);
}

void RecordFolder::flushDirectory() const
{
    if (::fsync(directory_.get()) != 0)
        failOnFile("Impossibile scrivere la cartella dei record", path_, errno);
}

void RecordFolder::createMissing()
{
    const std::pair<std::string_view, mode_t> members[] = {{lockName, memberMode_},
                                                           {scoreSpare, memberMode_},
                                                           {nameSpare, memberMode_},
                                                           {records::scoreFileName, recordMode_},
                                                           {records::nameFileName, recordMode_}};
    for (const auto& [name, mode] : members) {
        const std::string file = text(name);
        struct stat info {};
        if (::fstatat(directory_.get(), file.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
            openMember(name, O_RDONLY); // says what is wrong with it, if anything
            continue;
        }
        if (errno != ENOENT)
            failOnFile("Impossibile usare il file dei record", pathOf(name), errno);
        if (::getuid() != owner_)
            throw FatalError("Manca il file dei record " + pathOf(name) + ".");
        FileDescriptor made(::openat(directory_.get(), file.c_str(),
                                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
        if (!made.valid()) {
            if (errno == EEXIST) continue; // another game made it just now
            failOnFile("Impossibile creare il file dei record", pathOf(name), errno);
        }
        if (::fchmod(made.get(), mode) != 0) // the umask must not change it
            failOnFile("Impossibile creare il file dei record", pathOf(name), errno);
    }
}

FileDescriptor RecordFolder::openMember(std::string_view name, int flags) const
{
    const std::string file = text(name);
    FileDescriptor member(::openat(directory_.get(), file.c_str(),
                                   flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!member.valid()) failOnFile("Impossibile aprire il file dei record", pathOf(name), errno);
    struct stat info {};
    if (::fstat(member.get(), &info) != 0)
        failOnFile("Impossibile aprire il file dei record", pathOf(name), errno);
    if (!S_ISREG(info.st_mode))
        throw FatalError("Il file dei record " + pathOf(name) + " non è un file normale.");
    if (info.st_uid != owner_)
        throw FatalError("Il file dei record " + pathOf(name) +
                         " non è del proprietario della cartella.");
    // A second name could be a link to some other file of the owner's.
    if (info.st_nlink != 1)
        throw FatalError("Il file dei record " + pathOf(name) + " ha più di un nome.");
    return member;
}

FileDescriptor RecordFolder::lock()
{
    FileDescriptor held = openMember(lockName, O_RDWR);
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    WaitScope wait(waiting_);
    const auto giveUp = std::chrono::steady_clock::now() + lockPatience;
    while (::fcntl(held.get(), F_SETLK, &whole) != 0) {
        if (errno != EACCES && errno != EAGAIN && errno != EINTR)
            failOnFile("Impossibile bloccare il file dei record", pathOf(lockName), errno);
        if (std::chrono::steady_clock::now() > giveUp)
            throw HeldRecord("Il record in " + path_ + " è occupato da troppo tempo.");
        wait.still();
        std::this_thread::sleep_for(lockRetry);
    }
    finishOrForgetCutSave(held.get());
    return held;
}

// Both spares were whole and flushed before the mark was set; without it they may be
// half-written, and are ignored.
void RecordFolder::finishOrForgetCutSave(int lockFile)
{
    const std::string oldMark = text(oldCommitMark);
    struct stat info {};
    const bool oldMarked =
        ::fstatat(directory_.get(), oldMark.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
    // Anything but the plain file an old save made is no mark.
    if (oldMarked && !S_ISREG(info.st_mode))
        throw FatalError("Il file dei record " + pathOf(oldCommitMark) + " non è un file normale.");
    // An old save always wrote its score before its mark: a mark over no score was planted.
    const bool plantedMark =
        oldMarked && !records::isSavableScore(
                         spareLine(openMember(scoreSpare, O_RDONLY).get(), pathOf(scoreSpare)));
    if (plantedMark) {
        if (::unlinkat(directory_.get(), oldMark.c_str(), 0) != 0)
            failOnFile("Impossibile scrivere il file dei record", pathOf(oldCommitMark), errno);
    } else if (oldMarked || !readOpenFile(lockFile, 1, pathOf(lockName)).empty()) {
        for (auto [spare, record] : {std::pair{scoreSpare, records::scoreFileName},
                                     std::pair{nameSpare, records::nameFileName}}) {
            const std::string line =
                readOpenFile(openMember(spare, O_RDONLY).get(), records::readLimit, pathOf(spare));
            rewriteOpenFile(openMember(record, O_RDWR).get(), line, pathOf(record));
        }
        rewriteOpenFile(lockFile, "", pathOf(lockName));
        if (oldMarked) {
            if (::unlinkat(directory_.get(), oldMark.c_str(), 0) != 0)
                failOnFile("Impossibile scrivere il file dei record", pathOf(oldCommitMark), errno);
            flushDirectory();
        }
    }

    const int listed = ::openat(directory_.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listed < 0) return;
    DIR* listing = ::fdopendir(listed);
    if (!listing) {
        ::close(listed);
        return;
    }
    while (const dirent* entry = ::readdir(listing)) {
        if (isOldTemporary(entry->d_name)) ::unlinkat(directory_.get(), entry->d_name, 0);
    }
    ::closedir(listing);
}

StoredRecord RecordFolder::readRecord() const
{
    StoredRecord record;
    for (auto [name, into] : {std::pair{records::scoreFileName, &record.score},
                              std::pair{records::nameFileName, &record.name}}) {
        *into = records::recordText(
            readOpenFile(openMember(name, O_RDONLY).get(), records::readLimit + 3, pathOf(name)));
    }
    return record;
}

StoredRecord RecordFolder::read()
{
    const FileDescriptor held = lock();
    return readRecord();
}

RecordFolder::Outcome RecordFolder::saveIfBeaten(std::string_view score, std::string_view name)
{
    FileDescriptor held;
    try {
        held = lock();
    } catch (const HeldRecord&) {
        return Outcome::Held;
    }
    FileDescriptor records[2];
    const std::string_view recordNames[2] = {records::scoreFileName, records::nameFileName};
    for (int i = 0; i < 2; ++i) {
        const std::string file = text(recordNames[i]);
        struct stat info {};
        if (::fstatat(directory_.get(), file.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0)
            return Outcome::Frozen;
        const int fd =
            ::openat(directory_.get(), file.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0 && isFrozen(errno)) return Outcome::Frozen;
        if (fd >= 0) ::close(fd);
        records[i] = openMember(recordNames[i], O_RDWR);
    }

    const std::string current = records::recordText(
        readOpenFile(records[0].get(), records::readLimit + 3, pathOf(recordNames[0])));
    if (!records::recordBeaten(current, score)) return Outcome::NotBeaten;

    commit(held.get(), records,
           {text(score) + text(records::lineEnd), text(name) + text(records::lineEnd)});
    return Outcome::Saved;
}

void RecordFolder::handOver(const std::function<bool(const StoredRecord&)>& take)
{
    const FileDescriptor held = lock();
    StoredRecord record = readRecord();
    for (std::string* line : {&record.score, &record.name}) {
        while (!line->empty() && (line->back() == '\n' || line->back() == '\r'))
            line->pop_back();
    }
    if (!take(record)) return;
    const FileDescriptor records[2] = {openMember(records::scoreFileName, O_RDWR),
                                       openMember(records::nameFileName, O_RDWR)};
    commit(held.get(), records, {std::string(), std::string()});
}

// The lines go to the flushed spares first, then the lock file is marked, and only then
// are the record files rewritten: a kill at any moment leaves the old pair, or a mark the
// next holder of the lock finishes from the spares. The mark is in the lock file, made at
// install, so a save never makes a file of the player who runs it.
void RecordFolder::commit(int lockFile, const FileDescriptor (&records)[2],
                          const std::string (&lines)[2])
{
    const std::string_view recordNames[2] = {records::scoreFileName, records::nameFileName};
    const std::string_view spares[2] = {scoreSpare, nameSpare};
    for (int i = 0; i < 2; ++i) {
        rewriteOpenFile(openMember(spares[i], O_RDWR).get(), lines[i], pathOf(spares[i]));
        reserveRoom(records[i].get(), lines[i].size(), pathOf(recordNames[i]));
    }
    rewriteOpenFile(lockFile, committed, pathOf(lockName));

    // The two files are rewritten back to back, score first, and flushed after.
    for (int i = 0; i < 2; ++i)
        rewriteOpenFile(records[i].get(), lines[i], pathOf(recordNames[i]), false);
    for (int i = 0; i < 2; ++i)
        flushOpenFile(records[i].get(), pathOf(recordNames[i]));
    rewriteOpenFile(lockFile, "", pathOf(lockName));
}
