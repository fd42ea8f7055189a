// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>

#include <string_view>

// The game's own artwork, drawn as SVG and rendered at whatever size and scale is asked.
QPixmap artworkPixmap(std::string_view name, QSize size, qreal devicePixelRatio);

// The window icon, at every size a desktop asks for, rendered when first asked for.
QIcon applicationIcon();

// The window's pencil pointer, and the square-in-a-square pointer of the message line
// and the next-question button.
QCursor gamePointer(qreal devicePixelRatio);
QCursor iconPointer(qreal devicePixelRatio);
