// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/captionlabel.h"
#include "platform/qt/picturebutton.h"
#include "support/expected_layout.h"
#include "support/window_fixture.h"

#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

namespace {

const QColor painted(10, 20, 30); // no control uses it
const QColor black(0, 0, 0);

// The bounding box of the pixels within area that are (or, with unlike, are not) colour.
QRect inkOf(const QImage& image, QRect area, const QColor& colour, bool unlike = false)
{
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if ((image.pixelColor(x, y) == colour) != unlike) ink |= QRect(x, y, 1, 1);
    return ink;
}

} // namespace

// The window as it is created, before any game changes it.
class WindowLayoutTest : public WindowTest {
protected:
    void SetUp() override
    {
        window.load();
        window.show();
        QApplication::processEvents();
    }
    QImage paintedSurface()
    {
        window.setBackColor({painted.red(), painted.green(), painted.blue()});
        const QImage image = surfaceImage();
        EXPECT_EQ(image.devicePixelRatio(), 1.0);
        return image;
    }
};

TEST_F(WindowLayoutTest, EveryControlHasItsPlaceCaptionFontTooltipAndPointer)
{
    for (const ExpectedControl& c : expected::controls) {
        SCOPED_TRACE(c.name);
        QWidget* w = widget(c.id);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->objectName(), c.name);
        EXPECT_EQ(w->parentWidget(), window.surface());
        EXPECT_EQ(w->geometry(), pixelsOf(c));
        EXPECT_EQ(w->toolTip(), QString::fromUtf8(c.tooltip));
        const bool ownPointer = c.id == Control::lblMessage || c.id == Control::cmdNext;
        EXPECT_EQ(w->testAttribute(Qt::WA_SetCursor), ownPointer || c.id == Control::txtAnswer);
        if (ownPointer) {
            EXPECT_EQ(w->cursor().shape(), Qt::BitmapCursor);
            EXPECT_NE(w->cursor().pixmap().toImage(),
                      window.surface()->cursor().pixmap().toImage());
        }
        if (auto* label = qobject_cast<CaptionLabel*>(w)) {
            EXPECT_EQ(label->caption(), c.caption);
        }
        if (c.family[0] == '\0') continue;
        EXPECT_EQ(w->font().family(), c.family);
        EXPECT_DOUBLE_EQ(w->font().pointSizeF(), c.points);
        EXPECT_EQ(w->font().weight(), c.bold ? QFont::Bold : QFont::Normal);
        EXPECT_EQ(w->font().italic(), c.italic);
        EXPECT_FALSE(w->font().underline() || w->font().strikeOut());
        const QString face = QFontInfo(w->font()).family();
        if (QString(c.family) == "Arial") {
            EXPECT_EQ(face, "Liberation Sans");
        } else if (QString(c.family) == "Times New Roman") {
            EXPECT_EQ(face, "Liberation Serif");
        }
    }
    auto* box = widget<QLineEdit>(Control::txtAnswer);
    EXPECT_EQ(box->maxLength(), 4);
    EXPECT_EQ(box->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_TRUE(box->hasFrame());
    auto* picture = widget<QLabel>(Control::Image1);
    EXPECT_EQ(picture->pixmap().deviceIndependentSize(), QSizeF(32, 32));
    EXPECT_FALSE(picture->hasScaledContents());
    EXPECT_EQ(picture->frameShape(), QFrame::NoFrame);
}

TEST_F(WindowLayoutTest, ControlsShowTheirColoursBackgroundsFramesAndAlignment)
{
    // Empty captions get some text, so that their colour and alignment show.
    for (Control id : {Control::lblNum1, Control::lblNum2, Control::txtAnswer})
        window.setCaption(id, "8");
    window.setCaption(Control::lblnome1, "Bea");
    window.setCaption(Control::lblMessage, "Mm");
    const QImage image = paintedSurface();
    int aligned = 0;
    for (const ExpectedControl& c : expected::controls) {
        SCOPED_TRACE(c.name);
        const QRect r = widget(c.id)->geometry();
        const QColor back = c.back.isValid() ? c.back : painted;
        EXPECT_TRUE(!c.back.isValid() || image.pixelColor(r.center().x(), r.bottom() - 3) == back);
        if (!widget<CaptionLabel>(c.id)) {
            EXPECT_TRUE(!c.text.isValid() || !inkOf(image, r, c.text).isNull());
            continue;
        }
        const QRect inside = c.framed ? r.adjusted(1, 1, -1, -1) : r;
        EXPECT_EQ(image.pixelColor(r.topLeft()), c.framed ? black : painted) << "frame";
        EXPECT_EQ(image.pixelColor(r.bottomRight()), c.framed ? black : painted) << "frame";
        EXPECT_EQ(inkOf(image, inside, painted).isNull(), c.back.isValid()) << "transparent?";
        const QColor text =
            c.text.isValid() ? c.text : QApplication::palette().color(QPalette::WindowText);
        ASSERT_FALSE(inkOf(image, inside, text).isNull()) << "caption drawn in its colour";
        const QRect ink = inkOf(image, inside, back, true);
        const int leftGap = ink.left() - inside.left();
        const int rightGap = inside.right() - ink.right();
        if (leftGap + rightGap < 8) continue; // too little room to tell
        ++aligned;
        if (c.centred)
            EXPECT_LE(std::abs(leftGap - rightGap), 3) << "centred";
        else
            EXPECT_LE(leftGap, 3) << "left";
    }
    EXPECT_GE(aligned, 7);
}

TEST_F(WindowLayoutTest, FittingLabelsFollowTheirCaptionAndTheOthersWrapWithinTheirSize)
{
    for (const ExpectedControl& c : expected::controls) {
        auto* label = widget<CaptionLabel>(c.id);
        if (!label) continue;
        SCOPED_TRACE(c.name);
        window.setCaption(c.id, "Mm Mm Mm Mm Mm Mm Mm Mm Mm");
        if (c.fits) {
            EXPECT_EQ(label->pos(), pixelsOf(c).topLeft());
            EXPECT_GT(label->width(), pixelsOf(c).width());
        } else {
            EXPECT_EQ(label->geometry(), pixelsOf(c));
        }
    }

    auto* score = widget<CaptionLabel>(Control::lblpunti);
    window.setCaption(Control::lblpunti, "12");
    const int oneLine = score->height();
    window.setCaption(Control::lblpunti, "12\r\n");
    EXPECT_GT(score->height(), oneLine * 3 / 2) << "a trailing CR LF makes it two lines high";

    // Too long for one line: wrapped, the first line shows whole and centred.
    window.setCaption(Control::lblMessage, "Esatto! Bartolomeo Francesco sei forte!");
    const QRect message = widget(Control::lblMessage)->geometry();
    const QRect ink = inkOf(paintedSurface(), message, painted, true);
    ASSERT_FALSE(ink.isNull());
    EXPECT_GT(ink.left() - message.left(), 20);
    EXPECT_GT(message.right() - ink.right(), 20);
}

TEST_F(WindowLayoutTest, ButtonsShowTheirPicturesAccessKeysAndColours)
{
    auto* next = widget<PictureButton>(Control::cmdNext);
    auto* exit = widget<PictureButton>(Control::cmdExit);
    EXPECT_EQ(next->text(), "&Nuovo calcolo");
    EXPECT_EQ(exit->text(), "E&xit");
    EXPECT_FALSE(next->isEnabled());
    EXPECT_TRUE(exit->isEnabled());
    EXPECT_EQ(next->shortcut(), QKeySequence(Qt::ALT | Qt::Key_N));
    EXPECT_EQ(exit->shortcut(), QKeySequence(Qt::ALT | Qt::Key_X));
    const QImage disabled = next->currentPicture().toImage();
    next->setEnabled(true);
    const QImage normal = next->currentPicture().toImage();
    next->setDown(true);
    const QImage pressed = next->currentPicture().toImage();
    EXPECT_FALSE(normal.isNull());
    EXPECT_NE(normal, disabled);
    EXPECT_NE(normal, pressed);
    EXPECT_NE(pressed, disabled);
    EXPECT_EQ(normal.size(), QSize(32, 32) * next->devicePixelRatioF());
}

TEST_F(WindowLayoutTest, OnlyTheButtonsAndTheAnswerBoxTakeTheFocusInTabOrder)
{
    QWidget* exit = widget(Control::cmdExit);
    QWidget* next = widget(Control::cmdNext);
    QWidget* box = widget(Control::txtAnswer);
    for (const ExpectedControl& c : expected::controls)
        EXPECT_EQ(widget(c.id)->focusPolicy() != Qt::NoFocus, c.id == Control::cmdExit ||
                                                                  c.id == Control::cmdNext ||
                                                                  c.id == Control::txtAnswer)
            << c.name;

    exit->setFocus();
    QTest::keyClick(exit, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), box) << "a disabled cmdNext is skipped";

    next->setEnabled(true);
    exit->setFocus();
    QTest::keyClick(exit, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), next);
    QTest::keyClick(next, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), box);
}

TEST_F(WindowLayoutTest, MenuBarHoldsTheFiveItemsInOrder)
{
    const auto bar = window.menuBar()->actions();
    ASSERT_EQ(bar.size(), 4);
    EXPECT_EQ(bar[0]->objectName(), "wp");
    ASSERT_NE(bar[0]->menu(), nullptr);
    ASSERT_EQ(bar[0]->menu()->actions().size(), 1);
    const QAction* v = bar[0]->menu()->actions()[0];
    EXPECT_EQ(v->objectName(), "v");
    EXPECT_EQ(bar[1]->objectName(), "Ciao");
    EXPECT_EQ(bar[1]->menu(), nullptr);
    EXPECT_EQ(bar[2]->objectName(), "a");
    EXPECT_TRUE(bar[2]->text().contains('@'));
    EXPECT_EQ(bar[3]->objectName(), "Next");
    EXPECT_EQ(bar[3]->text(), "nuovo");
    for (const QAction* item : std::initializer_list<const QAction*>{bar[0], v, bar[1]})
        EXPECT_FALSE(item->text().isEmpty()) << item->objectName().toStdString();
}

TEST_F(WindowLayoutTest, OpensMaximisedInButtonFaceAndRestoresToItsClientArea)
{
    EXPECT_TRUE(window.isMaximized());
    EXPECT_EQ(window.windowTitle(), "Gioca con la tavola pitagorica");
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_EQ(surfaceImage().pixelColor(790, 300), QApplication::palette().color(QPalette::Button));
    setClientSize(QSize(792, 554));
    window.showNormal();
    QApplication::processEvents();
    EXPECT_EQ(window.surface()->size(), QSize(792, 554));
    EXPECT_EQ(window.timer()->interval(), 1000);
}

TEST_F(WindowTest, MinimisingRenamesTheWindowAndNoReactivationPosesAQuestion)
{
    start();
    QTest::keyClicks(widget(Control::txtAnswer), "1");
    const std::string question =
        window.caption(Control::lblNum1) + "x" + window.caption(Control::lblNum2);
    window.showNormal();
    window.resize(500, 400);
    window.showMaximized();
    QApplication::processEvents();
    EXPECT_EQ(window.windowTitle(), "Gioca con la tavola pitagorica");
    window.showMinimized();
    QApplication::processEvents();
    EXPECT_EQ(window.windowTitle(), "Giocare con la tavola pitagorica");
    window.showMaximized();
    QApplication::processEvents();
    EXPECT_EQ(window.windowTitle(), "Giocare con la tavola pitagorica");

    // Another program's window comes to the front, then this one again.
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QApplication::processEvents();
    QApplication::setActiveWindow(&window);
    window.activateWindow();
    QApplication::processEvents();
    EXPECT_TRUE(window.isActiveWindow());
    EXPECT_EQ(window.answerText(), "1") << "the open question stays";
    EXPECT_EQ(window.caption(Control::lblNum1) + "x" + window.caption(Control::lblNum2), question);
}
