// SPDX-License-Identifier: GPL-3.0-or-later
#include "installers_folder.h"
#include "platform/textfile.h"
#include "platform/waiting.h"
#include "platform/win32/systemdir.h"
#include "records/store_contract.h"
#include "records/windowspendingsave.h"
#include "records/windowsrecordstore.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST(WindowsDirectoryLookup, KeepsNCharactersAndEndsWithOneSeparator)
{
    const char buffer[128] = "C:\\WINDOWSjunk";
    EXPECT_EQ(windowsDirectoryFrom(buffer, 10, 128), "C:\\WINDOWS\\");
    EXPECT_EQ(windowsDirectoryFrom("C:\\", 3, 128), "C:\\") << "a drive root stays as it is";
    EXPECT_EQ(windowsDirectoryFrom("D:\\Win\\", 7, 128), "D:\\Win\\");
    const std::string longest = "C:\\" + std::string(124, 'w');
    EXPECT_EQ(windowsDirectoryFrom(longest.c_str(), 127, 128), longest + "\\");
    EXPECT_THROW(windowsDirectoryFrom(buffer, 0, 128), FatalError);
    EXPECT_THROW(windowsDirectoryFrom(buffer, 129, 128), FatalError) << "the size it would need";
}

namespace {

// This test program again, as another process: it saves as a game about to be killed, or
// holds the record until it is killed. It signals an event once it is where the test
// wants it, so the test waits for that, never for a time.
class Child {
public:
    Child(const std::string& test, const std::map<std::string, std::string>& environment)
    {
        for (const auto& [name, value] : environment)
            SetEnvironmentVariableA(name.c_str(), value.c_str());
        SetEnvironmentVariableA("MOLTIPLIX_TOLD", toldName.c_str());
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        std::string command = std::string("\"") + self +
                              "\" --gtest_also_run_disabled_tests --gtest_filter=*DISABLED_" + test;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = nul;
        PROCESS_INFORMATION child{};
        // Now and then, among a hundred starts, Wine refuses one while it still tears the
        // last child down; starting again is the same start.
        for (int tries = 1; !CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0,
                                            nullptr, nullptr, &startup, &child);
             ++tries) {
            std::fprintf(stderr, "%s: start %d failed, error %lu\n", test.c_str(), tries,
                         GetLastError());
            if (tries == 3) {
                ADD_FAILURE() << test << " could not be started";
                return;
            }
        }
        CloseHandle(child.hThread);
        process = child.hProcess;
        EXPECT_EQ(WaitForSingleObject(told, 30000), WAIT_OBJECT_0) << test << " never got there";
    }
    ~Child()
    {
        end(true);
        CloseHandle(told);
        CloseHandle(nul);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    void end(bool kill)
    {
        if (!process) return;
        if (kill) TerminateProcess(process, 1);
        EXPECT_EQ(WaitForSingleObject(process, 20000), WAIT_OBJECT_0);
        CloseHandle(process);
        process = nullptr;
    }

    // Up to 300 ms, less if the process ends first.
    void waitAMoment() const
    {
        if (process) WaitForSingleObject(process, 300);
    }

    // Called in the child once it is there.
    static void tell()
    {
        SetEvent(OpenEventA(EVENT_MODIFY_STATE, FALSE, std::getenv("MOLTIPLIX_TOLD")));
    }

private:
    static inline int count = 0;
    std::string toldName =
        "moltiplix-child-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count);
    HANDLE told = CreateEventA(nullptr, FALSE, FALSE, toldName.c_str());
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nul =
        CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    HANDLE process = nullptr;
};

// How another program holds a file of the record.
enum class Hold { Lock, Unshared };

// What the store tells the window while it waits.
struct WaitWatch : Waiting {
    void stillWaiting() override
    {
        ++still;
        afterDone = afterDone || done > 0;
    }
    void doneWaiting() override { ++done; }
    int still = 0, done = 0;
    bool afterDone = false;
};

} // namespace

// The child that holds the record: the lock file's lock, or a file open without sharing.
TEST(WindowsRecordStore, DISABLED_HoldsTheRecordUntilKilled)
{
    const std::string path = std::getenv("MOLTIPLIX_HOLD");
    const bool lock = std::string(std::getenv("MOLTIPLIX_HOLD_HOW")) == "lock";
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    lock ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    OVERLAPPED whole{};
    ASSERT_TRUE(!lock || LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole));
    Child::tell();
    Sleep(INFINITE);
}

// The record in one folder, in the ANSI code page: Windows-1252, as the tests run in Italian.
// Another game that saves is this program again, running the disabled test below.
struct WindowsKind {
    static inline const std::string nicolo = "Nicol\xF2";
    static inline const std::string leftover = "ntavrec.txt.1234.new";
    static inline const std::set<std::string> files{"ntavrec.txt", "ntavrec.txt.new", "tavrec.lck",
                                                    "tavrec.txt", "tavrec.txt.new"};
    fs::path folder() const { return dir.path(); }
    std::unique_ptr<RecordStore> game() const
    {
        auto store = std::make_unique<WindowsRecordStore>(
            std::vector{RecordPlace{dir.path().string(), installers}}, nullptr);
        store->locate();
        return store;
    }
    // The mark of a committed save is the lock file's content.
    void markCommitted() const { writeBytes(folder() / "tavrec.lck", "1"); }
    bool committed() const { return fs::file_size(folder() / "tavrec.lck") > 0; }
    // As a technician freezes the record: attrib +R.
    void freeze() const
    {
        for (const char* name : {"tavrec.txt", "ntavrec.txt"})
            SetFileAttributesW((folder() / name).wstring().c_str(), FILE_ATTRIBUTE_READONLY);
    }
    std::shared_ptr<void> holdLock() const { return lockOf(folder()); }
    // The game tells when it is about to save, once its slow start is over.
    struct Saving {
        std::unique_ptr<Child> game;
        void end(bool kill) { game->end(kill); }
        // Wine shows no sign of a process waiting in LockFileEx: once the game said it is
        // about to save, it is given a moment to save without the lock, if it would.
        bool waitsForTheLockOrIsGone() const
        {
            game->waitAMoment();
            return true;
        }
    };
    Saving startSaving(const std::string& score, const std::string& name) const
    {
        return {
            std::make_unique<Child>("SavesAsAGameAboutToBeKilled",
                                    std::map<std::string, std::string>{
                                        {"MOLTIPLIX_SAVE", score + "|" + name},
                                        {"MOLTIPLIX_SAVE_DIR", dir.path().string()},
                                        {"MOLTIPLIX_SAVE_INSTALLERS", installers ? "1" : "0"}})};
    }

    TempDir dir;
    bool installers = false;
};

// The installer's folder, made as the installer makes it; every file the store opens
// there is opened with no more than a player's rights on it, and never created.
struct InstallersKind : WindowsKind {
    static constexpr bool deletesNothing = true;
    InstallersKind()
    {
        installers = true;
        makeAsInstaller(dir.path());
        watchFileOpenings([this](const FileOpening& opening) {
            if (opening.path.starts_with(folder().string())) openings.push_back(opening);
        });
    }
    ~InstallersKind()
    {
        watchFileOpenings({});
        for (const FileOpening& opening : openings) {
            EXPECT_TRUE(installersFileSecurity().playerMay(opening.access)) << opening.path;
            EXPECT_EQ(opening.disposition, DWORD(OPEN_EXISTING)) << opening.path;
            EXPECT_TRUE(opening.flags & FILE_FLAG_OPEN_REPARSE_POINT) << opening.path;
        }
    }
    std::vector<FileOpening> openings;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Windows, StoreContract, WindowsKind);
INSTANTIATE_TYPED_TEST_SUITE_P(Installers, StoreContract, InstallersKind);
INSTANTIATE_TYPED_TEST_SUITE_P(Installers, KilledSave, InstallersKind);

TEST(WindowsRecordStore, DISABLED_SavesAsAGameAboutToBeKilled)
{
    const std::string save = std::getenv("MOLTIPLIX_SAVE");
    WindowsRecordStore store(
        {{std::getenv("MOLTIPLIX_SAVE_DIR"), std::getenv("MOLTIPLIX_SAVE_INSTALLERS")[0] == '1'}},
        {});
    store.locate();
    Child::tell();
    store.saveIfBeaten(save.substr(0, save.find('|')), save.substr(save.find('|') + 1));
}

TEST(WindowsRecordStore, TakesTheFirstUsableFolderAndSaysOnceWhenItIsThePlayersOwn)
{
    TempDir shared, own;
    std::string notice;
    const auto tell = [&notice](const std::string& text) { notice += text; };
    const RecordPlace ownPlace{own.path().string()};
    EXPECT_EQ(WindowsRecordStore({{shared.path().string()}, ownPlace}, tell).locate(),
              shared.path().string() + "\\");
    WindowsRecordStore store({{"Q:\\nessuna"}, ownPlace}, tell);
    EXPECT_EQ(store.locate(), own.path().string() + "\\");
    store.locate();
    EXPECT_NE(notice.find("Q:\\nessuna"), std::string::npos);
    const auto told = notice.find(own.path().string());
    EXPECT_TRUE(told != notice.npos && told == notice.rfind(own.path().string())) << "once";
    EXPECT_EQ(notice.find(shared.path().string()), notice.npos) << notice;
    // A player may put a folder where a record file goes in a folder an earlier version
    // shared with every player: every game would stop there.
    fs::create_directory(shared.path() / "ntavrec.txt");
    EXPECT_EQ(WindowsRecordStore({{shared.path().string()}, ownPlace}, tell).locate(),
              own.path().string() + "\\");
    EXPECT_NE(notice.find(shared.path().string()), notice.npos) << notice;
    // Where there is no other folder, the game stops naming it.
    EXPECT_THAT(fatalMessage([&] { WindowsRecordStore({{shared.path().string()}}, {}).open(); }),
                ::testing::HasSubstr("ntavrec.txt"));
    EXPECT_THROW(WindowsRecordStore({{"Q:\\nessuna"}, {"Q:\\neanche"}}, {}).locate(), FatalError);
}

// The way a technician freezes the record on Windows (Wine run as root would write it
// anyway): either file alone read-only is enough.
TEST(WindowsRecordStore, AReadOnlyRecordFileIsNeverReplaced)
{
    for (bool installers : {false, true}) {
        WindowsKind kind;
        if (installers) makeAsInstaller(kind.folder());
        kind.installers = installers;
        const auto game = kind.game();
        game->open();
        ASSERT_EQ(game->saveIfBeaten("5", "Bea"), SaveOutcome::Saved);
        for (const char* name : {"tavrec.txt", "ntavrec.txt"}) {
            const std::wstring path = (kind.folder() / name).wstring();
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
            EXPECT_EQ(game->saveIfBeaten("9", "Eva"), SaveOutcome::NotSaved) << name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            EXPECT_EQ(game->open().name, "Bea\r\n") << name;
        }
    }
}

namespace {

std::string pairIn(const fs::path& folder)
{
    return readBytes(folder / "tavrec.txt") + readBytes(folder / "ntavrec.txt");
}

} // namespace

// Another program holds the shared record past the game's patience, as a stopped game, a
// scan or any player's program can: the lock file's lock, or a file open without sharing.
// The game's start shows the player's own record that once, its end keeps the score
// (Held, then kept aside), and nothing is written until the holder is gone; then the next
// use of the record hands the kept save on.
TEST(WindowsRecordStore, ARecordHeldByAnotherProgramLosesNoSave)
{
    const std::chrono::milliseconds patience = 1s;
    const std::pair<const char*, const char*> holds[] = {{"tavrec.lck", "lock"},
                                                         {"tavrec.lck", "unshared"},
                                                         {"tavrec.txt", "unshared"},
                                                         {"ntavrec.txt", "unshared"}};
    for (const auto& [file, how] : holds) {
        SCOPED_TRACE(std::string(file) + " " + how);
        TempDir own;
        InstallersKind shared; // opened with a player's rights only, held or not
        writeBytes(shared.folder() / "tavrec.txt", "3\r\n");
        writeBytes(shared.folder() / "ntavrec.txt", "Ugo\r\n");
        std::string notices;
        WaitWatch waiting;
        WindowsRecordStore store(
            {{shared.folder().string(), true}, {own.path().string()}},
            [&](const std::string& notice) { notices += notice + "\n"; }, &waiting, patience);
        WindowsPendingSave pending((own.path() / "pending").string(), &waiting, 2 * patience);
        const std::string sharedDir = store.locate();
        {
            Child holder("HoldsTheRecordUntilKilled",
                         {{"MOLTIPLIX_HOLD", (shared.folder() / file).string()},
                          {"MOLTIPLIX_HOLD_HOW", how}});
            EXPECT_EQ(store.locate(), sharedDir) << "held is no reason to pass it over";
            const auto began = std::chrono::steady_clock::now();
            const SaveOutcome outcome = store.saveIfBeaten("5", "Bea");
            const auto waited = std::chrono::steady_clock::now() - began;
            EXPECT_EQ(outcome, SaveOutcome::Held);
            EXPECT_GE(waited, patience) << "a few tries, spread over the patience";
            EXPECT_LT(waited, patience + 5s);
            EXPECT_GE(waiting.still, 2);
            EXPECT_EQ(waiting.done, 1);
            EXPECT_FALSE(waiting.afterDone);
            if (outcome == SaveOutcome::Held) pending.keep("5", "Bea");
            EXPECT_EQ(store.open().score, "") << "the player's own record, for this start";
            store.open();
            EXPECT_EQ(notices.find(sharedDir), notices.rfind(sharedDir)) << "told once";
            EXPECT_NE(notices.find(sharedDir), notices.npos) << notices;
        }
        EXPECT_EQ(pairIn(shared.folder()), "3\r\nUgo\r\n") << "nothing written while held";
        EXPECT_EQ(fs::file_size(shared.folder() / "tavrec.lck"), 0u) << "nothing committed";
        pending.sendWith([&](std::string_view score, std::string_view name) {
            return store.saveIfBeaten(score, name);
        });
        EXPECT_EQ(pairIn(shared.folder()), "5\r\nBea\r\n");
        const StoredRecord now = store.open();
        EXPECT_EQ(now.score + now.name, "5\r\nBea\r\n") << "the shared record again";
    }
}

TEST(WindowsPendingSave, KeepsTheBestOfTwoUntilItIsHandedOnUnderItsLock)
{
    TempDir own;
    const fs::path folder = own.path() / "pending";
    WindowsPendingSave pending(folder.string(), nullptr, 1s);
    std::vector<std::string> sent;
    SaveOutcome answer = SaveOutcome::Held;
    const auto send = [&](std::string_view score, std::string_view name) {
        sent.push_back(std::string(score) + "|" + std::string(name));
        EXPECT_FALSE(lockOf(folder, false)) << "sent under the pending save's lock";
        return answer;
    };
    pending.sendWith(send);
    EXPECT_TRUE(sent.empty()) << "nothing kept yet";
    pending.keep("5", "Bea");
    pending.keep("3", "Ugo");
    pending.keep("5", "Eva");
    pending.sendWith(send);
    pending.sendWith(send);
    EXPECT_EQ(sent, (std::vector<std::string>{"5|Bea", "5|Bea"})) << "kept while Held";
    // Beyond the code page the shared record is written in, still whole here.
    pending.keep("7", "Nicolò 😀\t");
    answer = SaveOutcome::NotSaved;
    pending.sendWith(send);
    pending.sendWith(send);
    EXPECT_EQ(sent.back(), "7|Nicolò 😀");
    EXPECT_EQ(sent.size(), 3u) << "forgotten once not saved: the record is better";
    pending.keep("2", "Ada");
    answer = SaveOutcome::Saved;
    pending.sendWith(send);
    pending.sendWith(send);
    EXPECT_EQ(sent.size(), 4u) << "forgotten once saved";

    // Another game of the player's is handing it on: no wait, no second sending.
    pending.keep("4", "Leo");
    {
        const auto held = lockOf(folder);
        pending.sendWith(send);
        EXPECT_EQ(sent.size(), 4u);
        // Keeping waits for it, and past its patience is an error, not a silent loss.
        EXPECT_THAT(fatalMessage([&] { pending.keep("9", "Max"); }),
                    ::testing::HasSubstr(folder.string()));
    }
    pending.sendWith(send);
    EXPECT_EQ(sent.back(), "4|Leo");
}

namespace {

// What a folder holds, by name: each file's attributes and identity, which replacing or
// renaming it would change.
std::map<std::string, std::string> inventory(const fs::path& folder)
{
    std::map<std::string, std::string> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const HANDLE file =
            CreateFileW(entry.path().wstring().c_str(), FILE_READ_ATTRIBUTES,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        BY_HANDLE_FILE_INFORMATION info{};
        GetFileInformationByHandle(file, &info);
        CloseHandle(file);
        found[entry.path().filename().string()] = std::to_string(info.dwFileAttributes) + " " +
                                                  std::to_string(info.nFileIndexHigh) + ":" +
                                                  std::to_string(info.nFileIndexLow);
    }
    return found;
}

} // namespace

// On an installed PC the game may only write the data of the files the installer made:
// whatever a save, a cut save of this or an earlier version, or an old leftover needs,
// nothing in the folder is created, deleted, replaced, renamed or changed in its
// attributes, and every file is opened with rights the installer gives every player.
TEST(WindowsRecordStore, InTheInstallersFolderOnlyTheFilesDataChange)
{
    InstallersKind kind;
    // What an earlier version left: a temporary, and a save cut after its mark.
    writeBytes(kind.folder() / "ntavrec.txt.1234.new", "Old\r\n");
    writeBytes(kind.folder() / "tavrec.txt.new", "7\r\n");
    writeBytes(kind.folder() / "ntavrec.txt.new", "Eva\r\n");
    writeBytes(kind.folder() / "tavrec.commit", "");
    const auto before = inventory(kind.folder());
    const auto game = kind.game();
    EXPECT_EQ(game->open().name, "Eva\r\n");
    EXPECT_EQ(game->saveIfBeaten("8", "Ida"), SaveOutcome::Saved);
    // A save of this version cut after its mark.
    writeBytes(kind.folder() / "tavrec.txt.new", "9\r\n");
    writeBytes(kind.folder() / "ntavrec.txt.new", "Ugo\r\n");
    writeBytes(kind.folder() / "tavrec.lck", "1");
    EXPECT_EQ(game->open().name, "Ugo\r\n");
    EXPECT_FALSE(kind.committed());
    EXPECT_EQ(game->saveIfBeaten("10", "Max"), SaveOutcome::Saved);
    EXPECT_EQ(pairIn(kind.folder()), "10\r\nMax\r\n");
    EXPECT_EQ(inventory(kind.folder()), before);
    EXPECT_FALSE(kind.openings.empty());
    // What the store asks for, a player is granted; what the game asked for before this
    // version (GENERIC_WRITE) and what replacing or freezing a file takes, a player is not.
    for (DWORD beyond : {DWORD(GENERIC_WRITE), DWORD(DELETE), DWORD(FILE_WRITE_ATTRIBUTES)})
        EXPECT_FALSE(installersFileSecurity().playerMay(beyond)) << beyond;
    EXPECT_FALSE(installersFolderSecurity().playerMay(FILE_ADD_FILE));
    EXPECT_FALSE(installersFolderSecurity().playerMay(FILE_DELETE_CHILD));
}

// A file missing there is not made: the folder is passed over, said once, for the player's own.
TEST(WindowsRecordStore, TheInstallersFolderWithAFileMissingIsPassedOverNotMended)
{
    for (const char* missing : installersFiles) {
        TempDir own;
        InstallersKind kind;
        fs::remove(kind.folder() / missing);
        std::string notice;
        WindowsRecordStore store({{kind.folder().string(), true}, {own.path().string()}},
                                 [&](const std::string& text) { notice += text; });
        EXPECT_EQ(store.locate(), own.path().string() + "\\") << missing;
        EXPECT_NE(notice.find(kind.folder().string()), notice.npos) << missing;
        store.open();
        EXPECT_EQ(store.saveIfBeaten("5", "Bea"), SaveOutcome::Saved);
        EXPECT_FALSE(fs::exists(kind.folder() / missing)) << missing;
        EXPECT_EQ(pairIn(own.path()), "5\r\nBea\r\n") << missing;
    }
}

namespace {

// HKLM\SOFTWARE\Moltiplix RecordFolder, as the installer writes it; none if empty.
std::wstring installersValue()
{
    wchar_t folder[MAX_PATH] = {};
    DWORD size = sizeof folder;
    RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Moltiplix", L"RecordFolder", RRF_RT_REG_SZ,
                 nullptr, folder, &size);
    return folder;
}

void setInstallersValue(const std::wstring& folder)
{
    if (folder.empty())
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Moltiplix", L"RecordFolder");
    else
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Moltiplix", L"RecordFolder", REG_SZ,
                        folder.c_str(), static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
}

} // namespace

// One record per installed PC: the installer's folder first for every player, an
// administrator too, who may write the Windows directory; the Windows directory only for a
// copy run without installing.
TEST(WindowsRecordFolders, TheInstallersFolderComesFirstAndTheWindowsDirectoryOnlyWithoutIt)
{
    // Put back as it was, whatever the test finds.
    const std::shared_ptr<void> putBack(
        nullptr, [was = installersValue()](void*) { setInstallersValue(was); });
    InstallersKind installed;
    const std::string folder = installed.folder().string() + "\\";
    setInstallersValue(fs::path(folder).wstring());
    ASSERT_EQ(installersValue(), fs::path(folder).wstring());
    auto places = windowsRecordDirectories();
    ASSERT_EQ(places.size(), 2u);
    EXPECT_EQ(places[0].path, folder);
    EXPECT_TRUE(places[0].madeByInstaller);
    EXPECT_TRUE(places[1].path.ends_with("\\Moltiplix")) << places[1].path;
    EXPECT_FALSE(places[1].madeByInstaller);
    EXPECT_EQ(WindowsRecordStore(places, {}).locate(), folder);

    setInstallersValue(L"");
    places = windowsRecordDirectories();
    ASSERT_EQ(places.size(), 2u);
    EXPECT_EQ(places[0].path, windowsDirectory());
    EXPECT_FALSE(places[0].madeByInstaller);
    EXPECT_TRUE(places[1].path.ends_with("\\Moltiplix")) << places[1].path;
}
