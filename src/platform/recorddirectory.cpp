#include "platform/recorddirectory.h"

#include "game/fatalerror.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

FirstWritableDirectory::FirstWritableDirectory(std::vector<std::string> candidates)
    : candidates_(std::move(candidates))
{
}

std::string FirstWritableDirectory::locate()
{
    std::string reasons;
    for (std::size_t i = 0; i < candidates_.size(); ++i) {
        const fs::path dir = candidates_[i];
        std::error_code error;
        const bool created = fs::create_directories(dir, error);
        if (error) {
            reasons.append("\n").append(dir.string()).append(": ").append(error.message());
            continue;
        }
        if (created && i == 0) // shared by every player of the machine
            fs::permissions(dir, fs::perms::all, error);
#ifndef _WIN32
        if (::access(dir.c_str(), W_OK | X_OK) != 0) {
            reasons.append("\n").append(dir.string()).append(": ");
            reasons.append(std::generic_category().message(errno));
            continue;
        }
#endif
        return dir.string();
    }
    throw FatalError("Nessuna cartella dove tenere i record:" + reasons);
}

#ifdef _WIN32
std::string WindowsDirectory::locate()
{
    char buffer[128];
    const UINT n = GetWindowsDirectoryA(buffer, sizeof buffer);
    if (n == 0 || n > sizeof buffer)
        throw FatalError("Impossibile trovare la cartella di Windows.");
    return std::string(buffer, n);
}
#endif

std::vector<std::string> defaultRecordDirectories(const std::string& playerDataDirectory)
{
#ifdef _WIN32
    (void)playerDataDirectory;
    return {};
#else
    return {"/var/games/moltiplix", playerDataDirectory};
#endif
}
