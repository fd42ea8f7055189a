// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/systemdir.h"

#include "base/fatalerror.h"

#include <windows.h>

std::string windowsDirectoryFrom(const char* buffer, unsigned n, unsigned bufferSize)
{
    // On overflow the call returns the size it would need, terminator included.
    if (n == 0 || n >= bufferSize) throw FatalError("Impossibile trovare la cartella di Windows.");
    std::string directory(buffer, n);
    if (directory.back() != '\\') directory += '\\';
    return directory;
}

std::string windowsDirectory()
{
    char buffer[128];
    const UINT n = GetWindowsDirectoryA(buffer, sizeof buffer);
    return windowsDirectoryFrom(buffer, n, sizeof buffer);
}
