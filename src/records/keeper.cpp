// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/keeper.h"

#include "base/fatalerror.h"
#include "records/recordfiles.h"
#include "records/recordfolder.h"

namespace keeper {

namespace {

constexpr mode_t recordMode = 0664;
constexpr mode_t memberMode = 0660;

bool takeText(std::string_view& printed, std::string& into)
{
    std::size_t length = 0;
    std::size_t i = 0;
    for (; i < printed.size() && printed[i] != '\n'; ++i) {
        if (printed[i] < '0' || printed[i] > '9' || i >= 6) return false;
        length = length * 10 + static_cast<std::size_t>(printed[i] - '0');
    }
    if (i == 0 || i == printed.size() || length > records::readLimit) return false;
    if (i > 1 && printed[0] == '0') return false; // one way to print each length
    printed.remove_prefix(i + 1);
    if (printed.size() < length) return false;
    into.assign(printed.substr(0, length));
    printed.remove_prefix(length);
    return true;
}

} // namespace

std::optional<Request> parseArguments(const std::vector<std::string_view>& arguments)
{
    if (arguments.size() == 1 && arguments[0] == "create")
        return Request{Request::Job::Create, {}, {}};
    if (arguments.size() == 1 && arguments[0] == "read") return Request{Request::Job::Read, {}, {}};
    if (arguments.size() == 3 && arguments[0] == "save" && records::isSavableScore(arguments[1]) &&
        records::isSavableName(arguments[2]))
        return Request{Request::Job::Save, std::string(arguments[1]), std::string(arguments[2])};
    return std::nullopt;
}

Result run(const std::vector<std::string_view>& arguments, const std::string& sharedDir)
{
    const auto request = parseArguments(arguments);
    if (!request) return {refused, {}, "uso: moltiplix-record create | read | save PUNTI NOME\n"};
    try {
        RecordFolder folder(sharedDir, recordMode, memberMode);
        switch (request->job) {
        case Request::Job::Create:
            folder.createMissing();
            return {done, {}, {}};
        case Request::Job::Read:
            return {done, encodeRecord(folder.read()), {}};
        case Request::Job::Save:
            switch (folder.saveIfBeaten(request->score, request->name)) {
            case RecordFolder::Outcome::Saved:
                return {done, {}, {}};
            case RecordFolder::Outcome::Held:
                return {held, {}, "Il record in " + sharedDir + " è occupato.\n"};
            default:
                return {notSaved, {}, {}};
            }
        }
    } catch (const HeldRecord& error) {
        return {held, {}, std::string(error.what()) + "\n"};
    } catch (const FatalError& error) {
        return {failed, {}, std::string(error.what()) + "\n"};
    }
    return {failed, {}, {}};
}

std::string encodeRecord(const StoredRecord& record)
{
    return std::to_string(record.score.size()) + "\n" + record.score +
           std::to_string(record.name.size()) + "\n" + record.name;
}

std::optional<StoredRecord> decodeRecord(std::string_view printed)
{
    StoredRecord record;
    if (!takeText(printed, record.score) || !takeText(printed, record.name) || !printed.empty())
        return std::nullopt;
    return record;
}

} // namespace keeper
