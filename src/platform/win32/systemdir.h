// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// The Windows directory as GetWindowsDirectoryA left it in a buffer of bufferSize
// characters, n being what the call returned: the first n characters with one "\" at
// the end, a drive root unchanged. A failed or overflowing lookup is a FatalError.
std::string windowsDirectoryFrom(const char* buffer, unsigned n, unsigned bufferSize);

// Asks the system, with the 128-character buffer of old.
std::string windowsDirectory();
