// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/recorddirectory.h"

#include "base/fatalerror.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

FirstWritableDirectory::FirstWritableDirectory(std::vector<std::string> candidates)
    : candidates_(std::move(candidates))
{
}

std::string FirstWritableDirectory::locate()
{
    std::string reasons;
    for (const std::string& candidate : candidates_) {
        const fs::path dir = candidate;
        std::error_code error;
        if (dir.has_parent_path()) fs::create_directories(dir.parent_path(), error);
        // The player's own record: nobody else reads it.
        if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
            error.assign(errno, std::generic_category());
        else
            error.clear();
        if (!error && !fs::is_directory(dir, error) && !error)
            error = std::make_error_code(std::errc::not_a_directory);
        if (error) {
            reasons.append("\n").append(dir.string()).append(": ").append(error.message());
            continue;
        }
        if (::access(dir.c_str(), W_OK | X_OK) != 0) {
            reasons.append("\n").append(dir.string()).append(": ");
            reasons.append(std::generic_category().message(errno));
            continue;
        }
        return dir.string();
    }
    throw FatalError("Nessuna cartella dove tenere i record:" + reasons);
}
