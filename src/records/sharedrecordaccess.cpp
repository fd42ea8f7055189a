// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/sharedrecordaccess.h"

#include "base/fatalerror.h"
#include "platform/win32/widetext.h"

#include <aclapi.h>
#include <sddl.h>

#include <memory>

namespace sharedrecord {

namespace {

constexpr const wchar_t* users = L"S-1-5-32-545";
constexpr const wchar_t* administrators = L"S-1-5-32-544";
constexpr const wchar_t* localSystem = L"S-1-5-18";
// What everything in the folder inherits: its files, and anything an administrator adds.
constexpr BYTE toFilesAndFolders = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;

using Sid = std::unique_ptr<void, decltype(&LocalFree)>;

Sid sidOf(const wchar_t* text)
{
    PSID sid = nullptr;
    if (!ConvertStringSidToSidW(text, &sid)) throw FatalError("SID non valido: " + toUtf8(text));
    return Sid(sid, &LocalFree);
}

void fail(const std::string& what, const std::wstring& path, DWORD error)
{
    throw FatalError(what + " " + toUtf8(path) + " (errore " + std::to_string(error) + ").");
}

} // namespace

std::vector<AccessRule> folderAccess()
{
    return {{users,
             FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_READ_EA | READ_CONTROL |
                 FILE_TRAVERSE | SYNCHRONIZE,
             0},
            {administrators, FILE_ALL_ACCESS, toFilesAndFolders},
            {localSystem, FILE_ALL_ACCESS, toFilesAndFolders}};
}

std::vector<AccessRule> fileAccess()
{
    return {{users,
             FILE_READ_DATA | FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_READ_ATTRIBUTES |
                 FILE_READ_EA | READ_CONTROL | SYNCHRONIZE,
             0},
            {administrators, FILE_ALL_ACCESS, 0},
            {localSystem, FILE_ALL_ACCESS, 0}};
}

std::vector<AccessRule> closedAccess()
{
    return {{administrators, FILE_ALL_ACCESS, 0}, {localSystem, FILE_ALL_ACCESS, 0}};
}

DWORD writeAccess(HANDLE object, const std::wstring&, SECURITY_INFORMATION what, PSID owner,
                  PACL access)
{
    return SetSecurityInfo(object, SE_FILE_OBJECT, what, owner, nullptr, access, nullptr);
}

void applyAccess(HANDLE object, const std::vector<AccessRule>& rules, const std::wstring& path,
                 const AccessWriter& write)
{
    std::vector<Sid> sids;
    DWORD size = sizeof(ACL);
    for (const AccessRule& rule : rules) {
        sids.push_back(sidOf(rule.sid));
        size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sids.back().get());
    }
    std::vector<DWORD> storage((size + sizeof(DWORD) - 1) / sizeof(DWORD));
    auto* acl = reinterpret_cast<ACL*>(storage.data());
    if (!InitializeAcl(acl, size, ACL_REVISION))
        fail("Impossibile preparare", path, GetLastError());
    for (std::size_t i = 0; i < rules.size(); ++i) {
        if (!AddAccessAllowedAceEx(acl, ACL_REVISION, rules[i].inheritance, rules[i].mask,
                                   sids[i].get()))
            fail("Impossibile preparare", path, GetLastError());
    }
    // A player who owned a folder or file of an earlier install could give the rights
    // back to themselves: the owner may always change the access list.
    const Sid owner = sidOf(administrators);
    const DWORD error = write(object, path,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                  PROTECTED_DACL_SECURITY_INFORMATION,
                              owner.get(), acl);
    if (error != ERROR_SUCCESS) fail("Impossibile dare i permessi a", path, error);
}

} // namespace sharedrecord
