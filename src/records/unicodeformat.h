// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace records {

// Unicode's format characters (general category Cf), as Unicode 15.0 lists them: they
// are not seen, but change how the text around them is shown (U+202E turns the rest of
// a line around) or split what looks whole (U+200B).
bool isFormatCharacter(char32_t code);

} // namespace records
