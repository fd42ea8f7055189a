// SPDX-License-Identifier: GPL-3.0-or-later
#include "probe.h"

#include "platform/qt/drawingsurface.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QInputDialog>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPaintEvent>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <unistd.h>
#include <vector>

namespace {

double processCpuMicroseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e6 + now.tv_nsec / 1e3;
}

qint64 area(const QRegion& region)
{
    qint64 total = 0;
    for (const QRect& r : region)
        total += qint64(r.width()) * r.height();
    return total;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

Probe::Probe(Measure measure, int size, QApplication& application)
    : QObject(&application), measure_(measure), size_(size)
{
    application.installEventFilter(this);
}

void Probe::report(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
    ::_exit(0);
}

bool Probe::eventFilter(QObject* watched, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget) return false;
    if (event->type() == QEvent::Paint) {
        if (measure_ == Measure::Startup && qobject_cast<QDialog*>(widget))
            report(QStringLiteral("ready"));
        if (recordPaints_) {
            const QPoint offset = widget->mapTo(widget->window(), QPoint(0, 0));
            painted_ += static_cast<QPaintEvent*>(event)->region().translated(offset);
        }
    }
    if (event->type() == QEvent::Show && widget->isWindow()) {
        if (qobject_cast<QDialog*>(widget))
            answerDialog(widget);
        else if (auto* window = qobject_cast<QMainWindow*>(widget); window && !windowSeen_) {
            windowSeen_ = true;
            QTimer::singleShot(300, this, [this, window] { windowShown(window); });
        }
    }
    return false;
}

void Probe::answerDialog(QWidget* dialog)
{
    if (measure_ == Measure::Startup) return;
    QTimer::singleShot(0, dialog, [this, dialog] {
        if (auto* input = qobject_cast<QInputDialog*>(dialog))
            input->setTextValue(answered_++ == 0 ? QStringLiteral("Bench") : QStringLiteral("10"));
        static_cast<QDialog*>(dialog)->accept();
    });
}

void Probe::windowShown(QMainWindow* window)
{
    switch (measure_) {
    case Measure::Memory:
        measureMemory();
    case Measure::Ticks:
        measureTicks(window);
        return;
    case Measure::Question:
        measureQuestions(window);
        return;
    case Measure::Startup:
        return;
    }
}

[[noreturn]] void Probe::measureMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            report(QStringLiteral("hwm_kib %1").arg(line.mid(6).trimmed().split(' ')[0]));
    report(QStringLiteral("hwm_kib 0"));
}

// Speeds the window's one-second timer up and measures what each tick costs.
void Probe::measureTicks(QMainWindow* window)
{
    QTimer* countdown = nullptr;
    for (QTimer* timer : window->findChildren<QTimer*>())
        if (timer->isActive() && timer->interval() == 1000) countdown = timer;
    if (!countdown) report(QStringLiteral("error no one-second timer"));

    auto* ticks = new int(0);
    auto* start = new double(0);
    connect(countdown, &QTimer::timeout, this, [this, ticks, start] {
        if (*ticks == 0) {
            *start = processCpuMicroseconds();
            recordPaints_ = true;
        } else {
            paintedAreas_.push_back(double(area(painted_)));
        }
        painted_ = QRegion();
        if (++*ticks > size_) {
            const double perTick = (processCpuMicroseconds() - *start) / size_;
            const double largest = *std::max_element(paintedAreas_.begin(), paintedAreas_.end());
            report(QStringLiteral("cpu_us_per_tick %1 painted_px_per_tick %2 largest_px %3")
                       .arg(perTick)
                       .arg(median(paintedAreas_))
                       .arg(largest));
        }
    });
    countdown->setInterval(1);
}

// Times the next-question button at the given client height (16:9).
void Probe::measureQuestions(QMainWindow* window)
{
    const QSize client(size_ * 16 / 9, size_);
    window->showNormal();
    window->resize(client.width(), client.height() + window->menuBar()->height());
    QApplication::processEvents();
    auto* next = window->findChild<QAbstractButton*>(QStringLiteral("cmdNext"));
    auto* surface = window->findChild<DrawingSurface*>();
    if (!next || !surface || surface->size() != client)
        report(QStringLiteral("error no game window at that size"));

    std::vector<double> handler;
    std::vector<double> shown;
    std::vector<double> fill;
    QElapsedTimer clock;
    for (int round = 0; round < 25; ++round) {
        next->setEnabled(true);
        clock.start();
        next->click();
        handler.push_back(clock.nsecsElapsed() / 1e6);
        surface->repaint();
        shown.push_back(clock.nsecsElapsed() / 1e6);

        clock.start();
        surface->setBackColor(QColor(round, 0, 0));
        surface->repaint();
        fill.push_back(clock.nsecsElapsed() / 1e6);
    }
    report(QStringLiteral("question_ms %1 question_shown_ms %2 fill_ms %3")
               .arg(median(handler))
               .arg(median(shown))
               .arg(median(fill)));
}
