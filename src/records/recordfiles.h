// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The best score of the machine and its holder's name, one line each, in two files.
namespace records {

#ifdef _WIN32
inline constexpr char separator = '\\';
#else
inline constexpr char separator = '/';
#endif

inline constexpr std::string_view scoreFileName = "tavrec.txt";
inline constexpr std::string_view nameFileName = "ntavrec.txt";
inline constexpr std::string_view lineEnd = "\r\n";
// What Notepad puts before UTF-8 text; not part of the record.
inline constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
// Larger files are read only this far: a record line is a few bytes.
inline constexpr std::size_t readLimit = 64 * 1024;
// The longest name saved, in characters; the name box takes no more.
inline constexpr std::size_t longestName = 50;
inline constexpr int highestScore = 32767;

// The directory with exactly one separator at its end (a drive root stays as it is).
std::string withFinalSeparator(std::string directory);

// recordDir + separator + file name: the separator doubles, which file systems read as one.
std::string scoreFile(const std::string& recordDir);
std::string nameFile(const std::string& recordDir);

// A file's whole content, line end included, as UTF-8 text.
std::string Leggifiletxt(const std::string& nomefile);

// What a record file's first bytes say as UTF-8 text: cut at readLimit on a character
// boundary (bytes may hold a few more), without a byte-order mark.
std::string recordText(std::string bytes);

// The game beats the record only when it did strictly better.
bool recordBeaten(std::string_view recordCaption, std::string_view scoreCaption);

// A score as saved: decimal digits only, 0 to highestScore.
bool isSavableScore(std::string_view score);
// What a name never holds: control characters (Cc), format characters (Cf) and the line
// and paragraph separators (Zl, Zp). Each would break, hide or turn around what a label
// shows of the name, or make an invisible one.
bool isHiddenInNames(char32_t code);
// A name as saved: valid UTF-8, at most longestName characters, none hidden in names.
bool isSavableName(std::string_view name);
// The typed name made savable: characters hidden in names dropped, cut to longestName.
std::string savableName(std::string_view name);

} // namespace records
