// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/captionlabel.h"

#include "platform/formlayout.h"
#include "platform/qt/conversions.h"

#include <QAccessible>
#include <QPainter>

namespace {

QString shownText(std::string_view caption)
{
    QString text = fromUtf8(caption);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.remove(QLatin1Char('\r'));
    return text;
}

} // namespace

CaptionLabel::CaptionLabel(const ControlLayout& entry, QWidget* parent)
    : QWidget(parent), fits_(entry.fits), framed_(entry.framed),
      alignment_((entry.alignment == Alignment::Centre ? Qt::AlignHCenter : Qt::AlignLeft) |
                 Qt::AlignTop)
{
    if (entry.backColor) backColor_ = toQColor(*entry.backColor);
    if (entry.textColor) textColor_ = toQColor(*entry.textColor);
    caption_ = entry.caption;
    text_ = shownText(caption_);
}

void CaptionLabel::setCaption(std::string_view caption)
{
    if (caption == caption_) return;
    caption_ = caption;
    text_ = shownText(caption_);
    if (fits_) fitToCaption();
    update();
}

QRect CaptionLabel::textRect() const
{
    return framed_ ? rect().adjusted(1, 1, -1, -1) : rect();
}

void CaptionLabel::fitToCaption()
{
    const QFontMetrics metrics(font());
    const QStringList lines = text_.split(QLatin1Char('\n'));
    int width = 0;
    for (const QString& line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    const int height = metrics.height() + (lines.size() - 1) * metrics.lineSpacing();
    const int frame = framed_ ? 2 : 0;
    resize(width + frame, height + frame);
}

void CaptionLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (backColor_) painter.fillRect(rect(), *backColor_);
    if (framed_) {
        // Half a pixel in, so the line covers whole pixels at any scale.
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }
    painter.setPen(textColor_.value_or(palette().color(QPalette::WindowText)));
    painter.setClipRect(textRect());
    const int wrap = fits_ ? 0 : int(Qt::TextWordWrap);
    painter.drawText(textRect(), int(alignment_) | wrap, text_);
}
