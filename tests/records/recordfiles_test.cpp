// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/recordfiles.h"
#include "records/textcodec.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

using namespace records;

TEST(RecordDir, GetsExactlyOneFinalSeparator)
{
    EXPECT_EQ(withFinalSeparator("/var/games/moltiplix"), "/var/games/moltiplix/");
    EXPECT_EQ(withFinalSeparator("/var/games/moltiplix/"), "/var/games/moltiplix/");
    EXPECT_EQ(withFinalSeparator("/"), "/");
    EXPECT_EQ(scoreFile("/var/games/moltiplix/"), "/var/games/moltiplix//tavrec.txt");
}

TEST(RecordFiles, ReadsTheWholeFileRawWithItsLineEnd)
{
    TempDir dir;
    writeBytes(dir.path() / "tavrec.txt", "12\r\n");
    EXPECT_EQ(Leggifiletxt(dir.file("tavrec.txt")), "12\r\n");
    writeBytes(dir.path() / "tavrec.txt", "");
    EXPECT_EQ(Leggifiletxt(dir.file("tavrec.txt")), "");
    writeBytes(dir.path() / "tavrec.txt", std::string("1\0002", 3));
    EXPECT_EQ(Leggifiletxt(dir.file("tavrec.txt")), std::string("1\0002", 3));
}

// Notepad starts a UTF-8 file with EF BB BF; the record must still read 12.
TEST(RecordFiles, AByteOrderMarkIsNotPartOfTheText)
{
    TempDir dir;
    writeBytes(dir.path() / "tavrec.txt", "\xEF\xBB\xBF"
                                          "12\r\n");
    EXPECT_EQ(Leggifiletxt(dir.file("tavrec.txt")), "12\r\n");
    EXPECT_FALSE(recordBeaten(Leggifiletxt(dir.file("tavrec.txt")), "12"));
}

// 40,000 two-byte letters after one ASCII one: 64 KiB ends inside a letter.
TEST(RecordFiles, ReadingStopsAt64KiBOnACharacterBoundary)
{
    TempDir dir;
    std::string name = "a";
    for (int i = 0; i < 40000; ++i)
        name += "è";
    writeBytes(dir.path() / "ntavrec.txt", name);
    const std::string read = Leggifiletxt(dir.file("ntavrec.txt"));
    EXPECT_EQ(read.size(), 65535u);
    EXPECT_EQ(read, name.substr(0, 65535));

    writeBytes(dir.path() / "ntavrec.txt", std::string(100000, '7'));
    EXPECT_EQ(Leggifiletxt(dir.file("ntavrec.txt")).size(), 65536u);
}

TEST(RecordFiles, RecordTestIsStrictlyBetterOnly)
{
    EXPECT_TRUE(recordBeaten("", "1"));
    EXPECT_FALSE(recordBeaten("", "0"));
    EXPECT_TRUE(recordBeaten("12\r\n", "13"));
    EXPECT_FALSE(recordBeaten("12\r\n", "12"));
    EXPECT_FALSE(recordBeaten("12\r\n", "11"));
    EXPECT_TRUE(recordBeaten("abc\r\n", "1"));
    EXPECT_TRUE(recordBeaten("-5\r\n", "0"));
    EXPECT_FALSE(recordBeaten("1E999", "32767"));
}

TEST(TextCodec, KeepsUtf8AndReadsEverythingElseAsWindows1252)
{
    EXPECT_EQ(recordTextToUtf8("Nicolò"), "Nicolò");
    EXPECT_EQ(recordTextToUtf8("Nicol\xF2"), "Nicolò");
    EXPECT_EQ(recordTextToUtf8("\x80 \x9F"), "€ Ÿ");
    EXPECT_EQ(recordTextToUtf8("\xC3"), "Ã") << "a cut UTF-8 sequence";
    EXPECT_EQ(recordTextToUtf8("\xED\xA0\x80"), "í\xC2\xA0€") << "a surrogate is not UTF-8";
    EXPECT_EQ(recordTextToUtf8("\xC0\xAF"), "À¯") << "an overlong form is not UTF-8";
    for (int byte = 0; byte < 256; ++byte) {
        const std::string decoded =
            recordTextToUtf8(std::string(1, static_cast<char>(byte)) + "\xFF");
        EXPECT_TRUE(isValidUtf8(decoded)) << byte;
    }
}

TEST(Keeper, TheGameHandsOverANameTheKeeperTakes)
{
    EXPECT_EQ(savableName("Zoë\xC2\x85\t"), "Zoë");
    std::string pasted;
    for (int i = 0; i < 40000; ++i)
        pasted += "è";
    EXPECT_EQ(savableName(pasted).size(), 100u) << "50 letters of two bytes";
}
