// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/waitnote.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace {

// Most waits are over long before this: only one that a child would notice gets a note.
constexpr qint64 momentMilliseconds = 500;

} // namespace

WaitNote::WaitNote() = default;

WaitNote::~WaitNote() = default;

void WaitNote::stillWaiting(bool gameShown)
{
    if (!waited_.isValid()) waited_.start();
    if (note_ || gameShown || waited_.elapsed() < momentMilliseconds) return;
    note_ = std::make_unique<QLabel>(
        QStringLiteral("Un momento: aspetto il record di questo computer..."));
    note_->setWindowFlags(Qt::Dialog);
    note_->setWindowTitle(QStringLiteral("Moltiplix"));
    note_->setMargin(24);
    note_->adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        note_->move(screen->availableGeometry().center() - note_->rect().center());
    note_->show();
}

void WaitNote::done()
{
    waited_.invalidate();
    note_.reset();
}
