// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/tavola.h"
#include "platform/randomsource.h"
#include "platform/win32/win32clock.h"
#include "platform/win32/win32dialogs.h"
#include "platform/win32/win32form.h"
#include "platform/win32/win32waiting.h"
#include "records/pendingrecordstore.h"
#include "records/windowspendingsave.h"
#include "records/windowsrecordstore.h"

#include <objbase.h>
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // Screen readers in other processes call the window's accessible objects through COM.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Win32Form window(instance);
    Win32Dialogs dialogs([&window]() -> HWND {
        const HWND shown = window.handle();
        return shown && IsWindowVisible(shown) ? shown : nullptr;
    });
    SeededRandom random;
    Win32Clock systemClock;
    Win32Waiting waiting;
    std::vector<RecordPlace> directories;
    window.run([&] { directories = windowsRecordDirectories(); });
    WindowsRecordStore shared(
        std::move(directories), [&dialogs](const std::string& notice) { dialogs.message(notice); },
        &waiting);
    // Keeping waits out another game of this player handing its kept save on.
    WindowsPendingSave pending(pendingSaveDirectory(), &waiting, 2 * recordPatience);
    PendingRecordStore records(shared, pending);
    Tavola tavola(window, dialogs, random, systemClock, records);
    window.setEvents(&tavola);
    window.run([&] { tavola.launch(); });

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (window.preTranslate(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
