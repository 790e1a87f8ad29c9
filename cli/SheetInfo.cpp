#include "cli/SheetInfo.h"

#include "cli/SheetLoading.h"
#include "formats/PaletteRow.h"
#include "formats/SpriteMessages.h"
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

std::string JsonString(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text)
    {
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
            quoted += c;
        }
    }
    return quoted + "\"";
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

const char* DescribeFile(const std::string& path, SheetInfo& info)
{
    info = SheetInfo{};
    info.path = path;
    info.kind = KindOfPath(path);
    CSpriteImage image;
    if (const char* failure = LoadSheet(path, info.kind, image))
        return failure;
    info.width = image.GetWidth();
    info.height = image.GetHeight();
    info.bitsPerPixel = image.GetBitsPerPixel();
    if (info.bitsPerPixel == 8)
        info.coloursPerRow = CountColoursPerRow(image);
    if (info.kind == FileKind::Spr)
    {
        OwnedTrailingBlock block;
        if (!LoadTrailingBlock(path, block))
            return kReadTrailingFailedMessage;
        info.trailingBytes = block.size;
    }
    return nullptr;
}

std::string FormatInfoLine(const SheetInfo& info)
{
    std::string line = info.path + ": " + DisplayNameOf(info.kind) + ", " +
                       std::to_string(info.width) + "x" + std::to_string(info.height) + ", " +
                       std::to_string(info.bitsPerPixel) + "-bit";
    if (info.coloursPerRow)
        line += ", colours per palette row: " + JoinedCounts(*info.coloursPerRow, " ");
    if (info.trailingBytes)
        line += ", trailing block: " + std::to_string(*info.trailingBytes) + " bytes";
    return line;
}

std::string FormatInfoJson(const SheetInfo& info)
{
    std::string json = "{\"file\": " + JsonString(info.path) + ", \"format\": \"" +
                       DisplayNameOf(info.kind) + "\", \"width\": " + std::to_string(info.width) +
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
        if (const char* failure = DescribeFile(path, info))
        {
            ReportFileFailure(path, failure);
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
