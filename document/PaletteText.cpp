// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/PaletteText.h"

#include "formats/PaletteFile.h"
#include "image/ColorWord.h"

#include <cstdio>

namespace
{
constexpr std::size_t kRgbDigits = 6;
// A clipboard may hold a whole document: the reason quotes its start.
constexpr std::size_t kQuotedChars = 40;
constexpr std::uint8_t kOpaque = 255;

std::string_view Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

int HexDigit(char digit)
{
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'a' && digit <= 'f')
        return digit - 'a' + 10;
    if (digit >= 'A' && digit <= 'F')
        return digit - 'A' + 10;
    return -1;
}

Result NotAColor(std::string_view text)
{
    Result result = Failure(Reason::NotAColor);
    result.detail = std::string(text.substr(0, kQuotedChars));
    if (text.size() > kQuotedChars)
        result.detail += "...";
    return result;
}
} // namespace

std::string ColorText(const ColorEntry& color)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", unsigned(color.red), unsigned(color.green),
                  unsigned(color.blue));
    return text;
}

Result ParseColorText(std::string_view text, ColorEntry& color)
{
    std::string_view digits = Trimmed(text);
    if (digits.starts_with('#'))
        digits.remove_prefix(1);
    if (digits.size() != kRgbDigits)
        return NotAColor(text);
    std::uint8_t channels[3];
    for (std::size_t i = 0; i < 3; ++i)
    {
        const int high = HexDigit(digits[2 * i]);
        const int low = HexDigit(digits[2 * i + 1]);
        if (high < 0 || low < 0)
            return NotAColor(text);
        channels[i] = std::uint8_t(high << 4 | low);
    }
    color = {channels[0], channels[1], channels[2], kOpaque};
    return {};
}

std::string ColorsAsPaletteText(const std::vector<ColorEntry>& colors)
{
    std::vector<std::uint8_t> bytes;
    if (!EncodePalette(colors, PaletteFormat::Gimp, bytes))
        return {};
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::uint8_t> ColorsAsWords(const std::vector<ColorEntry>& colors)
{
    std::vector<std::uint8_t> words;
    for (const ColorEntry& color : colors)
    {
        const std::uint16_t word = EntryToColorWord(color);
        words.push_back(std::uint8_t(word & 0xFF));
        words.push_back(std::uint8_t(word >> 8));
    }
    return words;
}

Result ColorsFromClipboard(const std::vector<std::uint8_t>& words, std::string_view text,
                           std::vector<ColorEntry>& colors)
{
    colors.clear();
    if (!words.empty() && words.size() % 2 == 0)
    {
        for (std::size_t i = 0; i < words.size(); i += 2)
            colors.push_back(ColorWordToEntry(std::uint16_t(words[i] | words[i + 1] << 8)));
        return {};
    }
    ColorEntry color{};
    if (ParseColorText(text, color))
    {
        colors.push_back(color);
        return {};
    }
    // Only the text formats: a text of a colour table's size would read as one.
    PaletteContent palette;
    if (!ParsePalette(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), palette) ||
        (palette.format != PaletteFormat::Gimp && palette.format != PaletteFormat::Jasc))
        return NotAColor(Trimmed(text));
    colors = std::move(palette.colors);
    return {};
}
