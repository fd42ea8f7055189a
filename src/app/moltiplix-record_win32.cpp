// SPDX-License-Identifier: GPL-3.0-or-later
// The record folder of an installed PC, made and removed by the installer (it runs this
// program as SYSTEM): "create" makes %ProgramData%\Moltiplix and its files with their
// access, "remove" deletes them and the record kept in the Windows directory.
#include "base/fatalerror.h"
#include "records/sharedrecordsetup.h"

#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace {

// As SYSTEM, to take back the files and folder a player owned, and change their access
// whatever it says.
void enablePrivileges()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return;
    for (const wchar_t* name : {SE_TAKE_OWNERSHIP_NAME, SE_RESTORE_NAME, SE_BACKUP_NAME}) {
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid))
            AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    }
    CloseHandle(token);
}

std::wstring recordFolder()
{
    wchar_t* path = nullptr;
    std::wstring folder;
    if (SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &path) == S_OK)
        folder = std::wstring(path) + L"\\Moltiplix";
    CoTaskMemFree(path);
    if (folder.empty()) throw FatalError("Cartella ProgramData non trovata.");
    return folder;
}

std::wstring windowsFolder()
{
    wchar_t path[MAX_PATH];
    const UINT n = GetWindowsDirectoryW(path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) throw FatalError("Cartella di Windows non trovata.");
    return std::wstring(path, n);
}

} // namespace

int wmain(int argc, wchar_t* argv[])
{
    const std::wstring_view job = argc == 2 ? argv[1] : L"";
    if (job != L"create" && job != L"remove") {
        std::fputs("uso: moltiplix-record create | remove\n", stderr);
        return 2;
    }
    try {
        enablePrivileges();
        if (job == L"create")
            sharedrecord::prepare(recordFolder(), windowsFolder());
        else
            sharedrecord::remove(recordFolder(), windowsFolder());
    } catch (const FatalError& error) {
        std::fprintf(stderr, "moltiplix-record: %s\n", error.what());
        return 1;
    }
    return 0;
}
