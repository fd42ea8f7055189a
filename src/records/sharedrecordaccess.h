// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Who may do what in the record folder of an installed PC. Players (BUILTIN\Users) read
// and rewrite the record files' contents and take the lock, and nothing more: they make,
// delete and rename no file there and change no attribute, so the record can't be wiped
// or swapped, and freezing it with read-only stays the administrators'.
namespace sharedrecord {

struct AccessRule {
    const wchar_t* sid; // as a string, "S-1-5-32-545"
    ACCESS_MASK mask;
    BYTE inheritance; // ACE flags
};

std::vector<AccessRule> folderAccess();
std::vector<AccessRule> fileAccess();
// For a folder a player made there, before it is emptied and removed: closed to players,
// so none can put a link in it meanwhile.
std::vector<AccessRule> closedAccess();

// Sets what is asked of the object open in handle (at path): SetSecurityInfo's arguments
// and result. The installer's is the system's; a test's also keeps what it was given,
// since Wine keeps no file's owner and access list to be read back.
using AccessWriter = std::function<DWORD(HANDLE object, const std::wstring& path,
                                         SECURITY_INFORMATION what, PSID owner, PACL access)>;
DWORD writeAccess(HANDLE object, const std::wstring& path, SECURITY_INFORMATION what, PSID owner,
                  PACL access);

// Makes Administrators the owner of the object open in handle and the rules its whole
// access list, nothing inherited from its folder. Failures are FatalErrors naming path.
void applyAccess(HANDLE object, const std::vector<AccessRule>& rules, const std::wstring& path,
                 const AccessWriter& write);

} // namespace sharedrecord
