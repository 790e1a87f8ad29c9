// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/SheetInfo.h"

#include "document/PaletteSource.h"
#include "document/SpriteDocument.h"
#include "formats/PaletteRow.h"
#include "image/SpriteImage.h"

#include <algorithm>
#include <bitset>
#include <cstdio>
#include <vector>

namespace
{

constexpr std::int32_t kIndexCount = 256;

std::bitset<kIndexCount> UsedIndices(const CSpriteImage& image)
{
    std::bitset<kIndexCount> used;
    const std::uint8_t* pixels = image.GetPixels();
    const std::int32_t count = image.GetPixelBytes();
    for (std::int32_t i = 0; i < count; ++i)
        used.set(pixels[i]);
    return used;
}

std::uint32_t Packed(const ColorEntry& colour)
{
    return std::uint32_t(colour.red) | std::uint32_t(colour.green) << 8 |
           std::uint32_t(colour.blue) << 16 | std::uint32_t(colour.alpha) << 24;
}

std::int32_t CountDistinct(std::vector<std::uint32_t>& colours)
{
    std::sort(colours.begin(), colours.end());
    return std::int32_t(std::unique(colours.begin(), colours.end()) - colours.begin());
}

// File names are bytes; JSON text is Unicode. A byte that is not part of
// well-formed UTF-8 becomes U+FFFD, so the output always parses.
std::string JsonString(const std::string& text)
{
    std::string quoted = "\"";
    for (std::size_t at = 0; at < text.size();)
    {
        const char c = text[at];
        const std::size_t length = Utf8SequenceLength(text, at);
        if (length == 0)
        {
            quoted += "\\ufffd";
            ++at;
            continue;
        }
        if (c == '"' || c == '\\')
        {
            quoted += '\\';
            quoted += c;
        }
        else if (static_cast<unsigned char>(c) < 0x20)
        {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
            quoted += escaped;
        }
        else
        {
            quoted.append(text, at, length);
        }
        at += length;
    }
    return quoted + "\"";
}

Result DescribePalette(const std::string& path, SheetInfo& info)
{
    PaletteContent palette;
    if (Result loaded = LoadPalette(path, palette); !loaded)
        return loaded;
    info.format = FormatOfPalette(palette.format);
    info.paletteColours = std::int32_t(palette.colors.size());
    return {};
}

// A picture's headers alone: its pixels may be gigabytes, from a small file.
Result DescribePicture(const std::string& path, SheetInfo& info)
{
    PictureHeader header;
    if (Result read = ReadPictureHeaderFile(path, header); !read)
        return read;
    info.width = header.width;
    info.height = header.height;
    info.bitsPerPixel = header.bitsPerPixel;
    return {};
}

std::string JoinedCounts(const std::array<std::int32_t, kPaletteRowCount>& counts,
                         const char* separator)
{
    std::string joined;
    for (std::size_t row = 0; row < counts.size(); ++row)
        joined += (row == 0 ? "" : separator) + std::to_string(counts[row]);
    return joined;
}

} // namespace

std::array<std::int32_t, kPaletteRowCount> CountColoursPerRow(const CSpriteImage& image)
{
    const std::bitset<kIndexCount> used = UsedIndices(image);
    std::array<std::int32_t, kPaletteRowCount> counts{};
    CSpriteImage display; // only its colour table is used
    for (std::int32_t row = 0; row < kPaletteRowCount; ++row)
    {
        display.m_colorTable = image.m_colorTable;
        ApplyPaletteRow(image, display, row);
        std::vector<std::uint32_t> colours;
        for (std::int32_t index = 0; index < display.m_colorTable.GetSize() && index < kIndexCount;
             ++index)
            if (used.test(std::size_t(index)))
                colours.push_back(Packed(*display.m_colorTable.GetAt(index)));
        counts[std::size_t(row)] = CountDistinct(colours);
    }
    return counts;
}

Result DescribeFile(const std::string& path, SheetInfo& info)
{
    info = SheetInfo{};
    info.path = path;
    if (Result known = FormatToConvert(path, info.format); !known)
        return known;
    if (KindOf(info.format) == FormatKind::Palette)
        return DescribePalette(path, info);
    if (KindOf(info.format) == FormatKind::Picture)
        return DescribePicture(path, info);
    // The trailing block is measured, never read: it may be any size.
    CSpriteDocument document;
    if (Result opened = document.Open(path, TrailingBlockUse::Skip).result; !opened)
        return opened;
    const CSpriteImage& image = *document.Source();
    info.width = image.GetWidth();
    info.height = image.GetHeight();
    info.bitsPerPixel = image.GetBitsPerPixel();
    if (info.bitsPerPixel == 8)
        info.coloursPerRow = CountColoursPerRow(image);
    if (info.format == FileFormat::Spr)
    {
        std::int64_t size = 0;
        if (Result measured = MeasureTrailingBlockFile(path, size); !measured)
            return measured;
        info.trailingBytes = size;
    }
    return {};
}

std::string FormatInfoLine(const SheetInfo& info)
{
    const char* name = FormatInfo(info.format).name;
    if (KindOf(info.format) == FormatKind::Palette)
        return ShownName(info.path) + ": palette, " + name + ", " +
               std::to_string(info.paletteColours) + " colours";
    std::string line = ShownName(info.path) + ": " + name + ", " + std::to_string(info.width) +
                       "x" + std::to_string(info.height) + ", " +
                       std::to_string(info.bitsPerPixel) + "-bit";
    if (info.coloursPerRow)
        line += ", colours per palette row: " + JoinedCounts(*info.coloursPerRow, " ");
    if (info.trailingBytes)
        line += ", trailing block: " + std::to_string(*info.trailingBytes) + " bytes";
    return line;
}

std::string FormatInfoJson(const SheetInfo& info)
{
    const char* name = FormatInfo(info.format).name;
    if (KindOf(info.format) == FormatKind::Palette)
        return "{\"file\": " + JsonString(info.path) + ", \"format\": \"palette\", " +
               "\"paletteFormat\": \"" + name +
               "\", \"colours\": " + std::to_string(info.paletteColours) + "}";
    std::string json = "{\"file\": " + JsonString(info.path) + ", \"format\": \"" + name +
                       "\", \"width\": " + std::to_string(info.width) +
                       ", \"height\": " + std::to_string(info.height) +
                       ", \"bitsPerPixel\": " + std::to_string(info.bitsPerPixel) +
                       ", \"coloursPerPaletteRow\": ";
    json += info.coloursPerRow ? "[" + JoinedCounts(*info.coloursPerRow, ", ") + "]" : "null";
    json += ", \"trailingBytes\": ";
    json += info.trailingBytes ? std::to_string(*info.trailingBytes) : "null";
    return json + "}";
}

int RunInfo(const CommandLine& commandLine)
{
    bool anyFailed = false;
    bool firstJson = true;
    if (commandLine.json)
        std::fputs("[\n", stdout);
    for (const std::string& path : commandLine.inputs)
    {
        SheetInfo info;
        if (const Result described = DescribeFile(path, info); !described)
        {
            ReportFileFailure(path, ShownFailure(described));
            anyFailed = true;
            continue;
        }
        if (commandLine.json)
        {
            std::printf("%s  %s", firstJson ? "" : ",\n", FormatInfoJson(info).c_str());
            firstJson = false;
        }
        else
        {
            std::printf("%s\n", FormatInfoLine(info).c_str());
        }
    }
    if (commandLine.json)
        std::fputs(firstJson ? "]\n" : "\n]\n", stdout);
    return anyFailed ? kExitSomeFileFailed : kExitSuccess;
}
