// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QCoreApplication;
class QLocale;

// Qt's own translations for the locale, so that standard dialog buttons speak the
// player's language. Returns whether one was found.
bool installQtTranslations(QCoreApplication& application, const QLocale& locale);
