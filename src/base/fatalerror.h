// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

// An error the game cannot go on after: the window shows it and the program ends.
class FatalError : public std::runtime_error {
public:
    explicit FatalError(const std::string& message) : std::runtime_error(message) {}
};

class OverflowError : public FatalError {
public:
    OverflowError()
        : FatalError("Overflow: un numero intero è uscito dall'intervallo da -32768 a 32767.")
    {
    }
};
