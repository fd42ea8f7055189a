// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

// The window and the file system speak UTF-16; the game speaks UTF-8; the record files
// hold the system's ANSI code page.
std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);
std::string ansiToUtf8(std::string_view ansi);
// Characters the code page lacks become '?'.
std::string utf8ToAnsi(std::string_view utf8);
