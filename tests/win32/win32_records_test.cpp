// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/systemdir.h"
#include "platform/win32/windowsrecordstore.h"
#include "records/store_contract.h"

#include <windows.h>

#include <cstdlib>

namespace fs = std::filesystem;

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

// The record in one folder, in the ANSI code page: Windows-1252, as the tests run in Italian.
// Another game that saves is this program again, running the disabled test below.
struct WindowsKind {
    static inline const std::string nicolo = "Nicol\xF2";
    static inline const std::string leftover = "ntavrec.txt.1234.new";
    static inline const std::set<std::string> files{"ntavrec.txt", "tavrec.lck", "tavrec.txt"};
    fs::path folder() const { return dir.path(); }
    std::unique_ptr<RecordStore> game() const
    {
        auto store =
            std::make_unique<WindowsRecordStore>(std::vector{dir.path().string()}, nullptr);
        store->locate();
        return store;
    }
    std::shared_ptr<void> holdLock() const
    {
        const HANDLE file =
            CreateFileW((folder() / "tavrec.lck").wstring().c_str(), GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
        OVERLAPPED whole{};
        EXPECT_TRUE(LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole));
        return {file, [](HANDLE held) {
                    OVERLAPPED whole{};
                    UnlockFileEx(held, 0, 1, 0, &whole);
                    CloseHandle(held);
                }};
    }

    // The game signals told when it is about to save, once its slow start is over.
    struct Saving {
        HANDLE game;
        void end(bool kill)
        {
            if (kill) TerminateProcess(game, 1);
            EXPECT_EQ(WaitForSingleObject(game, 20000), WAIT_OBJECT_0);
            CloseHandle(game);
        }
        // Wine shows no sign of a process waiting in LockFileEx: once the game said it is
        // about to save, it is given a moment to save without the lock, if it would.
        bool waitsForTheLockOrIsGone() const
        {
            WaitForSingleObject(game, 300);
            return true;
        }
    };
    Saving startSaving(const std::string& score, const std::string& name)
    {
        SetEnvironmentVariableA("MOLTIPLIX_SAVE", (score + "|" + name).c_str());
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = nul;
        PROCESS_INFORMATION child{};
        EXPECT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                   nullptr, &startup, &child));
        CloseHandle(child.hThread);
        EXPECT_EQ(WaitForSingleObject(told, 20000), WAIT_OBJECT_0);
        return {child.hProcess};
    }
    WindowsKind()
    {
        SetEnvironmentVariableA("MOLTIPLIX_SAVE_DIR", dir.path().string().c_str());
        SetEnvironmentVariableA("MOLTIPLIX_SAVE_TOLD", toldName.c_str());
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        command = std::string("\"") + self + "\" --gtest_also_run_disabled_tests " +
                  "--gtest_filter=*DISABLED_SavesAsAGameAboutToBeKilled";
    }
    ~WindowsKind()
    {
        CloseHandle(told);
        CloseHandle(nul);
    }

    TempDir dir;
    std::string command, toldName = "moltiplix-save-" + std::to_string(GetCurrentProcessId());
    HANDLE told = CreateEventA(nullptr, FALSE, FALSE, toldName.c_str());
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nul =
        CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
};
INSTANTIATE_TYPED_TEST_SUITE_P(Windows, StoreContract, WindowsKind);
INSTANTIATE_TYPED_TEST_SUITE_P(Windows, KilledSave, WindowsKind);

TEST(WindowsRecordStore, DISABLED_SavesAsAGameAboutToBeKilled)
{
    const std::string save = std::getenv("MOLTIPLIX_SAVE");
    const HANDLE told = OpenEventA(EVENT_MODIFY_STATE, FALSE, std::getenv("MOLTIPLIX_SAVE_TOLD"));
    WindowsRecordStore store({std::getenv("MOLTIPLIX_SAVE_DIR")}, {});
    store.locate();
    SetEvent(told);
    store.saveIfBeaten(save.substr(0, save.find('|')), save.substr(save.find('|') + 1));
}

TEST(WindowsRecordStore, TakesTheFirstUsableFolderAndSaysOnceWhenItIsThePlayersOwn)
{
    TempDir shared, own;
    std::string notice;
    const auto tell = [&notice](const std::string& text) { notice += text; };
    EXPECT_EQ(WindowsRecordStore({shared.path().string(), own.path().string()}, tell).locate(),
              shared.path().string() + "\\");
    WindowsRecordStore store({"Q:\\nessuna", own.path().string()}, tell);
    EXPECT_EQ(store.locate(), own.path().string() + "\\");
    store.locate();
    EXPECT_NE(notice.find("Q:\\nessuna"), std::string::npos);
    const auto told = notice.find(own.path().string());
    EXPECT_TRUE(told != notice.npos && told == notice.rfind(own.path().string())) << "once";
    EXPECT_EQ(notice.find(shared.path().string()), notice.npos) << notice;
    // Any player may put a folder where a record file goes: every game would stop there.
    fs::create_directory(shared.path() / "ntavrec.txt");
    EXPECT_EQ(WindowsRecordStore({shared.path().string(), own.path().string()}, tell).locate(),
              own.path().string() + "\\");
    EXPECT_NE(notice.find(shared.path().string()), notice.npos) << notice;
    EXPECT_THROW(WindowsRecordStore({"Q:\\nessuna", "Q:\\neanche"}, {}).locate(), FatalError);
}

TEST(WindowsRecordStore, ADirectoryInPlaceOfARecordFileIsAnErrorNamingIt)
{
    WindowsKind kind;
    fs::create_directory(kind.folder() / "ntavrec.txt");
    EXPECT_THAT(fatalMessage([&] { kind.game()->open(); }), ::testing::HasSubstr("ntavrec.txt"));
}

// The way a technician freezes the record on Windows; Wine run as root would write it anyway.
TEST(WindowsRecordStore, AReadOnlyRecordFileIsNeverReplaced)
{
    WindowsKind kind;
    const auto game = kind.game();
    game->open();
    ASSERT_TRUE(game->saveIfBeaten("5", "Bea"));
    for (const char* name : {"tavrec.txt", "ntavrec.txt"}) {
        const std::wstring path = (kind.folder() / name).wstring();
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
        EXPECT_FALSE(game->saveIfBeaten("9", "Eva")) << name;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(game->open().name, "Bea\r\n") << name;
    }
}
