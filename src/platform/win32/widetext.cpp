// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/widetext.h"

#include <windows.h>

namespace {

std::wstring decode(UINT codePage, std::string_view bytes)
{
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), length);
    return wide;
}

std::string encode(UINT codePage, std::wstring_view wide)
{
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

} // namespace

std::wstring toWide(std::string_view utf8)
{
    return decode(CP_UTF8, utf8);
}

std::string toUtf8(std::wstring_view wide)
{
    return encode(CP_UTF8, wide);
}

std::string ansiToUtf8(std::string_view ansi)
{
    return encode(CP_UTF8, decode(CP_ACP, ansi));
}

std::string utf8ToAnsi(std::string_view utf8)
{
    return encode(CP_ACP, decode(CP_UTF8, utf8));
}
