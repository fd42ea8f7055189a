// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/drawingsurface.h"

#include <QPaintEvent>
#include <QPainter>

DrawingSurface::DrawingSurface(QWidget* parent)
    : QWidget(parent), backColor_(palette().color(QPalette::Button))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void DrawingSurface::setBackColor(const QColor& color)
{
    backColor_ = color;
    canvas_.fill(color);
    update();
}

int DrawingSurface::toPixelsY(int y) const
{
    if (scaleHeight_ <= 0) return y;
    return int((qint64(y) * height() + scaleHeight_ / 2) / scaleHeight_);
}

void DrawingSurface::fillBox(int x1, int y1, int x2, int y2, const QColor& color)
{
    const QRect box = QRect(QPoint(std::min(x1, x2), toPixelsY(std::min(y1, y2))),
                            QPoint(std::max(x1, x2) - 1, toPixelsY(std::max(y1, y2)) - 1))
                          .intersected(canvas_.rect());
    if (box.isEmpty()) return;
    QPainter painter(&canvas_);
    painter.fillRect(box, color);
    update(box);
}

void DrawingSurface::resizeEvent(QResizeEvent*)
{
    // What the window no longer covers is lost: growing back uncovers the background
    // colour, not an older picture.
    if (canvas_.size() == size()) return;
    QImage resized(size(), QImage::Format_RGB32);
    resized.fill(backColor_);
    QPainter painter(&resized);
    painter.drawImage(0, 0, canvas_);
    painter.end();
    canvas_ = std::move(resized);
}

void DrawingSurface::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), canvas_, event->rect());
}
