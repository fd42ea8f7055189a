#pragma once

// Maps the layout's Windows font names to faces this system has.
void installFontSubstitutes();
