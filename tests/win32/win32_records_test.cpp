// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/fatalerror.h"
#include "platform/win32/systemdir.h"
#include "platform/win32/windowsrecordstore.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <future>
#include <random>
#include <set>

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

TEST(WindowsRecordStore, FallsBackToThePlayersOwnFolderSayingSoAndFailsWhenNoneWorks)
{
    TempDir own;
    std::string notice;
    WindowsRecordStore store({"Q:\\nessuna", own.path().string()},
                             [&notice](const std::string& text) { notice = text; });
    EXPECT_EQ(store.locate(), own.path().string() + "\\");
    EXPECT_NE(notice.find("Q:\\nessuna"), std::string::npos);
    EXPECT_NE(notice.find(own.path().string()), std::string::npos);

    WindowsRecordStore none({"Q:\\nessuna", "Q:\\neanche"}, {});
    EXPECT_THROW(none.locate(), FatalError);
}

TEST(WindowsRecordStore, SavesOnlyWhatBeatsTheFileAsItIsNowAndBothFilesOrNeither)
{
    TempDir dir;
    WindowsRecordStore first({dir.path().string()}, {});
    WindowsRecordStore second({dir.path().string()}, {});
    first.locate();
    second.locate();
    EXPECT_EQ(first.open().score, "");
    second.open();

    // The second game saw no record at start; the first has saved 9 since.
    EXPECT_TRUE(first.saveIfBeaten("9", "Anna"));
    EXPECT_FALSE(second.saveIfBeaten("5", "Bruno"));
    EXPECT_EQ(readBytes(dir.path() / "tavrec.txt"), "9\r\n");
    EXPECT_EQ(readBytes(dir.path() / "ntavrec.txt"), "Anna\r\n");

    // The name file can't be replaced (a directory stands there): nothing is written.
    std::filesystem::remove(dir.path() / "ntavrec.txt");
    std::filesystem::create_directory(dir.path() / "ntavrec.txt");
    EXPECT_THROW(second.saveIfBeaten("12", "Bruno"), FatalError);
    EXPECT_EQ(readBytes(dir.path() / "tavrec.txt"), "9\r\n");
    std::filesystem::remove(dir.path() / "ntavrec.txt");
    writeBytes(dir.path() / "ntavrec.txt", "Anna\r\n");

    // A save killed before its commit mark left both spares: they are no record.
    writeBytes(dir.path() / "tavrec.txt.new", "30\r\n");
    writeBytes(dir.path() / "ntavrec.txt.new", "Zeno\r\n");
    EXPECT_EQ(second.open().name, "Anna\r\n");
    EXPECT_EQ(readBytes(dir.path() / "tavrec.txt"), "9\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "ntavrec.txt.new"));

    // One killed between its two replacements: the next open ends it from the spares.
    writeBytes(dir.path() / "tavrec.txt.new", "14\r\n");
    writeBytes(dir.path() / "ntavrec.txt.new", "Niccol\xf2\r\n");
    writeBytes(dir.path() / "tavrec.commit", "");
    writeBytes(dir.path() / "tavrec.txt", "14\r\n");
    const StoredRecord finished = first.open();
    EXPECT_EQ(finished.score, "14\r\n");
    EXPECT_EQ(finished.name, "Niccol\xc3\xb2\r\n");
    EXPECT_EQ(readBytes(dir.path() / "ntavrec.txt"), "Niccol\xf2\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "tavrec.commit"));

    // A mark or spare that is no file is an error naming it; the pair stays as it is.
    const auto failsNaming = [&](const char* path, auto&& action) {
        SCOPED_TRACE(path);
        try {
            action();
            ADD_FAILURE() << path << " is a directory";
        } catch (const FatalError& error) {
            EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
        }
        EXPECT_EQ(readBytes(dir.path() / "tavrec.txt"), "14\r\n");
        EXPECT_EQ(readBytes(dir.path() / "ntavrec.txt"), "Niccol\xf2\r\n");
    };
    std::filesystem::create_directory(dir.path() / "tavrec.commit");
    failsNaming("tavrec.commit", [&] { first.open(); });
    std::filesystem::remove(dir.path() / "tavrec.commit");
    std::filesystem::create_directory(dir.path() / "ntavrec.txt.new");
    failsNaming("ntavrec.txt.new", [&] { first.saveIfBeaten("20", "Ugo"); });
    writeBytes(dir.path() / "tavrec.commit", "");
    failsNaming("ntavrec.txt.new", [&] { first.open(); });
}

TEST(WindowsRecordStore, ReadsAtMost64KiBAndRefusesADirectoryInPlaceOfAFile)
{
    TempDir dir;
    writeBytes(dir.path() / "tavrec.txt", std::string(70000, '7'));
    std::filesystem::create_directory(dir.path() / "ntavrec.txt");
    WindowsRecordStore store({dir.path().string()}, {});
    store.locate();
    try {
        store.open();
        FAIL() << "a directory in place of the name file must be an error";
    } catch (const FatalError& error) {
        EXPECT_NE(std::string(error.what()).find("ntavrec.txt"), std::string::npos);
    }
    std::filesystem::remove(dir.path() / "ntavrec.txt");
    EXPECT_EQ(store.open().score.size(), 65536u);
}

TEST(WindowsRecordStore, WaitsForAnotherGamesLockAndComparesWithWhatThatGameSaved)
{
    TempDir dir;
    WindowsRecordStore store({dir.path().string()}, {});
    store.locate();
    store.open();

    // Another copy of the game holds the lock while it saves 20.
    const HANDLE other = CreateFileW(
        (dir.path() / "tavrec.lck").wstring().c_str(), GENERIC_READ | GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    OVERLAPPED whole{};
    ASSERT_TRUE(LockFileEx(other, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole));
    auto saving =
        std::async(std::launch::async, [&store] { return store.saveIfBeaten("15", "Bea"); });
    EXPECT_EQ(saving.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
    writeBytes(dir.path() / "tavrec.txt", "20\r\n");
    writeBytes(dir.path() / "ntavrec.txt", "Ugo\r\n");
    UnlockFileEx(other, 0, 1, 0, &whole);
    CloseHandle(other);

    EXPECT_FALSE(saving.get());
    EXPECT_EQ(readBytes(dir.path() / "tavrec.txt"), "20\r\n");
    EXPECT_EQ(readBytes(dir.path() / "ntavrec.txt"), "Ugo\r\n");
}

// Run as a child by the test below: a game that saves 11 over 10 and is killed meanwhile.
TEST(WindowsRecordStore, DISABLED_SavesAsAGameAboutToBeKilled)
{
    const char* dir = std::getenv("MOLTIPLIX_KILLED_SAVE_DIR");
    const char* ready = std::getenv("MOLTIPLIX_KILLED_SAVE_READY");
    ASSERT_TRUE(dir && ready);
    WindowsRecordStore store({dir}, {});
    store.locate();
    const HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, ready);
    SetEvent(event);
    store.saveIfBeaten("11", "Nuovo");
    SetEvent(event);
}

TEST(WindowsRecordStore, AGameKilledWhileSavingLeavesTheOldPairOrTheNew)
{
    TempDir dir;
    WindowsRecordStore store({dir.path().string()}, {});
    store.locate();
    const std::string readyName = "moltiplix-save-ready-" + std::to_string(GetCurrentProcessId());
    const HANDLE ready = CreateEventA(nullptr, FALSE, FALSE, readyName.c_str());
    SetEnvironmentVariableA("MOLTIPLIX_KILLED_SAVE_DIR", dir.path().string().c_str());
    SetEnvironmentVariableA("MOLTIPLIX_KILLED_SAVE_READY", readyName.c_str());
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = std::string("\"") + self +
                          "\" --gtest_also_run_disabled_tests "
                          "--gtest_filter=*DISABLED_SavesAsAGameAboutToBeKilled";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE nul =
        CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    // Starts a game on the old pair; returns when it is about to save, at now. It signals
    // again when it has saved.
    const auto startSaving = [&] {
        writeBytes(dir.path() / "tavrec.txt", "10\r\n");
        writeBytes(dir.path() / "ntavrec.txt", "Vecchio\r\n");
        ResetEvent(ready);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = nul;
        PROCESS_INFORMATION child{};
        EXPECT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                   nullptr, &startup, &child));
        CloseHandle(child.hThread);
        EXPECT_EQ(WaitForSingleObject(ready, 20000), WAIT_OBJECT_0);
        QueryPerformanceCounter(&now);
        return child.hProcess;
    };
    // Kills land anywhere from the start of a save to past its end, as one game takes.
    const HANDLE untouched = startSaving();
    const LONGLONG start = now.QuadPart;
    ASSERT_EQ(WaitForSingleObject(ready, 20000), WAIT_OBJECT_0);
    QueryPerformanceCounter(&now);
    WaitForSingleObject(untouched, 20000);
    CloseHandle(untouched);
    const LONGLONG saveTicks = now.QuadPart - start;
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<LONGLONG> delay(0, saveTicks * 3 / 2);

    const int rounds = 120;
    int oldPairs = 0, newPairs = 0, mixed = 0, marked = 0, halfWritten = 0;
    for (int round = 0; round < rounds; ++round) {
        const HANDLE child = startSaving();
        for (const LONGLONG killAt = now.QuadPart + delay(random); now.QuadPart < killAt;)
            QueryPerformanceCounter(&now);
        TerminateProcess(child, 1);
        ASSERT_EQ(WaitForSingleObject(child, 20000), WAIT_OBJECT_0);
        CloseHandle(child);
        marked += std::filesystem::exists(dir.path() / "tavrec.commit");
        halfWritten += readBytes(dir.path() / "tavrec.txt") == "11\r\n" &&
                       readBytes(dir.path() / "ntavrec.txt") == "Vecchio\r\n";
        const StoredRecord pair = store.open();
        if (pair.score == "10\r\n" && pair.name == "Vecchio\r\n")
            ++oldPairs;
        else if (pair.score == "11\r\n" && pair.name == "Nuovo\r\n")
            ++newPairs;
        else
            ++mixed;
    }
    CloseHandle(nul);
    CloseHandle(ready);
    std::printf("%d kills within %.1f ms of a save: %d old pairs, %d new, %d mixed; %d left "
                "their commit mark, %d the new score with the old name\n",
                rounds, 1500.0 * saveTicks / frequency.QuadPart, oldPairs, newPairs, mixed, marked,
                halfWritten);
    EXPECT_EQ(mixed, 0);
    // Nor is anything else left in the folder (the Windows directory, often) for good.
    std::set<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"ntavrec.txt", "tavrec.lck", "tavrec.txt"}));
    EXPECT_GT(oldPairs, 0) << "no kill landed before the save was committed";
    EXPECT_GT(newPairs, 0) << "no kill landed after the save was committed";
}
