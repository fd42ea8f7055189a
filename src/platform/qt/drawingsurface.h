// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>

// The window's client area. What is painted on it is kept in an image of its own, so it
// survives being covered and uncovered; only a new background colour wipes it.
class DrawingSurface : public QWidget {
    Q_OBJECT

public:
    explicit DrawingSurface(QWidget* parent);

    QColor backColor() const { return backColor_; }
    void setBackColor(const QColor& color);
    // y runs from 0 at the top to scaleHeight at the bottom of the client area.
    void setScaleHeight(int scaleHeight) { scaleHeight_ = scaleHeight; }
    void fillBox(int x1, int y1, int x2, int y2, const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int toPixelsY(int y) const;

    QImage canvas_;
    QColor backColor_;
    int scaleHeight_ = 0; // 0: y is in pixels
};
