// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/tempdir.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <filesystem>
#include <memory>
#include <string>

// The record folder as the installer makes it, with the permissions it gives: Users may
// list the folder and read it, but add nothing to it nor delete from it; on each of its
// five files they may read and write the data and read the rest, nothing more.
// Administrators and SYSTEM have full control. Wine keeps no such permissions and enforces
// none, so what a player may do is asked of AccessCheck, with a token in Users alone.

inline constexpr DWORD playersFolderRights = FILE_LIST_DIRECTORY | FILE_TRAVERSE |
                                             FILE_READ_ATTRIBUTES | FILE_READ_EA | READ_CONTROL |
                                             SYNCHRONIZE;
inline constexpr DWORD playersFileRights = FILE_READ_DATA | FILE_WRITE_DATA | FILE_APPEND_DATA |
                                           FILE_READ_ATTRIBUTES | FILE_READ_EA | READ_CONTROL |
                                           SYNCHRONIZE;
inline constexpr const char* installersFiles[] = {"tavrec.txt", "ntavrec.txt", "tavrec.lck",
                                                  "tavrec.txt.new", "ntavrec.txt.new"};

// A protected DACL (nothing inherited): full control for SYSTEM and Administrators,
// playersRights for Users. Owned by Administrators, so a player has no owner's rights.
class InstallersSecurity {
public:
    explicit InstallersSecurity(DWORD playersRights)
    {
        wchar_t sddl[96];
        std::swprintf(sddl, 96, L"O:BAG:SYD:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x%lx;;;BU)",
                      static_cast<unsigned long>(playersRights));
        EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                                         &descriptor_, nullptr));
    }
    ~InstallersSecurity() { LocalFree(descriptor_); }
    InstallersSecurity(const InstallersSecurity&) = delete;
    InstallersSecurity& operator=(const InstallersSecurity&) = delete;

    void applyTo(const std::filesystem::path& path) const
    {
        BOOL present = FALSE, defaulted = FALSE;
        PACL dacl = nullptr;
        GetSecurityDescriptorDacl(descriptor_, &present, &dacl, &defaulted);
        std::wstring name = path.wstring();
        EXPECT_EQ(
            SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                                  DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                  nullptr, nullptr, dacl, nullptr),
            DWORD(ERROR_SUCCESS))
            << path;
    }

    // Whether a player, in Users and not in Administrators, is granted access.
    bool playerMay(DWORD access) const
    {
        GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                                FILE_ALL_ACCESS};
        MapGenericMask(&access, &mapping);
        PRIVILEGE_SET privileges{};
        DWORD privilegesSize = sizeof privileges, granted = 0;
        BOOL allowed = FALSE;
        const HANDLE player = playerToken();
        const bool asked = AccessCheck(descriptor_, player, access, &mapping, &privileges,
                                       &privilegesSize, &granted, &allowed);
        CloseHandle(player);
        EXPECT_TRUE(asked);
        return asked && allowed;
    }

private:
    // This process's token with Administrators for denying only: what is left is Users.
    static HANDLE playerToken()
    {
        HANDLE own = nullptr, restricted = nullptr, player = nullptr;
        OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &own);
        BYTE administrators[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof administrators;
        CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size);
        SID_AND_ATTRIBUTES denyOnly{administrators, 0};
        CreateRestrictedToken(own, 0, 1, &denyOnly, 0, nullptr, 0, nullptr, &restricted);
        DuplicateToken(restricted, SecurityImpersonation, &player);
        CloseHandle(restricted);
        CloseHandle(own);
        return player;
    }

    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
};

inline const InstallersSecurity& installersFolderSecurity()
{
    static const InstallersSecurity security(playersFolderRights);
    return security;
}

inline const InstallersSecurity& installersFileSecurity()
{
    static const InstallersSecurity security(playersFileRights);
    return security;
}

// The five files, empty, and the permissions on them and on the folder.
inline void makeAsInstaller(const std::filesystem::path& folder)
{
    for (const char* name : installersFiles) {
        writeBytes(folder / name, "");
        installersFileSecurity().applyTo(folder / name);
    }
    installersFolderSecurity().applyTo(folder);
}

// The lock of the folder's lock file, held through a handle of its own as another program
// holds it; with waits false, null if another holds it now.
inline std::shared_ptr<void> lockOf(const std::filesystem::path& folder, bool waits = true)
{
    const HANDLE file =
        CreateFileW((folder / "tavrec.lck").wstring().c_str(), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
    OVERLAPPED whole{};
    const DWORD how = LOCKFILE_EXCLUSIVE_LOCK | (waits ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
    if (file != INVALID_HANDLE_VALUE && LockFileEx(file, how, 0, 1, 0, &whole))
        return {file, CloseHandle};
    EXPECT_FALSE(waits) << "no lock in " << folder;
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return nullptr;
}
