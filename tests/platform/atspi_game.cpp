// SPDX-License-Identifier: GPL-3.0-or-later
// The game as a player starts it, with its record files in the directory named by the
// first argument, so that a test on a real display leaves the machine's record alone.
#include "game/tavola.h"
#include "platform/qt/fonts.h"
#include "platform/qt/qtclock.h"
#include "platform/qt/qtdialogs.h"
#include "platform/qt/tavolawindow.h"
#include "platform/qt/translations.h"
#include "platform/randomsource.h"
#include "platform/recorddirectory.h"
#include "records/localrecordstore.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char* argv[])
{
    if (argc < 2) return 2;
    const std::string recordDirectory = argv[1];
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("moltiplix"));
    QApplication::setQuitOnLastWindowClosed(false);
    installFontSubstitutes();
    installQtTranslations(app, QLocale::system());

    TavolaWindow window;
    QtDialogs dialogs(&window);
    SeededRandom random;
    QtClock clock;
    FirstWritableDirectory directory({recordDirectory});
    LocalRecordStore records(directory);
    Tavola tavola(window, dialogs, random, clock, records);
    window.setEvents(&tavola);
    window.run([&] { tavola.launch(); });
    return app.exec();
}
