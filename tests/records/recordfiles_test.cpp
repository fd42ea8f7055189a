#include "game/fatalerror.h"
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
    EXPECT_EQ(withFinalSeparator(""), "/");
}

TEST(RecordFiles, PathsDoubleTheSeparatorAndStillNameTheSameFile)
{
    TempDir dir;
    const std::string recordDir = withFinalSeparator(dir.path().string());
    EXPECT_EQ(scoreFile(recordDir), dir.path().string() + "//tavrec.txt");
    EXPECT_EQ(nameFile(recordDir), dir.path().string() + "//ntavrec.txt");
    createMissingFiles(recordDir);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "tavrec.txt"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "ntavrec.txt"));
}

TEST(RecordFiles, ReadsTheWholeFileRawWithItsLineEnd)
{
    TempDir dir;
    writeBytes(dir.path() / "tavrec.txt", "12\r\n");
    EXPECT_EQ(Leggifiletxt(dir.file("tavrec.txt")), "12\r\n");
    writeBytes(dir.path() / "tavrec.txt", "");
    EXPECT_EQ(Leggifiletxt(dir.file("tavrec.txt")), "");
    writeBytes(dir.path() / "tavrec.txt", std::string("1\0"
                                                      "2",
                                                      3));
    EXPECT_EQ(Leggifiletxt(dir.file("tavrec.txt")), std::string("1\0"
                                                                "2",
                                                                3));
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

TEST(RecordFiles, SaveWritesOneLineEachWithCrLf)
{
    TempDir dir;
    const std::string recordDir = withFinalSeparator(dir.path().string());
    createMissingFiles(recordDir);
    saveRecord(recordDir, "27", "Élodie");
    EXPECT_EQ(readBytes(dir.path() / "tavrec.txt"), "27\r\n");
    EXPECT_EQ(readBytes(dir.path() / "ntavrec.txt"), "Élodie\r\n");
    EXPECT_EQ(Leggifiletxt(nameFile(recordDir)), "Élodie\r\n");
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
