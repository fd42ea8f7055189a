// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Maps the layout's Windows font names to faces this system has.
void installFontSubstitutes();
