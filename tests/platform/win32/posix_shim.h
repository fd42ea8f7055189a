// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the shared test helpers take from POSIX, on Windows.
#include <direct.h>
#include <stdlib.h>
#include <string.h>

inline char* mkdtemp(char* pattern)
{
    if (_mktemp_s(pattern, strlen(pattern) + 1) != 0 || _mkdir(pattern) != 0) return nullptr;
    return pattern;
}
