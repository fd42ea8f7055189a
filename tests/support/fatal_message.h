// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/fatalerror.h"

#include <functional>
#include <string>

// What the fatal error that step raises says, or "" when it raises none: a check on the
// text then fails both when the error is missing and when it names the wrong thing.
inline std::string fatalMessage(const std::function<void()>& step)
{
    try {
        step();
    } catch (const FatalError& error) {
        return error.what();
    }
    return "";
}
