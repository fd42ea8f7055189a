// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/moltiplix.h"

#include "game/tavola.h"
#include "platform/qt/fonts.h"
#include "platform/qt/qtclock.h"
#include "platform/qt/qtdialogs.h"
#include "platform/qt/qtform.h"
#include "platform/qt/translations.h"
#include "platform/randomsource.h"
#include "platform/recorddirectory.h"
#include "records/keeperrecordstore.h"
#include "records/localrecordstore.h"
#include "records/pendingfolder.h"
#include "records/pendingrecordstore.h"

#include <QApplication>
#include <QLocale>
#include <QStandardPaths>

namespace {

// The player's own directory, for when the machine-wide record can't be used.
FirstWritableDirectory recordDirectory()
{
    const QString own = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return FirstWritableDirectory({own.toStdString()});
}

} // namespace

int runMoltiplix(int& argc, char** argv, const std::function<void(QApplication&)>& prepare)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("moltiplix"));
    // Wayland docks find the menu entry, and with it the icon, by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.moltiplix.moltiplix"));
    QApplication::setQuitOnLastWindowClosed(false);
    installFontSubstitutes();
    installQtTranslations(app, QLocale::system());
    if (prepare) prepare(app);

    QtForm window;
    QtDialogs dialogs(&window);
    SeededRandom random;
    QtClock systemClock;
    auto directory = recordDirectory();
    LocalRecordStore own(directory, &window);
    KeeperRecordStore shared(
        MOLTIPLIX_KEEPER, MOLTIPLIX_SHARED_RECORD_DIR, own,
        [&dialogs](const std::string& notice) { dialogs.message(notice); }, &window);
    PendingFolder pending(directory, &window);
    PendingRecordStore records(shared, pending);
    Tavola tavola(window, dialogs, random, systemClock, records);
    window.setEvents(&tavola);
    window.run([&] { tavola.launch(); });
    return app.exec();
}
