// SPDX-License-Identifier: GPL-3.0-or-later
// Run once per display scale (QT_SCALE_FACTOR 1, 1.5 and 2): the window must look the
// same at every scale, only sharper.
#include "platform/qt/artwork.h"
#include "platform/qt/captionlabel.h"
#include "platform/qt/picturebutton.h"
#include "support/window_fixture.h"

class WindowScaleTest : public WindowTest {
protected:
    void SetUp() override
    {
        start();
        ratio = window.devicePixelRatioF();
    }
    qreal ratio = 1;
};

TEST_F(WindowScaleTest, RunsAtTheRequestedScaleWithPicturesAndPointersAtItsResolution)
{
    ASSERT_DOUBLE_EQ(ratio, qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble());
    auto* next = qobject_cast<PictureButton*>(window.control(Control::cmdNext));
    const QPixmap picture = next->currentPicture();
    EXPECT_EQ(picture.size(), QSize(32, 32) * ratio);
    EXPECT_DOUBLE_EQ(picture.devicePixelRatio(), ratio);
    EXPECT_GE(gamePointer(ratio).pixmap().devicePixelRatio(), ratio);
    EXPECT_GE(iconPointer(ratio).pixmap().devicePixelRatio(), ratio);
    EXPECT_FALSE(window.windowIcon().pixmap(QSize(64, 64), ratio).isNull());
}

TEST_F(WindowScaleTest, NoCaptionIsCutThatShowsWholeAtNormalSize)
{
    QImage normalScreen(1, 1, QImage::Format_RGB32); // 96 dpi, no scaling
    int checked = 0;
    for (const ExpectedControl& c : expected::controls) {
        auto* label = qobject_cast<CaptionLabel*>(window.control(c.id));
        if (!label || label->displayText().isEmpty()) continue;
        const QSize room = label->size() - (c.framed ? QSize(2, 2) : QSize(0, 0));
        auto fits = [&](const QFontMetrics& metrics) {
            for (const QString& line : label->displayText().split('\n'))
                if (metrics.horizontalAdvance(line) > room.width()) return false;
            return metrics.height() <= room.height();
        };
        if (!fits(QFontMetrics(label->font(), &normalScreen)))
            continue; // cut at normal size too, as laid out ("X", "=", "Il record  è di ")
        EXPECT_TRUE(fits(QFontMetrics(label->font(), label))) << c.name;
        ++checked;
    }
    EXPECT_GE(checked, 12);
}
