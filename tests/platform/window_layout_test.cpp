#include "game/layout.h"
#include "platform/qt/captionlabel.h"
#include "platform/qt/picturebutton.h"
#include "support/window_fixture.h"

#include <QFontInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

namespace {

// The faces the layout's font names resolve to here.
QString expectedFamily(std::string_view family)
{
    if (family == "Times New Roman") return "Liberation Serif";
    if (family == "Arial Black") return "DejaVu Sans";
    return "Liberation Sans";
}

QColor toQColor(Rgb rgb)
{
    return QColor(rgb.red, rgb.green, rgb.blue);
}

bool containsColour(const QImage& image, const QColor& colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour) return true;
    return false;
}

// Captions that start-up or the first question change on a fitting label.
bool resizedAtStart(Control id)
{
    return id == Control::lblNum1 || id == Control::lblNum2 || id == Control::lblnome1 ||
           id == Control::lblnome || id == Control::lblpunti;
}

} // namespace

TEST_F(WindowTest, EveryControlStandsWhereTheLayoutSaysWithItsFontAndTooltip)
{
    start();
    for (const ControlLayout& entry : controlTable) {
        SCOPED_TRACE(std::string(entry.name));
        QWidget* w = window.control(entry.id);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->objectName().toStdString(), entry.name);
        EXPECT_EQ(w->parentWidget(), window.surface());
        EXPECT_EQ(w->pos(), QPoint(entry.left / 15, entry.top / 15));
        if (!resizedAtStart(entry.id)) {
            EXPECT_EQ(w->size(), QSize(entry.width / 15, entry.height / 15));
        }
        EXPECT_EQ(w->toolTip().toStdString(), entry.tooltip);
        if (entry.kind == ControlKind::Picture) continue;
        const QFontInfo font(w->font());
        EXPECT_EQ(font.family(), expectedFamily(entry.font.family));
        EXPECT_DOUBLE_EQ(w->font().pointSizeF(), entry.font.points);
        EXPECT_EQ(font.bold(), entry.font.bold);
        EXPECT_EQ(font.italic(), entry.font.italic);
        EXPECT_FALSE(w->font().underline());
        EXPECT_EQ(w->cursor().shape() == Qt::BitmapCursor, entry.pointer == Pointer::Icon ||
                                                               entry.kind == ControlKind::Label ||
                                                               entry.kind == ControlKind::Button);
    }
}

TEST_F(WindowTest, LabelsShowTheirColoursFramesAndCaptions)
{
    start();
    for (const ControlLayout& entry : controlTable) {
        if (entry.kind != ControlKind::Label || entry.caption.empty()) continue;
        SCOPED_TRACE(std::string(entry.name));
        auto* label = widget<CaptionLabel>(entry.id);
        ASSERT_NE(label, nullptr);
        const QImage image = label->grab().toImage();
        const QColor text = entry.textColor ? toQColor(*entry.textColor) : QColor(Qt::black);
        if (!resizedAtStart(entry.id) && entry.id != Control::lblconto) {
            EXPECT_EQ(label->caption(), entry.caption);
            EXPECT_TRUE(containsColour(image, text)) << "caption drawn in its colour";
        }
        EXPECT_EQ(image.pixelColor(0, 0) == QColor(Qt::black), entry.framed) << "frame";
    }
}

TEST_F(WindowTest, FactorsAreFramedYellowBoxesAndTransparentLabelsShowThePainting)
{
    start();
    const QImage factor = widget(Control::lblNum1)->grab().toImage();
    EXPECT_EQ(factor.pixelColor(2, factor.height() - 3), QColor(255, 255, 0));
    EXPECT_EQ(factor.pixelColor(0, 0), QColor(Qt::black));

    // The gradient runs top to bottom, so beside the "X" label and inside it, away from
    // the glyph, the same colour shows: the label lets the painting through.
    const QImage painted = window.surface()->grab().toImage();
    const QRect sign = widget(Control::Label2)->geometry();
    for (int y : {sign.top() + 2, sign.bottom() - 2}) {
        const QColor outside = painted.pixelColor(sign.left() - 1, y);
        EXPECT_EQ(painted.pixelColor(sign.left() + 1, y), outside) << y;
        EXPECT_NE(outside, window.surface()->palette().color(QPalette::Window));
    }
}

TEST_F(WindowTest, AnswerBoxTakesFourCharactersInItsColours)
{
    start();
    auto* box = widget<QLineEdit>(Control::txtAnswer);
    EXPECT_EQ(box->maxLength(), 4);
    EXPECT_EQ(box->palette().color(QPalette::Text), QColor(0, 0, 255));
    EXPECT_EQ(box->palette().color(QPalette::Base), QColor(255, 255, 128));
    EXPECT_EQ(box->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_TRUE(box->hasFrame());
}

TEST_F(WindowTest, ButtonsShowTheirPicturesAccessKeysAndColours)
{
    start();
    auto* next = widget<PictureButton>(Control::cmdNext);
    auto* exit = widget<PictureButton>(Control::cmdExit);
    EXPECT_EQ(next->text(), "&Nuovo calcolo");
    EXPECT_EQ(exit->text(), "E&xit");
    EXPECT_EQ(next->shortcut(), QKeySequence(Qt::ALT | Qt::Key_N));
    EXPECT_EQ(exit->shortcut(), QKeySequence(Qt::ALT | Qt::Key_X));
    EXPECT_EQ(next->grab().toImage().pixelColor(next->width() / 2, next->height() - 4),
              QColor(0, 192, 192));
    EXPECT_EQ(exit->grab().toImage().pixelColor(exit->width() / 2, exit->height() - 4),
              QColor(192, 0, 192));

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

TEST_F(WindowTest, OnlyTheButtonsAndTheAnswerBoxTakeTheFocusInTabOrder)
{
    start();
    QWidget* exit = widget(Control::cmdExit);
    QWidget* next = widget(Control::cmdNext);
    QWidget* box = widget(Control::txtAnswer);
    for (const ControlLayout& entry : controlTable)
        EXPECT_EQ(window.control(entry.id)->focusPolicy() != Qt::NoFocus, entry.tabIndex >= 0)
            << entry.name;

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

TEST_F(WindowTest, MenuBarHoldsTheFiveItemsInOrder)
{
    start();
    const auto bar = window.menuBar()->actions();
    ASSERT_EQ(bar.size(), 4);
    EXPECT_EQ(bar[0]->objectName(), "wp");
    ASSERT_NE(bar[0]->menu(), nullptr);
    ASSERT_EQ(bar[0]->menu()->actions().size(), 1);
    EXPECT_EQ(bar[0]->menu()->actions()[0]->objectName(), "v");
    EXPECT_EQ(bar[1]->objectName(), "Ciao");
    EXPECT_EQ(bar[2]->objectName(), "a");
    EXPECT_EQ(bar[3]->objectName(), "Next");
    EXPECT_EQ(bar[3]->text(), "nuovo");
    EXPECT_EQ(bar[1]->menu(), nullptr);
}

TEST_F(WindowTest, OpensMaximisedAndRestoresToTheLayoutsClientArea)
{
    start();
    EXPECT_TRUE(window.isMaximized());
    EXPECT_EQ(window.windowTitle(), "Gioca con la tavola pitagorica");
    EXPECT_FALSE(window.windowIcon().isNull());
    setClientSize(QSize(792, 554));
    window.showNormal();
    QApplication::processEvents();
    EXPECT_EQ(window.surface()->size(), QSize(792, 554));
    EXPECT_TRUE(window.timer()->isActive());
    EXPECT_EQ(window.timer()->interval(), 1000);
}

TEST_F(WindowTest, MinimisingRenamesTheWindowUntilItIsLoadedAgain)
{
    start();
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
}

TEST_F(WindowTest, FittingLabelsFollowTheirCaptionFromAFixedCorner)
{
    start();
    auto* first = widget<CaptionLabel>(Control::lblNum1);
    window.setCaption(Control::lblNum1, "8");
    const QRect one = first->geometry();
    window.setCaption(Control::lblNum1, "888");
    const QRect three = first->geometry();
    EXPECT_EQ(three.topLeft(), one.topLeft());
    EXPECT_GT(three.width(), 2 * one.width());
    EXPECT_EQ(three.height(), one.height());

    auto* score = widget<CaptionLabel>(Control::lblpunti);
    window.setCaption(Control::lblpunti, "12");
    const int oneLine = score->height();
    window.setCaption(Control::lblpunti, "12\r\n");
    EXPECT_GT(score->height(), oneLine * 3 / 2) << "a trailing CR LF makes it two lines high";
    EXPECT_EQ(score->pos(), QPoint(640, 504));

    auto* message = widget<CaptionLabel>(Control::lblMessage);
    window.setCaption(Control::lblMessage, "Esatto! Bartolomeo Francesco sei forte!");
    EXPECT_EQ(message->size(), QSize(441, 41)) << "labels that don't fit keep their size";
}
