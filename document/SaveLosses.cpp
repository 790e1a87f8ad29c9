// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/SaveLosses.h"

#include "image/ColorWord.h"
#include "image/SpriteImage.h"

#include <algorithm>

namespace
{
constexpr std::int32_t kEightBits = 8;
constexpr std::uint8_t kHighestSheetIndex = 15;
constexpr int kDigitGroup = 3;

// 1024 as "1,024".
std::string Grouped(std::int64_t value)
{
    std::string digits = std::to_string(value);
    for (int at = int(digits.size()) - kDigitGroup; at > 0; at -= kDigitGroup)
        digits.insert(std::size_t(at), ",");
    return digits;
}

// "1 column ..." or "2 columns ...".
std::string Counted(std::int64_t count, const std::string& one, const std::string& many)
{
    return Grouped(count) + " " + (count == 1 ? one : many);
}

std::int64_t CountOverFifteen(const CSpriteImage& image, std::int32_t columns, std::int32_t rows)
{
    std::int64_t count = 0;
    for (std::int32_t row = 0; row < rows; ++row)
    {
        const std::uint8_t* pixel =
            image.GetPixels() + static_cast<std::int64_t>(row) * image.GetWidth();
        count += std::count_if(pixel, pixel + columns,
                               [](std::uint8_t index) { return index > kHighestSheetIndex; });
    }
    return count;
}
// The entries an SPR file holds whose colour a colour word keeps only
// rounded; alpha is no part of a colour word.
std::int32_t CountRoundedColors(const CColorTable& table)
{
    std::int32_t count = 0;
    for (std::int32_t i = 0; i < std::min(table.GetSize(), kSprColorCount); ++i)
    {
        const ColorEntry& color = *table.GetAt(i);
        const ColorEntry kept = ColorWordToEntry(EntryToColorWord(color));
        count += kept.red != color.red || kept.green != color.green || kept.blue != color.blue;
    }
    return count;
}
} // namespace

SaveLosses FindSaveLosses(const CSpriteImage& image, SpriteLayout layout)
{
    SaveLosses losses;
    losses.layout = layout;
    if (image.GetBitsPerPixel() != kEightBits || !image.GetPixels())
        return losses;
    const std::int32_t sheetRows = layout == SpriteLayout::Sp2 ? kSp2SheetHeight : kSprSheetHeight;
    const std::int32_t width = image.GetWidth();
    const std::int32_t height = image.GetHeight();
    losses.columnsCut = std::max(0, width - kSheetWidth);
    losses.columnsAdded = std::max(0, kSheetWidth - width);
    losses.rowsCut = std::max(0, height - sheetRows);
    losses.rowsAdded = std::max(0, sheetRows - height);
    losses.pixelsOverFifteen =
        CountOverFifteen(image, std::min(width, kSheetWidth), std::min(height, sheetRows));
    if (layout == SpriteLayout::Spr)
        losses.colorsRounded = CountRoundedColors(image.m_colorTable);
    return losses;
}

std::string SaveLossText(const SaveLosses& losses)
{
    const bool sp2 = losses.layout == SpriteLayout::Sp2;
    const std::string columns = std::to_string(kSheetWidth);
    const std::string rows = std::to_string(sp2 ? kSp2SheetHeight : kSprSheetHeight);
    const struct
    {
        std::int64_t count;
        std::string one;
        std::string many;
    } clauses[] = {
        {losses.pixelsOverFifteen,
         "pixel uses a colour entry above 15 and would become entry mod 16",
         "pixels use colour entries above 15 and would become entry mod 16"},
        {losses.columnsCut, "column beyond " + columns + " is cut",
         "columns beyond " + columns + " are cut"},
        {losses.rowsCut, "row beyond " + rows + " is cut", "rows beyond " + rows + " are cut"},
        {losses.columnsAdded, "transparent column is added to make " + columns,
         "transparent columns are added to make " + columns},
        {losses.rowsAdded, "transparent row is added to make " + rows,
         "transparent rows are added to make " + rows},
        {losses.colorsRounded, "colour is rounded to a 15-bit colour word",
         "colours are rounded to 15-bit colour words"},
    };
    std::string text;
    for (const auto& clause : clauses)
    {
        if (clause.count > 0)
            text += (text.empty() ? "" : "; ") + Counted(clause.count, clause.one, clause.many);
    }
    if (text.empty())
        return text;
    return std::string("Saving as ") + (sp2 ? "SP2" : "SPR") + " changes the picture: " + text +
           ".";
}
