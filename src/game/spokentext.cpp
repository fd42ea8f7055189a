// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/spokentext.h"

#include "game/layout.h"

#include <array>

namespace {

// The length in bytes of the blank that starts at text[at], or 0: ASCII blanks and line
// breaks, and Unicode's spaces (no-break, em, ideographic...), as Qt's simplified() has it.
std::size_t blankAt(std::string_view text, std::size_t at)
{
    static constexpr std::array<std::string_view, 19> wideBlanks{
        "\xC2\x85",     "\xC2\xA0",     "\xE1\x9A\x80", "\xE2\x80\x80", "\xE2\x80\x81",
        "\xE2\x80\x82", "\xE2\x80\x83", "\xE2\x80\x84", "\xE2\x80\x85", "\xE2\x80\x86",
        "\xE2\x80\x87", "\xE2\x80\x88", "\xE2\x80\x89", "\xE2\x80\x8A", "\xE2\x80\xA8",
        "\xE2\x80\xA9", "\xE2\x80\xAF", "\xE2\x81\x9F", "\xE3\x80\x80"};
    const char c = text[at];
    if (c == ' ' || (c >= '\t' && c <= '\r')) return 1;
    // Every other blank is a multi-byte sequence: plain ASCII needs no search.
    if (static_cast<unsigned char>(c) < 0x80) return 0;
    for (std::string_view blank : wideBlanks)
        if (text.substr(at, blank.size()) == blank) return blank.size();
    return 0;
}

// Trimmed, each run of blanks one space.
std::string simplified(std::string_view text)
{
    std::string out;
    bool pendingSpace = false;
    for (std::size_t at = 0; at < text.size();) {
        if (const std::size_t blank = blankAt(text, at)) {
            pendingSpace = !out.empty();
            at += blank;
            continue;
        }
        if (pendingSpace) out += ' ';
        pendingSpace = false;
        out += text[at++];
    }
    return out;
}

// As a label shows it: CR LF breaks the line, a lone CR shows nothing.
std::string shownText(std::string_view caption)
{
    std::string shown;
    for (std::size_t at = 0; at < caption.size(); ++at)
        if (caption[at] != '\r' || (at + 1 < caption.size() && caption[at + 1] == '\n'))
            shown += caption[at];
    return shown;
}

// The three counts the verdict reads out, each after its heading.
constexpr std::array<std::pair<Control, Control>, 3> counts{
    {{Control::Label6, Control::lblScore},
     {Control::Label1, Control::lblScore1},
     {Control::Label3, Control::lblScore2}}};

} // namespace

std::string labelName(std::string_view name, std::string_view caption)
{
    // Told at every caption, the clock's each second: most have no CR to drop.
    std::string spoken = caption.find('\r') == std::string_view::npos
                             ? simplified(caption)
                             : simplified(shownText(caption));
    if (name.empty()) return spoken;
    if (spoken.empty()) return std::string(name);
    return spoken.insert(0, ": ").insert(0, name);
}

// Neither window can make a screen reader announce: the box's own name carries the question.
std::string questionName(const CaptionOf& captionOf)
{
    const std::string plain(accessibleTextOf(Control::txtAnswer).name);
    const std::string first = captionOf(Control::lblNum1), second = captionOf(Control::lblNum2);
    if (first.empty() || second.empty()) return plain;
    return plain + ": quanto fa " + first + " per " + second + "?";
}

std::string verdictDescription(const CaptionOf& captionOf)
{
    const std::string message = simplified(captionOf(Control::lblMessage));
    if (message.empty()) return std::string(accessibleTextOf(Control::cmdNext).description);
    const bool ended = message.back() == '!' || message.back() == '.';
    std::string spoken = message + (ended ? " " : ". ");
    for (const auto& [heading, count] : counts) {
        if (heading != Control::Label6) spoken += ", ";
        spoken += captionOf(heading);
        spoken += ' ';
        spoken += captionOf(count);
    }
    spoken += '.';
    return spoken;
}
