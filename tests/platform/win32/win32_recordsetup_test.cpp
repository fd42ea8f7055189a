// SPDX-License-Identifier: GPL-3.0-or-later
// The record folder the installer prepares, read back as Windows keeps it: owner, access
// list and its flags, against the rights installers_folder.h gives a player and the
// documented values of the Windows SDK's constants.
#include "installers_folder.h"
#include "records/sharedrecordsetup.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <map>
#include <set>

namespace fs = std::filesystem;

namespace {

struct Ace {
    ACCESS_MASK mask;
    BYTE flags;
    bool operator==(const Ace&) const = default;
};

struct Access {
    std::wstring owner;
    bool isProtected = false;
    std::map<std::wstring, Ace> allowed; // by SID
    int others = 0;                      // denying ACEs, or more than one per SID
};

std::wstring text(PSID sid)
{
    wchar_t* s = nullptr;
    if (!ConvertSidToStringSidW(sid, &s)) return L"?";
    std::wstring result = s;
    LocalFree(s);
    return result;
}

Access decode(SECURITY_INFORMATION what, PSID owner, PACL dacl)
{
    Access access;
    EXPECT_EQ(what & 0x5, 0x5u) << "OWNER_ and DACL_SECURITY_INFORMATION";
    access.owner = text(owner);
    access.isProtected = what & 0x80000000; // PROTECTED_DACL_SECURITY_INFORMATION
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        void* raw = nullptr;
        if (!GetAce(dacl, i, &raw)) ADD_FAILURE() << "ACE " << i << " unreadable";
        const auto* header = static_cast<ACE_HEADER*>(raw);
        const auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(raw);
        const std::wstring sid = text(const_cast<DWORD*>(&ace->SidStart));
        if (header->AceType != 0 /* ACCESS_ALLOWED_ACE_TYPE */ || access.allowed.count(sid))
            ++access.others;
        else
            access.allowed[sid] = {ace->Mask, header->AceFlags};
    }
    return access;
}

// What the installer gives the system for each folder and file, passed on to the system.
// Wine takes it but keeps no file's owner and access list (GetNamedSecurityInfoW gives
// back one made from the Unix mode), so it is read here, through the same Windows API.
class AccessRecorder {
public:
    sharedrecord::AccessWriter writer()
    {
        return [this](HANDLE object, const std::wstring& path, SECURITY_INFORMATION what,
                      PSID owner, PACL dacl) {
            const DWORD error = sharedrecord::writeAccess(object, path, what, owner, dacl);
            EXPECT_EQ(error, DWORD(ERROR_SUCCESS)) << fs::path(path);
            written_[key(path)] = decode(what, owner, dacl);
            return error;
        };
    }
    Access of(const fs::path& path) const
    {
        const auto found = written_.find(key(path));
        if (found == written_.end()) ADD_FAILURE() << "no access given to " << path;
        return found == written_.end() ? Access{} : found->second;
    }
    void clear() { written_.clear(); }

private:
    static std::wstring key(const fs::path& path) { return path.lexically_normal().wstring(); }
    std::map<std::wstring, Access> written_;
};

void PrintTo(const Ace& ace, std::ostream* out)
{
    *out << std::hex << "mask 0x" << ace.mask << " flags 0x" << int(ace.flags);
}

// winnt.h's documented values, lest the headers the program is built with be wrong too.
static_assert(playersFolderRights == 0x1200A9 && playersFileRights == 0x12008F &&
              FILE_ALL_ACCESS == 0x1F01FF && (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE) == 3);
const std::wstring users = L"S-1-5-32-545", administrators = L"S-1-5-32-544",
                   localSystem = L"S-1-5-18";
const std::set<std::string> installedFiles(std::begin(installersFiles), std::end(installersFiles));

// Owned by Administrators, for an owner may always change the rules; nothing inherited,
// for ProgramData's own rules let users create files; full control for the system and
// Administrators, passed on to what a folder holds; the player's rights for Users.
void expectAccess(const AccessRecorder& recorded, const fs::path& path, ACCESS_MASK player,
                  BYTE passedOn)
{
    SCOPED_TRACE(path.string());
    const Access access = recorded.of(path);
    EXPECT_EQ(access.owner, administrators);
    EXPECT_TRUE(access.isProtected);
    EXPECT_EQ(access.others, 0);
    const std::map<std::wstring, Ace> allowed{{users, {player, 0}},
                                              {administrators, {FILE_ALL_ACCESS, passedOn}},
                                              {localSystem, {FILE_ALL_ACCESS, passedOn}}};
    EXPECT_EQ(access.allowed, allowed);
}

std::set<std::string> entriesOf(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

void expectAllAccess(const AccessRecorder& recorded, const fs::path& folder)
{
    expectAccess(recorded, folder, playersFolderRights, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
    for (const char* name : installersFiles)
        expectAccess(recorded, folder / name, playersFileRights, 0);
}

} // namespace

TEST(InstalledRecordFolder, IsMadeClosedCarriesTheOldRecordOverAndKeepsItsOwnAfter)
{
    TempDir root, windows;
    const fs::path folder = root.path() / "Moltiplix";
    writeBytes(windows.path() / "tavrec.txt", "7\r\n");
    writeBytes(windows.path() / "ntavrec.txt", "Niccol\xF2\r\n");
    AccessRecorder recorded;

    sharedrecord::prepare(folder.wstring(), windows.path().wstring(), recorded.writer());
    EXPECT_EQ(entriesOf(folder), installedFiles);
    EXPECT_EQ(readBytes(folder / "tavrec.txt"), "7\r\n");
    EXPECT_EQ(readBytes(folder / "ntavrec.txt"), "Niccol\xF2\r\n");
    EXPECT_EQ(readBytes(folder / "tavrec.lck"), "");
    expectAllAccess(recorded, folder);

    // The PC's own record since then; the Windows directory's never comes back over it.
    // The access is set again, on every file, at every install, upgrade and repair.
    writeBytes(folder / "tavrec.txt", "12\r\n");
    writeBytes(folder / "ntavrec.txt", "Anna\r\n");
    writeBytes(windows.path() / "tavrec.txt", "99\r\n");
    fs::remove(folder / "tavrec.lck");
    recorded.clear();
    sharedrecord::prepare(folder.wstring(), windows.path().wstring(), recorded.writer());
    EXPECT_EQ(readBytes(folder / "tavrec.txt"), "12\r\n");
    EXPECT_EQ(readBytes(folder / "ntavrec.txt"), "Anna\r\n");
    EXPECT_EQ(entriesOf(folder), installedFiles) << "the missing lock made again";
    expectAllAccess(recorded, folder);
}

TEST(InstalledRecordFolder, AnEarlierFolderIsPutInOrderAndItsCutSaveFinished)
{
    TempDir root, windows;
    const fs::path folder = root.path() / "Moltiplix";
    // As the earlier installer left it, open to every player: a save cut after its commit
    // mark, a folder where a spare belongs, a player's folder and a stray file.
    fs::create_directories(folder / "tavrec.txt.new" / "inside");
    fs::create_directories(folder / "planted");
    writeBytes(folder / "planted" / "file", "x");
    writeBytes(folder / "stray.txt", "x");
    writeBytes(folder / "tavrec.txt.1234.new", "3\r\n");
    writeBytes(folder / "tavrec.txt", "5\r\n");
    writeBytes(folder / "ntavrec.txt", "Anna\r\n");
    writeBytes(folder / "ntavrec.txt.new", "Bruno\r\n");
    writeBytes(folder / "tavrec.commit", "");
    writeBytes(windows.path() / "tavrec.txt", "7\r\n");
    AccessRecorder recorded;

    sharedrecord::prepare(folder.wstring(), windows.path().wstring(), recorded.writer());
    EXPECT_EQ(entriesOf(folder), installedFiles);
    // The score's spare was no file: the save can't be finished whole, and the old pair stays.
    EXPECT_EQ(readBytes(folder / "tavrec.txt") + readBytes(folder / "ntavrec.txt"),
              "5\r\nAnna\r\n");
    expectAllAccess(recorded, folder);

    // Whole spares and the mark: the save is finished, as the game would have.
    writeBytes(folder / "tavrec.txt.new", "9\r\n");
    writeBytes(folder / "ntavrec.txt.new", "Bruno\r\n");
    writeBytes(folder / "tavrec.commit", "");
    sharedrecord::prepare(folder.wstring(), windows.path().wstring());
    EXPECT_EQ(readBytes(folder / "tavrec.txt") + readBytes(folder / "ntavrec.txt"),
              "9\r\nBruno\r\n");
    EXPECT_EQ(entriesOf(folder), installedFiles);
}

TEST(InstalledRecordFolder, RemoveDeletesTheRecordHereAndInTheWindowsDirectory)
{
    TempDir root, windows;
    const fs::path folder = root.path() / "Moltiplix";
    sharedrecord::prepare(folder.wstring(), windows.path().wstring());
    for (const char* name : {"tavrec.txt", "ntavrec.txt", "tavrec.lck", "tavrec.commit"})
        writeBytes(windows.path() / name, "1\r\n");
    writeBytes(windows.path() / "win.ini", "[windows]\r\n");

    sharedrecord::remove(folder.wstring(), windows.path().wstring());
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(entriesOf(windows.path()), std::set<std::string>{"win.ini"});
    sharedrecord::remove(folder.wstring(), windows.path().wstring()); // nothing left: no error
}
