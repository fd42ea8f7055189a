// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/recorddirectory.h"
#include "platform/textfile.h"
#include "support/child_process.h"
#include "support/fatal_message.h"
#include "support/tempdir.h"

#include <gmock/gmock.h>

#include <sys/stat.h>

namespace fs = std::filesystem;

TEST(TextFile, ReadsAPlainFileUpToTheLimitAndNothingElseNeverHanging)
{
    TempDir dir;
    writeBytes(dir.path() / "big.txt", std::string(100000, '7'));
    EXPECT_EQ(readWholeFile(dir.file("big.txt"), 65536).size(), 65536u);
    fs::create_directory(dir.path() / "dir");
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0666), 0);
    fs::create_symlink(dir.path() / "nowhere", dir.path() / "dangling");
    fs::create_symlink(dir.path() / "big.txt", dir.path() / "link");
    for (const std::string name : {"dir", "fifo", "dangling", "link", "missing", "/dev/null"}) {
        const std::string path = name[0] == '/' ? name : dir.file(name);
        EXPECT_THAT(fatalMessage([&] { readWholeFile(path, 100); }), ::testing::HasSubstr(path));
    }
}

// As an ordinary user, since root may write anywhere: the first candidate the player can
// write is taken; when there is none, the error names every one.
TEST(RecordDirectory, ADirectoryThePlayerCannotWriteIsPassedOver)
{
    TempDir dir;
    fs::permissions(dir.path(), fs::perms(0755));
    fs::create_directory(dir.path() / "readonly");
    fs::permissions(dir.path() / "readonly", fs::perms(0555));
    fs::create_directory(dir.path() / "writable");
    fs::permissions(dir.path() / "writable", fs::perms(0777));
    const int status = inChildProcess(
        [&] {
            FirstWritableDirectory lookup(
                {dir.file("readonly"), dir.file("writable"), dir.file("unused")});
            if (lookup.locate() != dir.file("writable")) return 1;
            const std::string message = fatalMessage([&] {
                FirstWritableDirectory({dir.file("readonly"), dir.file("readonly/a")}).locate();
            });
            return message.find(dir.file("readonly/a")) != message.npos &&
                           message.find(dir.file("readonly") + ":") != message.npos
                       ? 0
                       : 2;
        },
        true);
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(fs::exists(dir.path() / "unused"));
}
