// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/lockedrecordfolder.h"

#include "platform/win32/widetext.h"
#include "records/recordfiles.h"

namespace {

constexpr std::string_view lockName = "tavrec.lck";
// What earlier versions made once a save was committed, and removed after it.
constexpr std::string_view legacyMarkName = "tavrec.commit";
constexpr std::string_view committed = "1";

std::string text(std::string_view s)
{
    return std::string(s);
}

// Saves of earlier versions wrote tavrec.txt.<process>.new beside a record file and moved
// it in: one killed in between left it there.
bool isOldTemporary(std::wstring_view entry)
{
    for (std::wstring_view base : {L"tavrec.txt.", L"ntavrec.txt."}) {
        if (entry.size() <= base.size() + 4 || !entry.starts_with(base) ||
            !entry.ends_with(L".new"))
            continue;
        const std::wstring_view middle = entry.substr(base.size(), entry.size() - base.size() - 4);
        if (middle.find_first_not_of(L"0123456789") == std::wstring_view::npos) return true;
    }
    return false;
}

} // namespace

LockedRecordFolder::LockedRecordFolder(const std::string& directory, bool createsMissing)
    : directory_(records::withFinalSeparator(directory)),
      createsMissing_(createsMissing), recordFiles_{records::scoreFile(directory_),
                                                    records::nameFile(directory_)},
      spares_{recordFiles_[0] + ".new", recordFiles_[1] + ".new"},
      lock_(openRecordFile(pathOf(lockName), FileUse::Lock, ifMissing()))
{
    if (!tryLockFile(lock_, pathOf(lockName))) throw FileBusy(pathOf(lockName));
    finishOrForgetCutSave();
}

LockedRecordFolder::~LockedRecordFolder()
{
    OVERLAPPED firstByte{};
    UnlockFileEx(lock_.get(), 0, 1, 0, &firstByte);
}

IfMissing LockedRecordFolder::ifMissing() const
{
    return createsMissing_ ? IfMissing::Create : IfMissing::Fail;
}

std::string LockedRecordFolder::pathOf(std::string_view name) const
{
    return directory_ + text(name);
}

std::string LockedRecordFolder::readScore()
{
    return readOpenFile(openRecordFile(recordFiles_[0], FileUse::Read, ifMissing()),
                        records::readLimit, recordFiles_[0]);
}

std::string LockedRecordFolder::readName()
{
    return readOpenFile(openRecordFile(recordFiles_[1], FileUse::Read, ifMissing()),
                        records::readLimit, recordFiles_[1]);
}

bool LockedRecordFolder::frozen() const
{
    return readOnlyFileAt(recordFiles_[0]) || readOnlyFileAt(recordFiles_[1]);
}

void LockedRecordFolder::save(std::string_view scoreLine, std::string_view nameLine)
{
    // Every file is had before anything is written: a held one stops the save untouched.
    FileHandle records[2], spares[2];
    for (int i = 0; i < 2; ++i) {
        records[i] = openRecordFile(recordFiles_[i], FileUse::ReadWrite, ifMissing());
        spares[i] = openRecordFile(spares_[i], FileUse::ReadWrite, ifMissing());
    }
    const std::string_view lines[2] = {scoreLine, nameLine};
    for (int i = 0; i < 2; ++i)
        rewriteOpenFile(spares[i], lines[i], spares_[i]);
    rewriteOpenFile(lock_, committed, pathOf(lockName));
    try {
        for (int i = 0; i < 2; ++i)
            rewriteOpenFile(records[i], lines[i], recordFiles_[i]);
        rewriteOpenFile(lock_, "", pathOf(lockName));
    } catch (const FileBusy&) {
        // Another program locks part of a record file; the mark stays for the next game.
    }
}

void LockedRecordFolder::finishOrForgetCutSave()
{
    if (createsMissing_) removeOldTemporaries();
    const bool marked = sizeOfOpenFile(lock_, pathOf(lockName)) > 0;
    const bool legacy = legacyMarkApplies();
    if (!marked && !legacy) return;
    std::string lines[2];
    for (int i = 0; i < 2; ++i)
        lines[i] = readOpenFile(openRecordFile(spares_[i], FileUse::Read, IfMissing::Fail),
                                records::readLimit, spares_[i]);
    copyIntoRecords(lines);
    if (legacy) settleLegacyMark(lines);
    if (marked) rewriteOpenFile(lock_, "", pathOf(lockName));
}

void LockedRecordFolder::copyIntoRecords(const std::string (&lines)[2])
{
    for (int i = 0; i < 2; ++i)
        rewriteOpenFile(openRecordFile(recordFiles_[i], FileUse::ReadWrite, ifMissing()), lines[i],
                        recordFiles_[i]);
}

// An earlier version's mark was made after both spares were written and flushed, and
// the spares were deleted after it. Where it can't be deleted (the installer's folder),
// spares written after it are a later save's: the mark is not theirs.
bool LockedRecordFolder::legacyMarkApplies()
{
    const std::string mark = pathOf(legacyMarkName);
    if (!regularFileAt(mark)) return false;
    if (!regularFileAt(spares_[0]) || !regularFileAt(spares_[1])) return false;
    const auto writtenAt = [](const std::string& path) {
        return lastWriteOfOpenFile(openRecordFile(path, FileUse::Read, IfMissing::Fail), path);
    };
    const auto markedAt = writtenAt(mark);
    return markedAt >= writtenAt(spares_[0]) && markedAt >= writtenAt(spares_[1]);
}

void LockedRecordFolder::settleLegacyMark(const std::string (&lines)[2])
{
    if (createsMissing_ && tryRemoveFile(pathOf(legacyMarkName))) return;
    // The spares written again are newer than the mark, which then applies no more.
    for (int i = 0; i < 2; ++i)
        rewriteOpenFile(openRecordFile(spares_[i], FileUse::ReadWrite, IfMissing::Fail), lines[i],
                        spares_[i]);
}

void LockedRecordFolder::removeOldTemporaries() const
{
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(toWide(directory_ + "*.new").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (isOldTemporary(found.cFileName))
            DeleteFileW((toWide(directory_) + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}
