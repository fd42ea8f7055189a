// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/recordfiles.h"

#include "base/numericvalue.h"
#include "platform/textfile.h"
#include "records/textcodec.h"
#include "records/unicodeformat.h"

#include <cstdint>

namespace records {

namespace {

bool isContinuation(char c)
{
    return (static_cast<std::uint8_t>(c) & 0xC0) == 0x80;
}

std::size_t characterLength(std::string_view text, std::size_t i)
{
    std::size_t length = 1;
    while (i + length < text.size() && isContinuation(text[i + length]))
        ++length;
    return length;
}

// The code point of the character of valid UTF-8 at i.
char32_t codeAt(std::string_view text, std::size_t i, std::size_t length)
{
    static constexpr std::uint8_t leadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t code = static_cast<std::uint8_t>(text[i]) & leadBits[length];
    for (std::size_t k = 1; k < length; ++k)
        code = (code << 6) | (static_cast<std::uint8_t>(text[i + k]) & 0x3F);
    return code;
}

bool isHiddenAt(std::string_view text, std::size_t i, std::size_t length)
{
    return isHiddenInNames(codeAt(text, i, length));
}

} // namespace

std::string withFinalSeparator(std::string directory)
{
    if (directory.empty() || directory.back() != separator) directory += separator;
    return directory;
}

std::string scoreFile(const std::string& recordDir)
{
    return recordDir + separator + std::string(scoreFileName);
}

std::string nameFile(const std::string& recordDir)
{
    return recordDir + separator + std::string(nameFileName);
}

std::string recordText(std::string bytes)
{
    if (bytes.size() > readLimit) {
        // Step back over a character cut in two, but only when the text is UTF-8 at all.
        std::size_t cut = readLimit;
        while (cut > readLimit - 3 && isContinuation(bytes[cut]))
            --cut;
        if (!isValidUtf8(std::string_view(bytes).substr(0, cut))) cut = readLimit;
        bytes.resize(cut);
    }
    if (std::string_view(bytes).substr(0, byteOrderMark.size()) == byteOrderMark)
        bytes.erase(0, byteOrderMark.size());
    return recordTextToUtf8(bytes);
}

std::string Leggifiletxt(const std::string& nomefile)
{
    return recordText(readWholeFile(nomefile, readLimit + 3));
}

bool recordBeaten(std::string_view recordCaption, std::string_view scoreCaption)
{
    return numericValue(recordCaption) < numericValue(scoreCaption);
}

bool isSavableScore(std::string_view score)
{
    if (score.empty() || score.size() > 5) return false;
    int value = 0;
    for (char c : score) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return value <= highestScore;
}

bool isHiddenInNames(char32_t code)
{
    const bool control = code < 0x20 || (code >= 0x7F && code <= 0x9F);
    const bool lineOrParagraphSeparator = code == 0x2028 || code == 0x2029;
    return control || lineOrParagraphSeparator || isFormatCharacter(code);
}

bool isSavableName(std::string_view name)
{
    if (!isValidUtf8(name)) return false;
    std::size_t characters = 0;
    for (std::size_t i = 0, length = 0; i < name.size(); i += length) {
        length = characterLength(name, i);
        if (isHiddenAt(name, i, length) || ++characters > longestName) return false;
    }
    return true;
}

std::string savableName(std::string_view typed)
{
    const std::string name = recordTextToUtf8(typed);
    std::string kept;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < name.size() && characters < longestName;) {
        const std::size_t length = characterLength(name, i);
        if (!isHiddenAt(name, i, length)) {
            kept.append(name, i, length);
            ++characters;
        }
        i += length;
    }
    return kept;
}

} // namespace records
