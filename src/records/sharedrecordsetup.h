// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "records/sharedrecordaccess.h"

#include <array>
#include <string>
#include <string_view>

// The record folder of an installed PC (%ProgramData%\Moltiplix), as the installer makes
// it: every file in it made here, never by the game, each with the access of
// sharedrecordaccess.h, so every player uses the one record and none can remove it.
namespace sharedrecord {

// The record, the lock every save takes (its content is the save's commit mark), and the
// spares a save writes first.
inline constexpr std::array<std::wstring_view, 5> fileNames{
    L"tavrec.txt", L"ntavrec.txt", L"tavrec.lck", L"tavrec.txt.new", L"ntavrec.txt.new"};

// Makes what is missing of the folder and its files, and gives all of them their access,
// every time. A record already there is kept; a save an earlier game was cut in after its
// commit is finished; anything else found there goes, links removed and never followed.
// While the folder holds no record yet, the one in oldFolder (the Windows directory,
// where games without an installer keep it) is carried over.
void prepare(const std::wstring& folder, const std::wstring& oldFolder,
             const AccessWriter& write = writeAccess);

// Deletes the folder with the record, and the record kept in oldFolder, so that a new
// install does not carry it back.
void remove(const std::wstring& folder, const std::wstring& oldFolder);

} // namespace sharedrecord
