// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TerminalText.h"

#include <cstdio>

namespace
{

constexpr unsigned char kDelete = 0x7F;
constexpr unsigned char kC1Lead = 0xC2;    // U+0080 to U+00BF start with it
constexpr unsigned char kC1LastByte = 0x9F; // the second byte of U+009F

// How many bytes at text[at] must be escaped: a byte that is not UTF-8 or
// a control character (1), a C1 control (2); 0 for a character shown as is.
std::size_t UnsafeBytesAt(const std::string& text, std::size_t at, std::size_t length)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    if (length == 0 || (length == 1 && (byte(0) < 0x20 || byte(0) == kDelete)))
        return 1;
    if (length == 2 && byte(0) == kC1Lead && byte(1) <= kC1LastByte)
        return 2;
    return 0;
}

} // namespace

std::size_t Utf8SequenceLength(const std::string& text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
    {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    }
    else if (lead >= 0xF0 && lead <= 0xF4)
    {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 0 || at + length > text.size() || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    return length;
}

std::string ShownName(const std::string& name)
{
    for (std::size_t at = 0; at < name.size();)
    {
        const std::size_t length = Utf8SequenceLength(name, at);
        if (UnsafeBytesAt(name, at, length) != 0)
            return QuotedName(name);
        at += length;
    }
    return name;
}

std::string QuotedName(const std::string& name)
{
    std::string quoted;
    bool open = false; // inside a '...' run
    for (std::size_t at = 0; at < name.size();)
    {
        const std::size_t length = Utf8SequenceLength(name, at);
        if (const std::size_t unsafe = UnsafeBytesAt(name, at, length); unsafe != 0)
        {
            quoted += open ? "'$'" : "$'";
            for (std::size_t i = 0; i < unsafe; ++i)
            {
                char escaped[sizeof "\\000"];
                std::snprintf(escaped, sizeof escaped, "\\%03o",
                              static_cast<unsigned char>(name[at + i]));
                quoted += escaped;
            }
            quoted += '\'';
            open = false;
            at += unsafe;
            continue;
        }
        if (!open)
            quoted += '\'';
        open = true;
        for (std::size_t i = 0; i < length; ++i)
            quoted += name[at + i] == '\'' ? std::string("'\\''") : std::string(1, name[at + i]);
        at += length;
    }
    if (open)
        quoted += '\'';
    return quoted.empty() ? "''" : quoted;
}

std::string ShownFailure(Result result)
{
    result.detail = ShownName(result.detail);
    return FullText(result);
}
