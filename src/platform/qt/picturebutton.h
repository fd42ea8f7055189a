// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractButton>
#include <QPixmap>

struct ControlLayout;

// A graphical push button: its picture centred above its caption, on its own colour,
// with a pressed picture while held down and a disabled picture while disabled. Enter
// and Space click it when it has the focus; "&" in the caption marks the access key.
class PictureButton : public QAbstractButton {
    Q_OBJECT

public:
    PictureButton(const ControlLayout& entry, QWidget* parent);

    QSize sizeHint() const override { return size(); }
    // The picture shown now: normal, pressed or disabled.
    QPixmap currentPicture() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void loadPictures();

    std::string_view normalName_;
    std::string_view pressedName_;
    std::string_view disabledName_;
    QPixmap normal_;
    QPixmap pressed_;
    QPixmap disabled_;
    QColor backColor_;
    qreal loadedRatio_ = 0;
};
