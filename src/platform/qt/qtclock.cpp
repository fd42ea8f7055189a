// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/qtclock.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

double QtClock::secondsSinceMidnight() const
{
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

std::string QtClock::nowText() const
{
    // The locale's short date and its time with seconds, without the time zone.
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QRegularExpression(QStringLiteral("\\s*t+\\s*")));
    return (locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
            locale.toString(now.time(), timeFormat.trimmed()))
        .toStdString();
}
