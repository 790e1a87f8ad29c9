// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/ImportMatch.h"

#include "formats/ColorMapping.h"
#include "image/SpriteImage.h"

ImportMatch MatchPictureToSheet(const CSpriteImage& picture, const CColorTable& table,
                                std::int32_t row, CSpriteImage& mapped)
{
    CSpriteImage onTable;
    MappingKind kind = MappingKind::Matched;
    const Result wholeTable = MapToSheetColors(picture, table, kMapWholeTable, onTable, kind);
    if (wholeTable.reason == Reason::MappingBadDepth ||
        (wholeTable && kind == MappingKind::SameOrder))
        return {};
    const Result onRow = MapToSheetColors(picture, table, row, mapped, kind);
    if (onRow)
        return {ImportFit::MapsOntoSheet, {}};
    if (wholeTable)
    {
        mapped = onTable;
        return {ImportFit::MapsOntoSheet, {}};
    }
    return {ImportFit::Mismatch, onRow};
}
