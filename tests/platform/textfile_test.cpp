#include "game/fatalerror.h"
#include "platform/recorddirectory.h"
#include "platform/textfile.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(TextFile, CreateLeavesAnExistingFileUntouched)
{
    TempDir dir;
    writeBytes(dir.path() / "a.txt", "7\r\n");
    createIfMissing(dir.file("a.txt"));
    EXPECT_EQ(readBytes(dir.path() / "a.txt"), "7\r\n");
}

TEST(TextFile, NewFilesCanBeWrittenByEveryLocalUserWhateverTheUmask)
{
    TempDir dir;
    const mode_t old = ::umask(077);
    createIfMissing(dir.file("a.txt"));
    replaceFile(dir.file("b.txt"), "1\r\n");
    ::umask(old);
    for (const char* name : {"a.txt", "b.txt"}) {
        const auto perms = fs::status(dir.path() / name).permissions();
        EXPECT_EQ(perms & fs::perms::all, fs::perms(0666)) << name;
    }
}

TEST(TextFile, ReadStopsAtTheLimit)
{
    TempDir dir;
    writeBytes(dir.path() / "big.txt", std::string(100000, '7'));
    EXPECT_EQ(readWholeFile(dir.file("big.txt"), 65536).size(), 65536u);
}

TEST(TextFile, ThingsThatAreNotPlainFilesAreFatalAndNeverHang)
{
    TempDir dir;
    fs::create_directory(dir.path() / "dir");
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0666), 0);
    fs::create_symlink(dir.path() / "nowhere", dir.path() / "dangling");
    for (const char* name : {"dir", "fifo", "dangling", "missing"}) {
        EXPECT_THROW(readWholeFile(dir.file(name), 100), FatalError) << name;
        if (std::string(name) != "missing") {
            EXPECT_THROW(createIfMissing(dir.file(name)), FatalError) << name;
        }
    }
    EXPECT_THROW(readWholeFile("/dev/null", 100), FatalError);
    try {
        createIfMissing(dir.file("fifo"));
    } catch (const FatalError& e) {
        EXPECT_NE(std::string(e.what()).find(dir.file("fifo")), std::string::npos)
            << "the message names the path";
    }
}

TEST(TextFile, ReplaceSwapsTheContentAndLeavesNoTemporaryFiles)
{
    TempDir dir;
    writeBytes(dir.path() / "a.txt", "old\r\n");
    replaceFile(dir.file("a.txt"), "new\r\n");
    EXPECT_EQ(readBytes(dir.path() / "a.txt"), "new\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(TextFile, ReplaceNeverWritesThroughASymbolicLink)
{
    TempDir dir;
    writeBytes(dir.path() / "target.txt", "keep\r\n");
    fs::create_symlink(dir.path() / "target.txt", dir.path() / "a.txt");
    EXPECT_EQ(readWholeFile(dir.file("a.txt"), 100), "keep\r\n") << "reading follows the link";
    replaceFile(dir.file("a.txt"), "9\r\n");
    EXPECT_EQ(readBytes(dir.path() / "target.txt"), "keep\r\n");
    EXPECT_FALSE(fs::is_symlink(dir.path() / "a.txt"));
    EXPECT_EQ(readBytes(dir.path() / "a.txt"), "9\r\n");
}

TEST(TextFile, ReplaceIntoAMissingDirectoryIsFatal)
{
    TempDir dir;
    EXPECT_THROW(replaceFile(dir.file("gone/a.txt"), "1\r\n"), FatalError);
}

TEST(RecordDirectory, TakesTheSharedDirectoryAndCreatesItForEveryone)
{
    TempDir dir;
    const std::string shared = dir.file("games/moltiplix");
    FirstWritableDirectory lookup({shared, dir.file("mine")});
    EXPECT_EQ(lookup.locate(), shared);
    EXPECT_EQ(fs::status(shared).permissions() & fs::perms::all, fs::perms::all);
    EXPECT_FALSE(fs::exists(dir.path() / "mine"));
}

TEST(RecordDirectory, FallsBackToThePlayersOwnWhenTheSharedOneCannotBeMade)
{
    TempDir dir;
    writeBytes(dir.path() / "afile", "");
    FirstWritableDirectory lookup({dir.file("afile/moltiplix"), dir.file("mine/moltiplix")});
    EXPECT_EQ(lookup.locate(), dir.file("mine/moltiplix"));
    EXPECT_TRUE(fs::is_directory(dir.path() / "mine/moltiplix"));
}

TEST(RecordDirectory, FatalWhenNoneCanBeUsedAndSaysWhichPaths)
{
    TempDir dir;
    writeBytes(dir.path() / "afile", "");
    FirstWritableDirectory lookup({dir.file("afile/a"), dir.file("afile/b")});
    try {
        lookup.locate();
        FAIL() << "no directory should be usable";
    } catch (const FatalError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find(dir.file("afile/a")), std::string::npos);
        EXPECT_NE(message.find(dir.file("afile/b")), std::string::npos);
    }
}

TEST(RecordDirectory, TheSharedDirectoryComesFirst)
{
    const auto candidates = defaultRecordDirectories("/home/anna/.local/share/moltiplix");
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_EQ(candidates[0], "/var/games/moltiplix");
    EXPECT_EQ(candidates[1], "/home/anna/.local/share/moltiplix");
}
