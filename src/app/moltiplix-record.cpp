// SPDX-License-Identifier: GPL-3.0-or-later
// The keeper of the machine-wide record, installed set-group-ID games. It trusts nothing
// of whoever runs it but its arguments: no environment, no current directory.
#include "records/keeper.h"

#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#ifndef MOLTIPLIX_SHARED_RECORD_DIR
#error "MOLTIPLIX_SHARED_RECORD_DIR names the shared record directory"
#endif

namespace {

// A closed standard descriptor would be reused by the first file opened, and what is
// printed would land in the record.
bool standardDescriptorsOpen()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1) continue;
        if (::open("/dev/null", O_RDWR) != fd) return false;
    }
    return true;
}

void writeAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    if (!standardDescriptorsOpen()) return keeper::failed;
    ::umask(077);
    if (::chdir("/") != 0) return keeper::failed;
    std::vector<std::string_view> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    const keeper::Result result = keeper::run(arguments, MOLTIPLIX_SHARED_RECORD_DIR);
    writeAll(1, result.out);
    writeAll(2, result.err);
    return result.status;
}
