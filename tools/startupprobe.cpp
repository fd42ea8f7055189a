// SPDX-License-Identifier: GPL-3.0-or-later
// Measures a Windows program's start-up: from process creation to its first dialog
// titled "Moltiplix" on screen. Prints milliseconds; the program is then ended.
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) return 2;
    std::wstring command = L"\"" + std::wstring(argv[1]) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    LARGE_INTEGER frequency, begin, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return 1;
    for (;;) {
        const HWND dialog = FindWindowW(L"#32770", L"Moltiplix");
        if (dialog && IsWindowVisible(dialog)) break;
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) return 1;
        Sleep(0);
    }
    QueryPerformanceCounter(&now);
    std::printf("%.1f\n",
                1000.0 * double(now.QuadPart - begin.QuadPart) / double(frequency.QuadPart));
    TerminateProcess(process.hProcess, 0);
    return 0;
}
