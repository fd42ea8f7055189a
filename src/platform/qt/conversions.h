// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/controls.h"

#include <QColor>
#include <QString>

#include <string_view>

// The game's texts are UTF-8 and its colours plain RGB triples.
inline QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline QColor toQColor(Rgb rgb)
{
    return QColor(rgb.red, rgb.green, rgb.blue);
}
