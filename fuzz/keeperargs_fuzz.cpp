// SPDX-License-Identifier: GPL-3.0-or-later
// Any arguments the keeper might be started with: NUL bytes separate them. What it
// takes must be a score and a name the record can hold; what the game hands over it
// must take; and what it prints must read back as printed.
#include "records/keeper.h"
#include "records/recordfiles.h"
#include "records/textcodec.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> arguments;
    for (std::size_t start = 0; arguments.size() < 5;) {
        const std::size_t end = std::min(input.find('\0', start), input.size());
        arguments.push_back(input.substr(start, end - start));
        if (end == input.size()) break;
        start = end + 1;
    }

    if (const auto request = keeper::parseArguments(arguments);
        request && request->job == keeper::Request::Job::Save) {
        if (request->score.empty() || request->score.size() > 5) std::abort();
        if (std::stoi(request->score) > 32767) std::abort();
        if (!isValidUtf8(request->name)) std::abort();
        for (char c : request->name)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) std::abort();
    }

    const std::string handed = records::savableName(input);
    if (!records::isSavableName(handed)) std::abort();
    if (!keeper::parseArguments({"save", "1", handed})) std::abort();

    if (const auto record = keeper::decodeRecord(input))
        if (keeper::encodeRecord(*record) != input) std::abort();
    return 0;
}
