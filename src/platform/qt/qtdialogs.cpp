// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/qtdialogs.h"

#include "platform/qt/conversions.h"

#include <QEvent>
#include <QGridLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

QString titleOrApplication(std::string_view title)
{
    return title.empty() ? QStringLiteral("Moltiplix") : fromUtf8(title);
}

// Swallows Escape and the close box, so that only the dialog's own buttons close it.
class OnlyButtonsClose : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close && !closingByButton) {
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            return true;
        return QObject::eventFilter(watched, event);
    }

public:
    bool closingByButton = false;
};

// The box counts UTF-16 units, so its limit can cut a character such as an emoji in two;
// the half left would be saved as "?".
QString withoutLoneSurrogates(const QString& text)
{
    QString whole;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            whole += text[i++];
        else if (text[i].isSurrogate())
            continue;
        whole += text[i];
    }
    return whole;
}

// The window manager cuts a title wider than its box, and the farewell's carries the date.
// Room for the title in bold, as title bars show it, and for the icon and three buttons.
void widenToTitle(QMessageBox& box)
{
    QFont bold = box.font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    const int width = metrics.horizontalAdvance(box.windowTitle()) + 6 * metrics.height();
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(width, 0), grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace

QWidget* QtDialogs::owner() const
{
    // A dialog centres on its parent, which while hidden still has a made-up place.
    return parent_ && parent_->isVisible() ? parent_ : nullptr;
}

std::string QtDialogs::inputBox(std::string_view prompt, std::string_view title,
                                std::size_t maxLength)
{
    QInputDialog dialog(owner());
    dialog.setWindowTitle(titleOrApplication(title));
    dialog.setLabelText(fromUtf8(prompt));
    dialog.setInputMode(QInputDialog::TextInput);
    if (auto* box = dialog.findChild<QLineEdit*>(); box && maxLength > 0) {
        box->setMaxLength(static_cast<int>(maxLength));
        QObject::connect(box, &QLineEdit::textChanged, box, [box](const QString& text) {
            const QString whole = withoutLoneSurrogates(text);
            if (whole.size() == text.size()) return;
            const int cursor = box->cursorPosition() - static_cast<int>(text.size() - whole.size());
            box->setText(whole);
            box->setCursorPosition(cursor);
        });
    }
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.textValue().toStdString();
}

void QtDialogs::message(std::string_view prompt, std::string_view title)
{
    QMessageBox box(QMessageBox::NoIcon, titleOrApplication(title), fromUtf8(prompt),
                    QMessageBox::Ok, owner());
    box.setTextFormat(Qt::PlainText);
    widenToTitle(box);
    box.exec();
}

bool QtDialogs::askYesNo(std::string_view prompt, std::string_view title)
{
    QMessageBox box(QMessageBox::Question, titleOrApplication(title), fromUtf8(prompt),
                    QMessageBox::Yes | QMessageBox::No, owner());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    box.setWindowFlags((box.windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint) &
                       ~Qt::WindowCloseButtonHint);
    OnlyButtonsClose guard(&box);
    box.installEventFilter(&guard);
    QObject::connect(&box, &QMessageBox::buttonClicked, &box,
                     [&guard](QAbstractButton*) { guard.closingByButton = true; });
    box.exec();
    return box.clickedButton() == box.button(QMessageBox::Yes);
}

void showFatalError(QWidget* parent, const QString& message)
{
    QMessageBox::critical(parent, QStringLiteral("Moltiplix"),
                          QStringLiteral("Errore: %1\n\nIl gioco si chiude.").arg(message));
}
