// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

// The number a text begins with: blanks, tabs and line feeds are skipped anywhere; a
// sign, a decimal point (always '.') and an E or D exponent are read, as are &H
// (hexadecimal) and &O (octal) prefixes. Reading stops at the first other character;
// a text without a number reads 0. Values too large for a double read as infinity.
double numericValue(std::string_view text);
