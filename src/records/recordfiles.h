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
// Larger files are read only this far: a record line is a few bytes.
inline constexpr std::size_t readLimit = 64 * 1024;

// The directory with exactly one separator at its end (a drive root stays as it is).
std::string withFinalSeparator(std::string directory);

// recordDir + separator + file name: the separator doubles, which file systems read as one.
std::string scoreFile(const std::string& recordDir);
std::string nameFile(const std::string& recordDir);

// Creates either file, empty, if it is missing; an existing one is left untouched.
void createMissingFiles(const std::string& recordDir);

// A file's whole content, line end included, as UTF-8 text.
std::string Leggifiletxt(const std::string& nomefile);

// The game beats the record only when it did strictly better.
bool recordBeaten(std::string_view recordCaption, std::string_view scoreCaption);

// Rewrites the score file, then the name file, each as one line.
void saveRecord(const std::string& recordDir, std::string_view score, std::string_view name);

} // namespace records
