// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/fatalerror.h"
#include "platform/win32/systemdir.h"
#include "platform/win32/windowsrecordstore.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <future>

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

    // The name file can't be replaced (a directory stands there): the score goes back.
    std::filesystem::remove(dir.path() / "ntavrec.txt");
    std::filesystem::create_directory(dir.path() / "ntavrec.txt");
    EXPECT_THROW(second.saveIfBeaten("12", "Bruno"), FatalError);
    EXPECT_EQ(readBytes(dir.path() / "tavrec.txt"), "9\r\n");
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
