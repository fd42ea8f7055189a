// SPDX-License-Identifier: GPL-3.0-or-later
// Run once per display scale (QT_SCALE_FACTOR 1, 1.5 and 2): the window must look the
// same at every scale, only sharper.
#include "platform/qt/artwork.h"
#include "platform/qt/captionlabel.h"
#include "platform/qt/picturebutton.h"
#include "support/expected_layout.h"
#include "support/window_fixture.h"

#include <QLineEdit>
#include <set>

namespace {

// The colour at a point given in the window's logical pixels.
QColor colourAt(const QImage& image, QPoint logical, qreal ratio)
{
    return image.pixelColor(int(logical.x() * ratio + ratio / 2),
                            int(logical.y() * ratio + ratio / 2));
}

} // namespace

class WindowScaleTest : public WindowTest {
protected:
    void SetUp() override
    {
        start();
        setClientSize(QSize(792, 554));
        next()->setEnabled(true);
        next()->click(); // paints the gradient at this size
        ratio = window.devicePixelRatioF();
    }
    QAbstractButton* next() const
    {
        return qobject_cast<QAbstractButton*>(window.control(Control::cmdNext));
    }
    qreal ratio = 1;
};

TEST_F(WindowScaleTest, RunsAtTheRequestedScale)
{
    const double requested = qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble();
    EXPECT_DOUBLE_EQ(ratio, requested);
}

TEST_F(WindowScaleTest, ControlsKeepTheirPlacesAndColours)
{
    for (const ExpectedControl& c : expected::controls)
        EXPECT_EQ(window.control(c.id)->pos(), pixelsOf(c).topLeft()) << c.name;

    const QImage image = window.surface()->grab().toImage();
    ASSERT_EQ(image.size(), QSize(792, 554) * ratio);
    const QRect factor = window.control(Control::lblNum1)->geometry();
    EXPECT_EQ(colourAt(image, factor.bottomLeft() + QPoint(2, -2), ratio), QColor(255, 255, 0));
    EXPECT_EQ(colourAt(image, factor.topLeft(), ratio), QColor(Qt::black)) << "its frame";
    const QRect box = window.control(Control::txtAnswer)->geometry();
    EXPECT_EQ(colourAt(image, box.center() + QPoint(80, 0), ratio), QColor(255, 255, 128));
    const QRect next = window.control(Control::cmdNext)->geometry();
    EXPECT_EQ(colourAt(image, QPoint(next.center().x(), next.bottom() - 3), ratio),
              QColor(0, 192, 192));
    const QRect exit = window.control(Control::cmdExit)->geometry();
    EXPECT_EQ(colourAt(image, QPoint(exit.center().x(), exit.bottom() - 3), ratio),
              QColor(192, 0, 192));
}

TEST_F(WindowScaleTest, GradientStillFillsTheClientAreaWith256Stripes)
{
    const QImage image = window.surface()->grab().toImage();
    const int tint = 10 * tavola.state().shade.value();
    const int x = image.width() - 1;
    std::set<int> blues;
    for (int y = 0; y < image.height(); ++y) {
        const QColor c = image.pixelColor(x, y);
        ASSERT_EQ(c.red(), tint) << y;
        ASSERT_EQ(c.green(), tint) << y;
        blues.insert(c.blue());
    }
    EXPECT_EQ(blues.size(), 256u);
    EXPECT_EQ(image.pixelColor(x, 0).blue(), 0);
    EXPECT_EQ(image.pixelColor(x, image.height() - 1).blue(), 255);
}

TEST_F(WindowScaleTest, PicturesAndPointersAreRenderedAtTheScreensResolution)
{
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
