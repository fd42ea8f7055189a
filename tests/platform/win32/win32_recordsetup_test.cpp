// SPDX-License-Identifier: GPL-3.0-or-later
// The record folder the installer prepares, read back as Windows keeps it: owner, access
// list and its flags, against the masks of the Windows SDK's documented constants.
#include "records/sharedrecordsetup.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <map>

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

// Written out from winnt.h's documented values, not taken from the program.
constexpr ACCESS_MASK readData = 0x0001, listFolder = 0x0001, writeData = 0x0002, addFile = 0x0002,
                      appendData = 0x0004, addSubfolder = 0x0004, readEa = 0x0008, writeEa = 0x0010,
                      traverse = 0x0020, deleteChild = 0x0040, readAttributes = 0x0080,
                      writeAttributes = 0x0100, deleteAccess = 0x00010000, readControl = 0x00020000,
                      writeDac = 0x00040000, writeOwner = 0x00080000, synchronize = 0x00100000,
                      fullControl = 0x001F01FF;
constexpr BYTE objectInherit = 0x1, containerInherit = 0x2;
const std::wstring users = L"S-1-5-32-545", administrators = L"S-1-5-32-544",
                   localSystem = L"S-1-5-18";

void expectFolderAccess(const AccessRecorder& recorded, const fs::path& folder)
{
    const Access access = recorded.of(folder);
    EXPECT_EQ(access.owner, administrators);
    EXPECT_TRUE(access.isProtected) << "ProgramData's own rules let users create files";
    EXPECT_EQ(access.others, 0);
    ASSERT_EQ(access.allowed.size(), 3u);
    ASSERT_TRUE(access.allowed.count(users) && access.allowed.count(administrators) &&
                access.allowed.count(localSystem));
    const Ace player = access.allowed.at(users);
    EXPECT_EQ(player.mask,
              listFolder | readAttributes | readEa | readControl | traverse | synchronize);
    EXPECT_EQ(player.mask & (addFile | addSubfolder | deleteChild | writeAttributes), 0u);
    EXPECT_EQ(player.flags, 0) << "the files' rules are their own";
    for (const std::wstring& admin : {administrators, localSystem})
        EXPECT_EQ(access.allowed.at(admin), (Ace{fullControl, objectInherit | containerInherit}));
}

void expectFileAccess(const AccessRecorder& recorded, const fs::path& file)
{
    SCOPED_TRACE(file.string());
    const Access access = recorded.of(file);
    EXPECT_EQ(access.owner, administrators) << "an owner may always change the rules";
    EXPECT_TRUE(access.isProtected);
    EXPECT_EQ(access.others, 0);
    ASSERT_EQ(access.allowed.size(), 3u);
    ASSERT_TRUE(access.allowed.count(users) && access.allowed.count(administrators) &&
                access.allowed.count(localSystem));
    const Ace player = access.allowed.at(users);
    EXPECT_EQ(player.mask, readData | writeData | appendData | readAttributes | readEa |
                               readControl | synchronize);
    EXPECT_EQ(player.mask & (deleteAccess | writeAttributes | writeEa | writeDac | writeOwner), 0u);
    EXPECT_EQ(player.flags, 0);
    for (const std::wstring& admin : {administrators, localSystem})
        EXPECT_EQ(access.allowed.at(admin), (Ace{fullControl, 0}));
}

const std::vector<std::string> installedFiles{"ntavrec.txt", "ntavrec.txt.new", "tavrec.lck",
                                              "tavrec.txt", "tavrec.txt.new"};

std::vector<std::string> entriesOf(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void expectAllAccess(const AccessRecorder& recorded, const fs::path& folder)
{
    expectFolderAccess(recorded, folder);
    for (const std::string& name : installedFiles)
        expectFileAccess(recorded, folder / name);
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
    EXPECT_EQ(entriesOf(windows.path()), std::vector<std::string>{"win.ini"});
    sharedrecord::remove(folder.wstring(), windows.path().wstring()); // nothing left: no error
}
