// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/picturebutton.h"

#include "platform/formlayout.h"
#include "platform/qt/artwork.h"
#include "platform/qt/conversions.h"

#include <QKeyEvent>
#include <QPainter>

namespace {

constexpr QSize pictureSize(32, 32);
constexpr int margin = 6;

} // namespace

PictureButton::PictureButton(const ControlLayout& entry, QWidget* parent)
    : QAbstractButton(parent), normalName_(entry.pictures.normal),
      pressedName_(entry.pictures.pressed), disabledName_(entry.pictures.disabled)
{
    if (entry.backColor) backColor_ = toQColor(*entry.backColor);
    setFocusPolicy(Qt::StrongFocus);
    loadPictures();
}

void PictureButton::loadPictures()
{
    const qreal ratio = devicePixelRatioF();
    loadedRatio_ = ratio;
    auto load = [&](std::string_view name) {
        return name.empty() ? QPixmap() : artworkPixmap(name, pictureSize, ratio);
    };
    normal_ = load(normalName_);
    pressed_ = load(pressedName_);
    disabled_ = load(disabledName_);
}

QPixmap PictureButton::currentPicture() const
{
    if (!isEnabled() && !disabled_.isNull()) return disabled_;
    if (isDown() && !pressed_.isNull()) return pressed_;
    return normal_;
}

void PictureButton::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void PictureButton::paintEvent(QPaintEvent*)
{
    if (devicePixelRatioF() != loadedRatio_) // moved to a screen of another scale
        loadPictures();
    QPainter painter(this);
    const QRect outer = rect();
    painter.fillRect(outer, backColor_);

    // A raised bevel, sunken while held down; a black outline while it has the focus.
    // Drawn as one-pixel fills, so the lines keep their width at any scale.
    const bool down = isDown();
    const QColor light = down ? backColor_.darker(170) : backColor_.lighter(160);
    const QColor dark = down ? backColor_.lighter(160) : backColor_.darker(170);
    auto frame = [&painter](QRect r, const QColor& topLeft, const QColor& bottomRight) {
        painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
        painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
        painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
        painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
    };
    QRect bevel = outer;
    if (hasFocus()) {
        frame(bevel, Qt::black, Qt::black);
        bevel.adjust(1, 1, -1, -1);
    }
    frame(bevel, light, dark);

    const int shift = down ? 1 : 0;
    const QPixmap picture = currentPicture();
    const QFontMetrics metrics(font());
    const int contentHeight = pictureSize.height() + 2 + metrics.height();
    const int top = std::max(margin, (height() - contentHeight) / 2) + shift;
    if (!picture.isNull())
        painter.drawPixmap((width() - pictureSize.width()) / 2 + shift, top, picture);

    const QRect textArea(shift, top + pictureSize.height() + 2, width(), metrics.height());
    const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic;
    if (isEnabled()) {
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(textArea, flags, text());
    } else {
        painter.setPen(backColor_.lighter(170));
        painter.drawText(textArea.translated(1, 1), flags, text());
        painter.setPen(backColor_.darker(160));
        painter.drawText(textArea, flags, text());
    }

    if (hasFocus()) {
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawRect(textArea.adjusted(margin, -1, -margin - 1, 0));
    }
}
