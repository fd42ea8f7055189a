// SPDX-License-Identifier: GPL-3.0-or-later
// Whatever a record file holds: read it as start-up does and test it as the game end does.
#include "records/recordfiles.h"
#include "records/textcodec.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

std::string scratchDirectory()
{
    char pattern[] = "/tmp/moltiplix-fuzz-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (!made) std::abort();
    return made;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string dir = records::withFinalSeparator(scratchDirectory());
    const std::string path = records::scoreFile(dir);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    const std::string caption = records::Leggifiletxt(path);
    if (!isValidUtf8(caption)) std::abort();
    const bool onlyByteOrderMark =
        size == 3 && std::string_view(reinterpret_cast<const char*>(data), 3) == "\xEF\xBB\xBF";
    if (size <= records::readLimit && size > 0 && caption.empty() && !onlyByteOrderMark)
        std::abort();

    const bool beaten = records::recordBeaten(caption, "100");
    const bool zeroBeaten = records::recordBeaten(caption, "0");
    if (zeroBeaten && !beaten) std::abort(); // a record under 0 is under 100 too
    return 0;
}
