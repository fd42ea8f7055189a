// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/win32clock.h"

#include "platform/win32/widetext.h"

#include <windows.h>

double Win32Clock::secondsSinceMidnight() const
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond + now.wMilliseconds / 1000.0;
}

std::string Win32Clock::nowText() const
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t date[80] = {};
    wchar_t time[80] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 80);
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, 80);
    return toUtf8(std::wstring(date) + L" " + time);
}
