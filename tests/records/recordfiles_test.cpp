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

// Read raw, line end included (the byte-order mark and the plain 64 KiB cut are every
// store's business). 40,000 two-byte letters after an ASCII one: 64 KiB ends inside one.
TEST(RecordFiles, ReadsTheTextRawUpTo64KiBOnACharacterBoundary)
{
    std::string letters = "a";
    for (int i = 0; i < 40000; ++i)
        letters += "è";
    const struct {
        std::string bytes, read;
    } files[] = {{"12\r\n", "12\r\n"},
                 {std::string("1\0002", 3), std::string("1\0002", 3)},
                 {letters, letters.substr(0, 65535)},
                 // Files from an old Windows machine hold Windows-1252; the rest is UTF-8.
                 {"Nicol\xF2\r\n", "Nicolò\r\n"},
                 {"\x80 \x9F", "€ Ÿ"},
                 {"\xC3", "Ã"},                  // a cut UTF-8 sequence
                 {"\xED\xA0\x80", "í\xC2\xA0€"}, // a surrogate is no UTF-8
                 {"\xC0\xAF", "À¯"}};            // nor is an overlong form
    TempDir dir;
    for (const auto& file : files) {
        writeBytes(dir.path() / "tavrec.txt", file.bytes);
        EXPECT_EQ(Leggifiletxt(dir.file("tavrec.txt")), file.read) << file.bytes.substr(0, 9);
    }
}

// Equal and empty records are every store's business; these are the hand-edited ones.
TEST(RecordFiles, AHandEditedRecordCountsAsItsNumericValue)
{
    EXPECT_TRUE(recordBeaten("abc\r\n", "1")) << "no number is 0";
    EXPECT_TRUE(recordBeaten("-5\r\n", "0"));
    EXPECT_FALSE(recordBeaten("1E999", "32767"));
}

// UTF-8 as its definition bounds it (RFC 3629, and Unicode's table of well-formed byte
// sequences): the shortest form only, no surrogates, nothing past U+10FFFF, nothing cut.
TEST(TextCodec, Utf8IsWhatItsDefinitionSaysAndNothingLooser)
{
    // clang-format off
    const char* const valid[] = {
        "", "a", "\x7F", "\xC2\x80", "\xDF\xBF", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xEE\x80\x80",
        "\xEF\xBF\xBF", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF", "Nicol\xC3\xB2 \xE2\x82\xAC"};
    const char* const invalid[] = {
        // a continuation alone; overlong forms
        "\x80", "\xBF", "a\x80" "b", "\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xE0\x9F\xBF",
        "\xF0\x80\x80\x80", "\xF0\x8F\xBF\xBF",
        // surrogates, a pair too; past U+10FFFF; no such lead byte
        "\xED\xA0\x80", "\xED\xBF\xBF", "\xED\xAF\xBF\xED\xBF\xBF", "\xF4\x90\x80\x80",
        "\xF5\x80\x80\x80", "\xF7\xBF\xBF\xBF", "\xF8\x88\x80\x80\x80", "\xFC\x84\x80\x80\x80\x80",
        "\xFE", "\xFF",
        // cut short; broken
        "\xC2", "\xE0\xA0", "\xF0\x90\x80", "a\xE2\x82", "\xC2\x41", "\xE2\x28\xA1",
        "\xF0\x90\x28\xBC", "\xE2\x82\xC3\xA8"};
    // clang-format on
    for (const char* bytes : valid)
        EXPECT_TRUE(isValidUtf8(bytes)) << ::testing::PrintToString(bytes);
    for (const char* bytes : invalid)
        EXPECT_FALSE(isValidUtf8(bytes)) << ::testing::PrintToString(bytes);
}

TEST(TextCodec, AnyBytesGiveValidUtf8)
{
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
