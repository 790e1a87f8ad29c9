// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/SpriteDocument.h"

#include "document/PaletteSource.h"
#include "formats/PaletteRow.h"
#include "image/SpriteImage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace
{
constexpr std::int32_t kLastRowIndex = kPaletteRowSize - 1;
constexpr int kColorFieldShift = 3; // a colour word's 5-bit field in bits 3-7 of a channel
constexpr std::uint8_t kOpaque = 255;

bool SameColor(const ColorEntry& a, const ColorEntry& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

Result Refused(Reason reason, std::int64_t value = 0, std::int64_t limit = 0)
{
    return WithMessage(Failure(reason, value, limit), Message::EditPaletteFailed);
}

// Palette edits need an 8-bit picture with a colour table.
Result CheckTable(const CSpriteImage& picture)
{
    if (picture.GetBitsPerPixel() != 8 || picture.m_colorTable.GetSize() == 0)
        return Refused(Reason::NoColorTable, picture.GetBitsPerPixel());
    return {};
}

Result CheckEntry(const CSpriteImage& picture, std::int32_t entry)
{
    if (Result table = CheckTable(picture); !table)
        return table;
    const std::int32_t size = picture.m_colorTable.GetSize();
    if (entry < 0 || entry >= size)
        return Refused(Reason::BadColorEntry, entry, size - 1);
    return {};
}

Result CheckRow(const CSpriteImage& picture, std::int32_t row)
{
    if (Result table = CheckTable(picture); !table)
        return table;
    const std::int32_t rows = picture.m_colorTable.GetSize() / kPaletteRowSize;
    if (row < 0 || row >= std::min(rows, kPaletteRowCount))
        return Refused(Reason::BadPaletteRow, row, std::min(rows, kPaletteRowCount) - 1);
    return {};
}

Result CheckIndex(std::int32_t index)
{
    if (index < 0 || index > kLastRowIndex)
        return Refused(Reason::BadRowIndex, index, kLastRowIndex);
    return {};
}

std::vector<ColorEntry> Rounded(const std::vector<ColorEntry>& colors)
{
    std::vector<ColorEntry> rounded;
    rounded.reserve(colors.size());
    for (const ColorEntry& color : colors)
        rounded.push_back(RoundToColorWord(color));
    return rounded;
}

// Whether the table holds these colours from first on already.
bool HoldsColors(const CColorTable& table, std::int32_t first,
                 const std::vector<ColorEntry>& colors)
{
    for (std::size_t i = 0; i < colors.size(); ++i)
        if (!SameColor(*table.GetAt(first + std::int32_t(i)), colors[i]))
            return false;
    return true;
}

std::vector<ColorEntry> TableColors(const CColorTable& table, std::int32_t first,
                                    std::int32_t count)
{
    return std::vector<ColorEntry>(table.GetAt(first), table.GetAt(first) + count);
}

// What each pixel value becomes when indices i and j trade places in every
// row the table holds whole (both entries there).
std::array<std::uint8_t, 256> IndexSwapMap(std::int32_t i, std::int32_t j, std::int32_t tableSize)
{
    std::array<std::uint8_t, 256> map{};
    for (std::int32_t value = 0; value < 256; ++value)
    {
        const std::int32_t rowStart = value - value % kPaletteRowSize;
        const std::int32_t index = value % kPaletteRowSize;
        const bool swapped = (index == i || index == j) && rowStart + std::max(i, j) < tableSize;
        map[std::size_t(value)] = std::uint8_t(swapped ? rowStart + (index == i ? j : i) : value);
    }
    return map;
}

// The pixels the map changes, as a step holding them after the change;
// null when it changes none.
std::unique_ptr<CPixelsStep> RemapPixels(const CSpriteImage& picture,
                                         const std::array<std::uint8_t, 256>& map)
{
    const std::int32_t width = picture.GetWidth();
    const std::uint8_t* pixels = picture.GetPixels();
    std::int32_t left = width;
    std::int32_t right = -1;
    std::int32_t top = -1;
    std::int32_t bottom = -1;
    for (std::int32_t y = 0; y < picture.GetHeight(); ++y)
    {
        const std::uint8_t* row = pixels + std::size_t(y) * std::size_t(width);
        std::int32_t first = 0;
        while (first < width && map[row[first]] == row[first])
            ++first;
        if (first == width)
            continue;
        std::int32_t last = width - 1;
        while (map[row[last]] == row[last])
            --last;
        left = std::min(left, first);
        right = std::max(right, last);
        top = top < 0 ? y : top;
        bottom = y;
    }
    if (top < 0)
        return nullptr;
    const SheetRect area{left, top, right - left + 1, bottom - top + 1};
    std::vector<std::uint8_t> bytes(std::size_t(area.width) * std::size_t(area.height));
    std::uint8_t* out = bytes.data();
    for (std::int32_t y = area.y; y < area.y + area.height; ++y)
    {
        const std::uint8_t* row = pixels + std::size_t(y) * std::size_t(width) + std::size_t(left);
        for (std::int32_t x = 0; x < area.width; ++x)
            *out++ = map[row[x]];
    }
    return std::make_unique<CPixelsStep>(area, std::move(bytes));
}

std::uint8_t GradientField(std::uint8_t from, std::uint8_t to, std::int32_t step,
                           std::int32_t steps)
{
    const int a = from >> kColorFieldShift;
    const int b = to >> kColorFieldShift;
    const long field = a + std::lround(double(b - a) * step / steps);
    return std::uint8_t(field << kColorFieldShift);
}
} // namespace

Result CSpriteDocument::SetColor(std::int32_t entry, const ColorEntry& color, EditKind kind)
{
    if (!HasSheet())
        return {};
    if (Result checked = CheckEntry(*m_sheet.source, entry); !checked)
        return checked;
    const std::vector<ColorEntry> colors{RoundToColorWord(color)};
    if (!HoldsColors(m_sheet.source->m_colorTable, entry, colors))
        Apply(kind, std::make_unique<CColorsStep>(entry, colors));
    return {};
}

Result CSpriteDocument::PasteColor(std::int32_t entry, const std::vector<ColorEntry>& colors)
{
    if (!HasSheet() || colors.empty())
        return {};
    if (colors.size() > 1)
        return Refused(Reason::TooManyColors, std::int64_t(colors.size()), 1);
    return SetColor(entry, colors.front(), EditKind::PasteColor);
}

Result CSpriteDocument::SwapColors(std::int32_t a, std::int32_t b)
{
    if (!HasSheet())
        return {};
    for (const std::int32_t entry : {a, b})
        if (Result checked = CheckEntry(*m_sheet.source, entry); !checked)
            return checked;
    const CColorTable& table = m_sheet.source->m_colorTable;
    if (SameColor(*table.GetAt(a), *table.GetAt(b)))
        return {};
    auto swap = std::make_unique<CStepGroup>();
    swap->Add(std::make_unique<CColorsStep>(a, TableColors(table, b, 1)));
    swap->Add(std::make_unique<CColorsStep>(b, TableColors(table, a, 1)));
    Apply(EditKind::SwapColors, std::move(swap));
    return {};
}

Result CSpriteDocument::CopyColor(std::int32_t from, std::int32_t to)
{
    if (!HasSheet())
        return {};
    if (Result checked = CheckEntry(*m_sheet.source, from); !checked)
        return checked;
    return SetColor(to, *m_sheet.source->m_colorTable.GetAt(from), EditKind::CopyColor);
}

Result CSpriteDocument::PasteRow(std::int32_t row, const std::vector<ColorEntry>& colors)
{
    if (!HasSheet())
        return {};
    if (Result checked = CheckRow(*m_sheet.source, row); !checked)
        return checked;
    if (std::int32_t(colors.size()) > kPaletteRowSize)
        return Refused(Reason::TooManyColors, std::int64_t(colors.size()), kPaletteRowSize);
    const std::vector<ColorEntry> rounded = Rounded(colors);
    const std::int32_t first = row * kPaletteRowSize;
    if (!HoldsColors(m_sheet.source->m_colorTable, first, rounded))
        Apply(EditKind::PasteRow, std::make_unique<CColorsStep>(first, rounded));
    return {};
}

Result CSpriteDocument::SwapRows(std::int32_t a, std::int32_t b)
{
    if (!HasSheet())
        return {};
    for (const std::int32_t row : {a, b})
        if (Result checked = CheckRow(*m_sheet.source, row); !checked)
            return checked;
    const CColorTable& table = m_sheet.source->m_colorTable;
    const auto rowA = TableColors(table, a * kPaletteRowSize, kPaletteRowSize);
    const auto rowB = TableColors(table, b * kPaletteRowSize, kPaletteRowSize);
    if (HoldsColors(table, a * kPaletteRowSize, rowB))
        return {};
    auto swap = std::make_unique<CStepGroup>();
    swap->Add(std::make_unique<CColorsStep>(a * kPaletteRowSize, rowB));
    swap->Add(std::make_unique<CColorsStep>(b * kPaletteRowSize, rowA));
    Apply(EditKind::SwapRows, std::move(swap));
    return {};
}

Result CSpriteDocument::SwapIndices(std::int32_t i, std::int32_t j, IndexSwap what)
{
    if (!HasSheet())
        return {};
    if (Result table = CheckTable(*m_sheet.source); !table)
        return table;
    for (const std::int32_t index : {i, j})
        if (Result checked = CheckIndex(index); !checked)
            return checked;
    const CColorTable& table = m_sheet.source->m_colorTable;
    const std::int32_t first = std::min(i, j);
    const std::int32_t wholeRows = std::min(table.GetSize() / kPaletteRowSize, kPaletteRowCount);
    if (i == j || wholeRows == 0)
        return {};
    const std::int32_t count = (wholeRows - 1) * kPaletteRowSize + std::max(i, j) - first + 1;
    std::vector<ColorEntry> colors = TableColors(table, first, count);
    for (std::int32_t row = 0; row < wholeRows; ++row)
        std::swap(colors[std::size_t(row * kPaletteRowSize + i - first)],
                  colors[std::size_t(row * kPaletteRowSize + j - first)]);

    auto swap = std::make_unique<CStepGroup>();
    if (!HoldsColors(table, first, colors))
        swap->Add(std::make_unique<CColorsStep>(first, std::move(colors)));
    if (what == IndexSwap::ColorsAndPixels)
        if (auto pixels = RemapPixels(*m_sheet.source, IndexSwapMap(i, j, table.GetSize())))
            swap->Add(std::move(pixels));
    if (!swap->IsEmpty())
        Apply(what == IndexSwap::ColorsOnly ? EditKind::SwapIndices
                                            : EditKind::SwapIndicesAndPixels,
              std::move(swap));
    return {};
}

Result CSpriteDocument::FillGradient(std::int32_t first, std::int32_t last)
{
    if (!HasSheet())
        return {};
    for (const std::int32_t entry : {first, last})
        if (Result checked = CheckEntry(*m_sheet.source, entry); !checked)
            return checked;
    if (first > last)
        std::swap(first, last);
    const std::int32_t steps = last - first;
    if (steps < 2)
        return {};
    const CColorTable& table = m_sheet.source->m_colorTable;
    const ColorEntry from = RoundToColorWord(*table.GetAt(first));
    const ColorEntry to = RoundToColorWord(*table.GetAt(last));
    std::vector<ColorEntry> colors;
    for (std::int32_t step = 1; step < steps; ++step)
        colors.push_back({GradientField(from.red, to.red, step, steps),
                          GradientField(from.green, to.green, step, steps),
                          GradientField(from.blue, to.blue, step, steps), kOpaque});
    if (!HoldsColors(table, first + 1, colors))
        Apply(EditKind::Gradient, std::make_unique<CColorsStep>(first + 1, std::move(colors)));
    return {};
}

Result CSpriteDocument::PreviewColor(std::int32_t entry, const ColorEntry& color)
{
    if (!HasSheet())
        return {};
    if (Result checked = CheckEntry(*m_sheet.source, entry); !checked)
        return checked;
    if (m_preview && (m_preview->entry != entry || m_preview->picture != m_sheet.source.get()))
        FinishColorPreview(false);
    ColorEntry& shown = *m_sheet.source->m_colorTable.GetAt(entry);
    if (!m_preview)
        m_preview = ColorPreview{m_sheet.source.get(), entry, shown};
    shown = RoundToColorWord(color);
    SheetChanges changes;
    changes.AddColors(entry, entry);
    Announce(changes);
    return {};
}

void CSpriteDocument::FinishColorPreview(bool keep)
{
    if (!m_preview)
        return;
    const ColorPreview preview = *m_preview;
    m_preview.reset();
    // A sheet read again from its file meanwhile has nothing to keep.
    if (!HasSheet() || m_sheet.source.get() != preview.picture)
        return;
    ColorEntry& shown = *m_sheet.source->m_colorTable.GetAt(preview.entry);
    if (SameColor(shown, preview.before))
        return;
    if (keep)
    {
        Record(EditKind::EditColor, std::make_unique<CColorsStep>(
                                        preview.entry, std::vector<ColorEntry>{preview.before}));
        return;
    }
    shown = preview.before;
    SheetChanges changes;
    changes.AddColors(preview.entry, preview.entry);
    Announce(changes);
}

Result CSpriteDocument::NewSheet(SpriteLayout layout, NewSheetColors colors,
                                 const std::string& palettePath)
{
    auto picture = std::make_unique<CSpriteImage>();
    const std::int32_t height = layout == SpriteLayout::Sp2 ? kSp2SheetHeight : kSprSheetHeight;
    if (!picture->Create(kSheetWidth, height, 8) || !SetGreyRamp(*picture))
        return WithMessage(Failure(Reason::OutOfMemory), Message::CannotCreate);
    std::memset(picture->GetPixels(), 0, std::size_t(picture->GetPixelBytes()));
    std::vector<ColorEntry> chosen;
    if (colors == NewSheetColors::PaletteFile)
    {
        if (Result loaded = LoadPaletteColors(palettePath, chosen); !loaded)
            return loaded;
    }
    else if (colors == NewSheetColors::CurrentSheet && HasSheet() &&
             m_sheet.source->GetBitsPerPixel() == 8)
        chosen = ColorsOf(m_sheet.source->m_colorTable, std::nullopt);
    chosen.resize(std::min<std::size_t>(chosen.size(), kSprColorCount));
    // A palette of one row colours every row, as the grey ramp does.
    const bool everyRow =
        colors == NewSheetColors::PaletteFile && std::int32_t(chosen.size()) <= kPaletteRowSize;
    for (std::int32_t entry = 0; entry < kSprColorCount; ++entry)
    {
        const std::size_t from = std::size_t(everyRow ? entry % kPaletteRowSize : entry);
        if (from < chosen.size())
            picture->m_colorTable.SetAt(entry, RoundToColorWord(chosen[from]));
    }
    Clear();
    SheetState sheet;
    sheet.source = std::move(picture);
    sheet.layout = layout;
    Install(std::move(sheet), false);
    return {};
}

std::vector<ColorEntry> CSpriteDocument::RowColors(std::int32_t row) const
{
    if (!HasSheet() || !CheckRow(*m_sheet.source, row))
        return {};
    return ColorsOf(m_sheet.source->m_colorTable, row);
}
