// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

// Record files carried over from an old Windows machine hold Windows-1252 text; files
// written here hold UTF-8. Valid UTF-8 is kept as it is, anything else is read as
// Windows-1252. The result is always valid UTF-8.
std::string recordTextToUtf8(std::string_view bytes);

bool isValidUtf8(std::string_view bytes);
