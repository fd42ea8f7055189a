// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/qtform.h"

#include "platform/formlayout.h"
#include "platform/qt/accessiblelabel.h"
#include "platform/qt/artwork.h"
#include "platform/qt/captionlabel.h"
#include "platform/qt/conversions.h"
#include "platform/qt/drawingsurface.h"
#include "platform/qt/picturebutton.h"
#include "platform/qt/qtdialogs.h"

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int tickMilliseconds = 1000;

QFont toQFont(const FontChoice& entry)
{
    QFont font(fromUtf8(entry.family));
    font.setPointSizeF(entry.points);
    font.setBold(entry.bold);
    font.setItalic(entry.italic);
    return font;
}

QRect toPixels(const ControlLayout& entry)
{
    return QRect(entry.left / twipsPerPixel, entry.top / twipsPerPixel, entry.width / twipsPerPixel,
                 entry.height / twipsPerPixel);
}

// The character a key types, as the answer box's key filter sees it, or -1 for keys that
// type nothing (arrows, Home, End, Delete, Tab...).
int characterCode(const QKeyEvent& key)
{
    const auto modifiers = key.modifiers();
    const bool control = modifiers & Qt::ControlModifier;
    const bool alt = modifiers & Qt::AltModifier;
    switch (key.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return -1;
    case Qt::Key_Backspace:
        return control ? 127 : 8;
    case Qt::Key_Escape:
        return 27;
    default:
        break;
    }
    if (control && !alt && key.key() >= Qt::Key_A && key.key() <= Qt::Key_Z)
        return key.key() - Qt::Key_A + 1;
    // Only printable text is a character: editing and function keys carry none, or, like
    // Delete on X11 (U+007F), none that prints; anything printable meets the filter.
    const QString text = key.text();
    if (text.isEmpty() || !text.at(0).isPrint()) return -1;
    return text.at(0).unicode();
}

[[noreturn]] void exitAtOnce(int status)
{
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace

QtForm::QtForm(ProgramEnd end) : end_(end ? std::move(end) : ProgramEnd(exitAtOnce))
{
    static const bool applicationWide = [] {
        QAccessible::installFactory(captionLabelAccessible);
        // Every dialog, the first included, carries the game's icon.
        if (QApplication::windowIcon().isNull()) QApplication::setWindowIcon(applicationIcon());
        return true;
    }();
    (void)applicationWide;
}

void QtForm::run(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        showFatalError(isVisible() ? this : nullptr, QString::fromUtf8(error.what()));
        endProgram(EXIT_FAILURE);
    }
}

void QtForm::load(const FormLayout& layout)
{
    layout_ = layout;
    spokenNames_ = {};
    spokenDescriptions_ = {};
    loaded_ = true;
    timer_ = new QTimer(this);
    timer_->setInterval(tickMilliseconds);
    connect(timer_, &QTimer::timeout, this, [this] { run([this] { events_->Timer1_Timer(); }); });
    setWindowTitle(fromUtf8(layout_.window.caption));
}

const QtForm::Controls& QtForm::built() const
{
    if (!controls_.surface && loaded_) const_cast<QtForm*>(this)->buildControls();
    return controls_;
}

void QtForm::buildControls()
{
    auto* surface = new DrawingSurface(this);
    surface->setCursor(gamePointer(devicePixelRatioF()));
    setCentralWidget(surface);
    for (const ControlLayout& entry : layout_.controls)
        controls_.controls[indexOf(entry.id)] = createControl(entry, surface);
    controls_.surface = surface;
    setTabOrder(control(Control::cmdExit), control(Control::cmdNext));
    setTabOrder(control(Control::cmdNext), control(Control::txtAnswer));

    buildMenu();
    resize(layout_.window.clientWidth / twipsPerPixel,
           layout_.window.clientHeight / twipsPerPixel + menuBar()->sizeHint().height());
}

QWidget* QtForm::createControl(const ControlLayout& entry, DrawingSurface* surface)
{
    QWidget* widget = nullptr;
    switch (entry.kind) {
    case ControlKind::Label: {
        auto* label = new CaptionLabel(entry, surface);
        label->setSpokenName(spokenNames_[indexOf(entry.id)]);
        widget = label;
        break;
    }
    case ControlKind::TextBox: {
        auto* box = new QLineEdit(surface);
        box->setMaxLength(entry.maxLength);
        QPalette colours = box->palette();
        colours.setColor(QPalette::Text, toQColor(*entry.textColor));
        colours.setColor(QPalette::Base, toQColor(*entry.backColor));
        box->setPalette(colours);
        // Input methods are told the box takes none; what they send anyway is refused in
        // eventFilter, as dead keys and Compose would bypass the key filter.
        box->setAttribute(Qt::WA_InputMethodEnabled, false);
        box->installEventFilter(this);
        widget = box;
        break;
    }
    case ControlKind::Button: {
        auto* button = new PictureButton(entry, surface);
        button->setText(fromUtf8(entry.caption));
        if (entry.id == Control::cmdNext) {
            button->installEventFilter(this);
            connect(button, &QAbstractButton::clicked, this,
                    [this] { run([this] { events_->cmdNext_Click(); }); });
        } else {
            connect(button, &QAbstractButton::clicked, this,
                    [this] { run([this] { events_->cmdExit_Click(); }); });
        }
        widget = button;
        break;
    }
    case ControlKind::Picture: {
        auto* picture = new QLabel(surface);
        picture->setPixmap(
            artworkPixmap(entry.pictures.normal, QSize(32, 32), devicePixelRatioF()));
        picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        widget = picture;
        break;
    }
    }
    widget->setObjectName(fromUtf8(entry.name));
    widget->setGeometry(toPixels(entry));
    if (entry.kind != ControlKind::Picture) widget->setFont(toQFont(entry.font));
    if (!entry.tooltip.empty()) widget->setToolTip(fromUtf8(entry.tooltip));
    if (entry.pointer == Pointer::Icon) widget->setCursor(iconPointer(devicePixelRatioF()));
    if (entry.kind != ControlKind::Label)
        widget->setAccessibleName(fromUtf8(spokenNames_[indexOf(entry.id)]));
    widget->setAccessibleDescription(fromUtf8(spokenDescriptions_[indexOf(entry.id)]));
    widget->setEnabled(entry.enabled);
    widget->show();
    return widget;
}

void QtForm::buildMenu()
{
    QMenu* dropDown = nullptr;
    const auto menu = layout_.menu;
    for (std::size_t i = 0; i < menu.size(); ++i) {
        const MenuItem& item = menu[i];
        const QString caption = fromUtf8(item.caption);
        QAction* action = nullptr;
        if (item.level == 0) {
            const bool hasDropDown = i + 1 < menu.size() && menu[i + 1].level == 1;
            if (hasDropDown) {
                dropDown = menuBar()->addMenu(caption);
                action = dropDown->menuAction();
            } else {
                action = menuBar()->addAction(caption);
            }
        } else {
            action = dropDown->addAction(caption);
        }
        action->setObjectName(fromUtf8(item.name));
        if (item.name == "Next")
            // Queued: the new game destroys this very menu.
            connect(
                action, &QAction::triggered, this,
                [this] { run([this] { events_->Next_Click(); }); }, Qt::QueuedConnection);
    }
}

void QtForm::unload()
{
    hide();
    loaded_ = false;
    delete timer_;
    timer_ = nullptr;
    menuBar()->clear();
    delete takeCentralWidget();
    controls_ = {};
    heldFocus_.clear();
}

void QtForm::show()
{
    built();
    holdFocus();
    showMaximized();
    activateWindow();
    // The first question paints the client area at the size it has, so wait (briefly)
    // until the window is really on screen.
    QElapsedTimer waited;
    waited.start();
    while (windowHandle() && !windowHandle()->isExposed() && waited.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
}

void QtForm::stillWaiting()
{
    if (!busy_) QApplication::setOverrideCursor(Qt::WaitCursor);
    busy_ = true;
    waitNote_.stillWaiting(isVisible());
    // Paints and timer ticks go on; clicks and keys wait for the wait to end.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtForm::doneWaiting()
{
    if (busy_) QApplication::restoreOverrideCursor();
    busy_ = false;
    waitNote_.done();
}

void QtForm::endProgram(int status)
{
    if (timer_) timer_->stop();
    end_(status);
}

std::string QtForm::caption(Control id) const
{
    QWidget* widget = control(id);
    if (auto* label = qobject_cast<CaptionLabel*>(widget)) return label->caption();
    if (auto* box = qobject_cast<QLineEdit*>(widget)) return box->text().toStdString();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text().toStdString();
    return {};
}

void QtForm::setCaption(Control id, std::string_view text)
{
    QWidget* widget = control(id);
    if (auto* label = qobject_cast<CaptionLabel*>(widget))
        label->setCaption(text);
    else if (auto* box = qobject_cast<QLineEdit*>(widget))
        box->setText(fromUtf8(text));
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(fromUtf8(text));
}

std::string QtForm::answerText() const
{
    return caption(Control::txtAnswer);
}

void QtForm::setAnswerText(std::string_view text)
{
    setCaption(Control::txtAnswer, text);
}

void QtForm::setEnabled(Control id, bool enabled)
{
    control(id)->setEnabled(enabled);
}

void QtForm::setFocus(Control id)
{
    // The game focuses the box once per question, after both factors are shown.
    releaseFocus();
    if (id == Control::txtAnswer) describeQuestion();
    control(id)->setFocus(Qt::OtherFocusReason);
}

// Kept, and shown to screen readers at once, except the answer box's name and the
// verdict, which go out as their control takes the focus.
void QtForm::setSpokenName(Control id, std::string_view name)
{
    spokenNames_[indexOf(id)] = name;
    QWidget* widget = controls_.surface ? controls_.controls[indexOf(id)] : nullptr;
    if (!widget || id == Control::txtAnswer) return;
    if (auto* label = qobject_cast<CaptionLabel*>(widget))
        label->setSpokenName(spokenNames_[indexOf(id)]);
    else if (widget->accessibleName() != fromUtf8(name))
        widget->setAccessibleName(fromUtf8(name));
}

void QtForm::setSpokenDescription(Control id, std::string_view description)
{
    spokenDescriptions_[indexOf(id)] = description;
    QWidget* widget = controls_.surface ? controls_.controls[indexOf(id)] : nullptr;
    if (widget && id != Control::cmdNext &&
        widget->accessibleDescription() != fromUtf8(description))
        widget->setAccessibleDescription(fromUtf8(description));
}

void QtForm::setTimerEnabled(bool enabled)
{
    if (enabled)
        timer_->start();
    else
        timer_->stop();
}

DisplayState QtForm::displayState() const
{
    if (isMinimized()) return DisplayState::Minimised;
    if (isMaximized()) return DisplayState::Maximised;
    return DisplayState::Normal;
}

void QtForm::setWindowCaption(std::string_view text)
{
    setWindowTitle(fromUtf8(text));
}

int QtForm::windowWidthTwips() const
{
    return frameGeometry().width() * twipsPerPixel;
}

void QtForm::setBackColor(Rgb color)
{
    surface()->setBackColor(toQColor(color));
}

void QtForm::setDrawing(const DrawingSettings& settings)
{
    surface()->setScaleHeight(settings.scaleHeight);
}

void QtForm::fillBox(int x1, int y1, int x2, int y2, Rgb color)
{
    surface()->fillBox(x1, y1, x2, y2, toQColor(color));
}

bool QtForm::eventFilter(QObject* watched, QEvent* event)
{
    const bool isBox = watched == controls_.controls[indexOf(Control::txtAnswer)];
    switch (event->type()) {
    case QEvent::KeyPress:
        if (isBox) return answerKeyPressed(static_cast<QKeyEvent*>(event));
        break;
    case QEvent::InputMethod:
        // Pasting does not come this way.
        if (isBox) return true;
        break;
    case QEvent::FocusIn:
        // Before the screen reader hears of the focus, so that it reads the new text. The
        // box gets the focus from the button the game disables, before the game focuses it:
        // named then, it is not renamed (and the question not said again) a moment later.
        if (watched == controls_.controls[indexOf(Control::cmdNext)]) describeVerdict();
        if (isBox) describeQuestion();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

// Qt 6.4 cannot announce, so the box's own name carries the question: it is read when the
// box takes the focus, or as a change of the focused box's name at the first question,
// which the window's activation has already focused.
void QtForm::describeQuestion()
{
    const QString name = fromUtf8(spokenNames_[indexOf(Control::txtAnswer)]);
    QWidget* box = control(Control::txtAnswer);
    if (box->accessibleName() != name) box->setAccessibleName(name);
}

// Activated, the window would focus its first control before the game poses the first
// question; a screen reader hears the box then, and its new name a moment later, and may
// say the question twice. Nothing takes the focus until the game gives it.
void QtForm::holdFocus()
{
    for (QWidget* control : controls_.controls)
        if (control->focusPolicy() != Qt::NoFocus) {
            heldFocus_.emplace_back(control, control->focusPolicy());
            control->setFocusPolicy(Qt::NoFocus);
        }
}

void QtForm::releaseFocus()
{
    for (const auto& [control, policy] : heldFocus_)
        control->setFocusPolicy(policy);
    heldFocus_.clear();
}

// The button keeps its visible caption as its name; the verdict and the counts go in its
// description, read when it takes the focus after an answer.
void QtForm::describeVerdict()
{
    control(Control::cmdNext)
        ->setAccessibleDescription(fromUtf8(spokenDescriptions_[indexOf(Control::cmdNext)]));
}

// Returns true when the key must not reach the box.
bool QtForm::answerKeyPressed(QKeyEvent* key)
{
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        // The next-question button is the window's default button.
        auto* next = static_cast<QAbstractButton*>(control(Control::cmdNext));
        if (next->isEnabled()) {
            next->click();
        } else {
            int code = 13;
            run([&] { events_->txtAnswer_KeyPress(code); });
        }
        return true;
    }
    const int code = characterCode(*key);
    if (code < 0) return false;
    int filtered = code;
    run([&] { events_->txtAnswer_KeyPress(filtered); });
    return filtered == 0;
}

void QtForm::reportResize()
{
    if (events_) run([this] { events_->Form_Resize(); });
}

void QtForm::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) reportResize();
}

void QtForm::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    reportResize();
}

void QtForm::closeEvent(QCloseEvent* event)
{
    // The close box ends the program without saving anything.
    event->accept();
    endProgram(EXIT_SUCCESS);
}
