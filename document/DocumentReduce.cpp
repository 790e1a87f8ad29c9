// SPDX-License-Identifier: GPL-3.0-or-later
// Truecolour art into palette rows: Reduce Colours and Import Colourways,
// each worked out by reduce/ and made one step of the history.
#include "document/SpriteDocument.h"

#include "formats/SpriteFile.h"
#include "image/ColorWord.h"
#include "image/SpriteImage.h"

#include <algorithm>
#include <utility>

namespace
{

constexpr std::int32_t kLastRow = kPaletteRowCount - 1;

// A palette row and the colours written to it.
using WrittenRow = std::pair<std::int32_t, PaletteRow>;

// Row `row` of the table; entries the table does not hold are black.
PaletteRow RowOf(const CColorTable& table, std::int32_t row)
{
    PaletteRow colors{};
    for (std::int32_t i = 0; i < kPaletteRowSize; ++i)
        if (const std::int32_t entry = row * kPaletteRowSize + i; entry < table.GetSize())
            colors[std::size_t(i)] = *table.GetAt(entry);
    return colors;
}

// The row as a Save writes it: a colour the reduction kept as the table
// had it may hold more than its colour word.
PaletteRow Rounded(PaletteRow row)
{
    for (ColorEntry& color : row)
        color = RoundToColorWord(color);
    return row;
}

void SetRowTable(CSpriteImage& picture, const PaletteRow& row)
{
    for (std::int32_t i = 0; i < kPaletteRowSize; ++i)
        picture.m_colorTable.SetAt(i, row[std::size_t(i)]);
}

// The pixels of `indexed` on the sheet's table, grown to a sheet's 256
// colours, with the rows written.
std::unique_ptr<CSpriteImage> SheetOf(const CSpriteImage& indexed, const CColorTable& table,
                                      const std::vector<WrittenRow>& rows)
{
    auto sheet = std::make_unique<CSpriteImage>(indexed);
    if (sheet->GetPixels() == nullptr || !sheet->m_colorTable.SetSize(kSprColorCount))
        return nullptr;
    for (std::int32_t i = 0; i < std::min(table.GetSize(), kSprColorCount); ++i)
        sheet->m_colorTable.SetAt(i, *table.GetAt(i));
    for (const auto& [row, colors] : rows)
        for (std::int32_t i = 0; i < kPaletteRowSize; ++i)
            sheet->m_colorTable.SetAt(row * kPaletteRowSize + i, colors[std::size_t(i)]);
    return sheet;
}

Result CheckRow(std::int32_t row)
{
    if (row < 0 || row > kLastRow)
        return Failure(Reason::BadPaletteRow, row, kLastRow);
    return {};
}

Result CheckRows(const std::vector<std::int32_t>& rows)
{
    for (std::size_t i = 0; i < rows.size(); ++i)
    {
        if (Result checked = CheckRow(rows[i]); !checked)
            return checked;
        if (std::find(rows.begin(), rows.begin() + std::ptrdiff_t(i), rows[i]) !=
            rows.begin() + std::ptrdiff_t(i))
            return Failure(Reason::ColorwayRowTwice, rows[i]);
    }
    return {};
}

bool HasIndexAboveRow(const CSpriteImage& picture)
{
    const std::uint8_t* pixels = picture.GetPixels();
    return std::any_of(pixels, pixels + picture.GetPixelBytes(),
                       [](std::uint8_t index) { return index >= kPaletteRowSize; });
}

} // namespace

bool CSpriteDocument::CanReduceColors() const
{
    if (!HasSheet())
        return false;
    switch (m_sheet.source->GetBitsPerPixel())
    {
    case 24:
    case 32:
        return true;
    case 8:
        return UndoKind() == EditKind::Import || HasIndexAboveRow(*m_sheet.source);
    default:
        return false;
    }
}

Result CSpriteDocument::PreviewReduceColors(std::int32_t row, const ReduceOptions& options,
                                            ReducedPicture& preview) const
{
    if (!HasSheet())
        return {};
    if (Result checked = CheckRow(row); !checked)
        return WithMessage(checked, Message::ReduceFailed);
    // What the view shows: an 8-bit picture in the colours of the row shown.
    ReducedPicture reduced;
    if (Result done =
            ::ReduceColors(*Display(), RowOf(m_sheet.source->m_colorTable, row), options, reduced);
        !done)
        return WithMessage(done, Message::ReduceFailed);
    reduced.row = Rounded(reduced.row);
    SetRowTable(reduced.picture, reduced.row);
    preview = std::move(reduced);
    return {};
}

Result CSpriteDocument::ReduceColors(std::int32_t row, const ReduceOptions& options)
{
    if (!HasSheet())
        return {};
    ReducedPicture reduced;
    if (Result previewed = PreviewReduceColors(row, options, reduced); !previewed)
        return previewed;
    auto sheet = SheetOf(reduced.picture, m_sheet.source->m_colorTable, {{row, reduced.row}});
    if (!sheet)
        return WithMessage(Failure(Reason::OutOfMemory), Message::ReduceFailed);
    Apply(EditKind::ReduceColors, std::make_unique<CSheetStep>(std::move(sheet)));
    ChoosePaletteRow(row);
    return {};
}

Result CSpriteDocument::PreviewColorways(const ColorwayRequest& request,
                                         ColorwaySheet& preview) const
{
    if (!HasSheet())
        return {};
    if (Result checked = CheckRows(request.rows); !checked)
        return WithMessage(checked, Message::ColorwaysFailed);
    // ::PaletteRow: the member PaletteRow() is the row shown.
    std::vector<::PaletteRow> rows;
    for (const std::int32_t row : request.rows)
        rows.push_back(RowOf(m_sheet.source->m_colorTable, row));
    ColorwaySheet built;
    Result done = BuildColorways(request.pictures, rows, request.options.alphaThreshold, built);
    if (!done && done.reason == Reason::ColorwayTooManyClasses && request.reduce)
        done = ReduceColorways(request.pictures, rows, request.options, built);
    if (!done)
        return WithMessage(done, Message::ColorwaysFailed);
    for (::PaletteRow& row : built.rows)
        row = Rounded(row);
    SetRowTable(built.sheet, built.rows[0]);
    preview = std::move(built);
    return {};
}

Result CSpriteDocument::ImportColorways(const ColorwayRequest& request)
{
    if (!HasSheet())
        return {};
    ColorwaySheet built;
    if (Result previewed = PreviewColorways(request, built); !previewed)
        return previewed;
    std::vector<WrittenRow> rows;
    for (std::size_t i = 0; i < request.rows.size(); ++i)
        rows.emplace_back(request.rows[i], built.rows[i]);
    auto sheet = SheetOf(built.sheet, m_sheet.source->m_colorTable, rows);
    if (!sheet)
        return WithMessage(Failure(Reason::OutOfMemory), Message::ColorwaysFailed);
    Apply(EditKind::ImportColorways, std::make_unique<CSheetStep>(std::move(sheet)));
    ChoosePaletteRow(request.rows[0]);
    return {};
}
