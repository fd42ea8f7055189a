// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/fatalerror.h"
#include "platform/recorddirectory.h"
#include "platform/textfile.h"
#include "support/child_process.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

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
    writeBytes(dir.path() / "target", "secret\r\n");
    fs::create_symlink(dir.path() / "target", dir.path() / "link");
    for (const char* name : {"dir", "fifo", "dangling", "link", "missing"}) {
        try {
            readWholeFile(dir.file(name), 100);
            ADD_FAILURE() << name << " was read";
        } catch (const FatalError& e) {
            EXPECT_NE(std::string(e.what()).find(dir.file(name)), std::string::npos)
                << "the message names the path";
        }
    }
    EXPECT_THROW(readWholeFile("/dev/null", 100), FatalError);
}

// Root may write anywhere, so the check is tried as an ordinary user.
TEST(RecordDirectory, ADirectoryThePlayerCannotWriteIsPassedOver)
{
    TempDir dir;
    fs::permissions(dir.path(), fs::perms(0755));
    fs::create_directory(dir.path() / "readonly");
    fs::permissions(dir.path() / "readonly", fs::perms(0555));
    fs::create_directory(dir.path() / "writable");
    fs::permissions(dir.path() / "writable", fs::perms(0777));
    const int chosen = inChildProcess(
        [&] {
            FirstWritableDirectory lookup({dir.file("readonly"), dir.file("writable")});
            return lookup.locate() == dir.file("writable") ? 0 : 1;
        },
        true);
    EXPECT_EQ(chosen, 0);
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
