// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/ImportMatch.h"

#include "formats/ColorMapping.h"
#include "formats/SpriteFile.h"
#include "image/SpriteImage.h"

#include <algorithm>

namespace
{
bool UsesEntriesAboveRow(const CSpriteImage& sheet)
{
    const std::uint8_t* pixels = sheet.GetPixels();
    return std::any_of(pixels, pixels + sheet.GetPixelBytes(),
                       [](std::uint8_t index) { return index >= kPaletteRowSize; });
}
} // namespace

ImportMatch MatchPictureToSheet(const CSpriteImage& picture, const CSpriteImage& sheet,
                                std::int32_t row, CSpriteImage& mapped)
{
    const CColorTable& table = sheet.m_colorTable;
    MappingKind kind = MappingKind::Matched;
    const Result wholeTable = MapToSheetColors(picture, table, kMapWholeTable, mapped, kind);
    if (wholeTable.reason == Reason::MappingBadDepth)
        return {};
    if (wholeTable && kind == MappingKind::SameOrder)
        return {ImportFit::KeepsIndices, {}};
    const std::int32_t shown = UsesEntriesAboveRow(sheet) ? kMapWholeTable : row;
    const Result onShown = MapToSheetColors(picture, table, shown, mapped, kind, &sheet);
    if (onShown)
        return {ImportFit::MapsOntoSheet, {}};
    return {ImportFit::Mismatch, onShown};
}
