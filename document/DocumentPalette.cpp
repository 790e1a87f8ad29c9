// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/SpriteDocument.h"

#include "document/PaletteSource.h"
#include "formats/ColorMapping.h"
#include "formats/PaletteRow.h"
#include "image/ColorWord.h"
#include "image/SpriteImage.h"

Result CSpriteDocument::PrepareImport(const std::string& path, ImportMatch& match)
{
    match = {};
    if (!HasSheet())
        return {};
    auto picture = std::make_unique<CSpriteImage>();
    ImportOutcome outcome;
    if (Result loaded = ReadPictureFile(path, *picture, &outcome); !loaded)
        return loaded;
    KeepUndefinedColors(*picture, outcome.definedColors);
    auto mapped = std::make_unique<CSpriteImage>();
    // A sheet without palette rows (a truecolour picture imported as it
    // was) has no colours to keep.
    if (m_sheet.source->GetBitsPerPixel() == 8)
        match = MatchPictureToSheet(*picture, *m_sheet.source, m_paletteRow, *mapped);
    m_importPicture = std::move(picture);
    if (match.fit == ImportFit::MapsOntoSheet)
        m_importMapped = std::move(mapped);
    else
        m_importMapped.reset();
    return {};
}

void CSpriteDocument::FinishImport(bool ontoSheetColors)
{
    if (!m_importPicture)
        return;
    const bool mapped = ontoSheetColors && m_importMapped;
    auto picture = mapped ? std::move(m_importMapped) : std::move(m_importPicture);
    m_importPicture.reset();
    m_importMapped.reset();
    Apply(EditKind::Import, std::make_unique<CSheetStep>(std::move(picture)));
    // A picture shows in the first row, unless its indices were recovered
    // for the colours of the row that was shown.
    if (!mapped)
        ChoosePaletteRow(0);
}

Result CSpriteDocument::ExportPicture(const std::string& path, const ExportOptions& options,
                                      CReplaceBatch* batch) const
{
    if (!HasSheet())
        return {};
    return SavePicture(*m_sheet.source, path, options, batch);
}

Result CSpriteDocument::LoadPalette(const std::string& path, std::int32_t* rounded)
{
    if (!HasSheet())
        return {};
    std::vector<ColorEntry> colors;
    if (Result loaded = LoadPaletteColors(path, colors); !loaded)
        return loaded;
    const bool oneRow = std::int32_t(colors.size()) <= kPaletteRowSize;
    return ReplaceColors(colors, oneRow ? m_paletteRow * kPaletteRowSize : 0, rounded);
}

Result CSpriteDocument::LoadPaletteAt(const std::string& path, std::int32_t first,
                                      std::int32_t* rounded)
{
    if (!HasSheet())
        return {};
    std::vector<ColorEntry> colors;
    if (Result loaded = LoadPaletteColors(path, colors); !loaded)
        return loaded;
    return ReplaceColors(colors, first, rounded);
}

namespace
{
// The colours as a colour word holds them; answers how many that changed.
std::int32_t RoundColors(std::vector<ColorEntry>& colors)
{
    std::int32_t changed = 0;
    for (ColorEntry& color : colors)
    {
        const ColorEntry held = RoundToColorWord(color);
        changed += held.red != color.red || held.green != color.green || held.blue != color.blue;
        color = held;
    }
    return changed;
}
} // namespace

Result CSpriteDocument::ReplaceColors(const std::vector<ColorEntry>& entering, std::int32_t first,
                                      std::int32_t* rounded)
{
    if (!HasSheet())
        return {};
    const auto count = std::int64_t(entering.size());
    if (first < 0 || first + count > kSprColorCount)
        return WithMessage(Failure(Reason::PalettePastTable, count, first),
                           Message::LoadPaletteFailed);
    std::vector<ColorEntry> colors = entering;
    const std::int32_t changed = RoundColors(colors);
    if (rounded)
        *rounded = changed;
    const CColorTable& table = m_sheet.source->m_colorTable;
    if (table.GetSize() >= first + count)
    {
        Apply(EditKind::LoadPalette, std::make_unique<CColorsStep>(first, std::move(colors)));
        return {};
    }
    // A shorter table grows to a sheet's 256 colours, the new ones black.
    auto grown = std::make_unique<CSpriteImage>(*m_sheet.source);
    if (grown->GetPixels() == nullptr || !grown->m_colorTable.SetSize(kSprColorCount))
        return WithMessage(Failure(Reason::OutOfMemory), Message::LoadPaletteFailed);
    for (std::int32_t i = 0; i < table.GetSize(); ++i)
        grown->m_colorTable.SetAt(i, *table.GetAt(i));
    for (std::size_t i = 0; i < colors.size(); ++i)
        grown->m_colorTable.SetAt(first + std::int32_t(i), colors[i]);
    Apply(EditKind::LoadPalette, std::make_unique<CSheetStep>(std::move(grown)));
    return {};
}

Result CSpriteDocument::SavePalette(const std::string& path, PaletteFormat format,
                                    std::optional<std::int32_t> row, CReplaceBatch* batch) const
{
    if (!HasSheet())
        return {};
    if (row && (*row < 0 || *row >= kPaletteRowCount))
        return WithMessage(Failure(Reason::BadPaletteRow, *row, kPaletteRowCount - 1),
                           Message::SavePaletteFailed);
    if (m_sheet.source->GetBitsPerPixel() != kIndexedBitsPerPixel)
        return WithMessage(Failure(Reason::NoColorTable, m_sheet.source->GetBitsPerPixel()),
                           Message::SavePaletteFailed);
    const std::vector<ColorEntry> colors = ColorsOf(m_sheet.source->m_colorTable, row);
    if (Result saved = SavePaletteFile(colors, format, path.c_str(), batch); !saved)
        return WithMessage(saved, Message::SavePaletteFailed);
    return {};
}

Result CSpriteDocument::MapOntoColors(const CColorTable& table, std::optional<std::int32_t> row)
{
    if (!HasSheet())
        return {};
    auto mapped = std::make_unique<CSpriteImage>();
    MappingKind kind = MappingKind::Matched;
    if (Result result =
            MapToSheetColors(*m_sheet.source, table, row.value_or(kMapWholeTable), *mapped, kind);
        !result)
        return WithMessage(result, Message::MatchFailed);
    Apply(EditKind::MatchPalette, std::make_unique<CSheetStep>(std::move(mapped)));
    return {};
}
