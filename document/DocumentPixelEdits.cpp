// SPDX-License-Identifier: GPL-3.0-or-later
// The document's pixel edits: strokes drawn live and recorded when they end,
// the selection, blocks that float until placed, and the clipboard's PNG.

#include "document/SpriteDocument.h"

#include "formats/ColorMapping.h"
#include "formats/PngFile.h"
#include "image/ColorWord.h"
#include "image/SpriteImage.h"

#include <algorithm>

namespace
{
constexpr std::uint8_t kEmptyIndex = 0;

// The picture's pixels as the block's values: kept when they already are
// the sheet's, else mapped exactly onto the shown row (onRow tells).
Result MapPaste(const CSpriteImage& picture, const CColorTable& table, std::int32_t row,
                std::vector<std::uint8_t>& block, bool& onRow)
{
    CSpriteImage mapped;
    MappingKind kind = MappingKind::Matched;
    onRow = false;
    if (picture.GetBitsPerPixel() == 8 &&
        MapToSheetColors(picture, table, kMapWholeTable, mapped, kind) &&
        kind == MappingKind::SameOrder)
    {
        block.assign(picture.GetPixels(), picture.GetPixels() + picture.GetPixelBytes());
        return {};
    }
    if (Result mappedOnRow = MapToSheetColors(picture, table, row, mapped, kind); !mappedOnRow)
        return WithMessage(mappedOnRow, Message::PasteFailed);
    onRow = true;
    block.assign(mapped.GetPixels(), mapped.GetPixels() + mapped.GetPixelBytes());
    return {};
}

std::vector<std::uint8_t> WholePicture(const CSpriteImage& image)
{
    return {image.GetPixels(), image.GetPixels() + image.GetPixelBytes()};
}

// The block's area as the picture holds it: the rectangle of the picture
// it covers, and where in the block that starts.
struct BlockOnPicture
{
    SheetRect onPicture;
    std::int32_t column = 0;
    std::int32_t row = 0;
};

BlockOnPicture PlaceOf(const FloatingBlock& block, const CSpriteImage& image)
{
    const SheetRect inside = ClipToPicture(block.area, image);
    return {inside, inside.x - block.area.x, inside.y - block.area.y};
}
} // namespace

Result CSpriteDocument::CanEditPixels() const
{
    if (!HasSheet() || m_sheet.source->GetBitsPerPixel() == 8)
        return {};
    return Failure(Reason::PictureNotEightBit, m_sheet.source->GetBitsPerPixel());
}

std::optional<PickedIndex> CSpriteDocument::PickIndex(SheetPoint at) const
{
    if (!HasSheet() || !CanEditPixels() || !Contains({0, 0, Width(), Height()}, at))
        return std::nullopt;
    const std::int32_t value =
        m_sheet.source->GetPixels()[std::size_t(at.y) * std::size_t(Width()) + std::size_t(at.x)];
    if (value < kPaletteRowSize)
        return PickedIndex{value, std::nullopt};
    return PickedIndex{value % kPaletteRowSize, value / kPaletteRowSize};
}

bool CSpriteDocument::UsesEntriesAboveRow() const
{
    const std::uint8_t* pixels = m_sheet.source->GetPixels();
    return std::any_of(pixels, pixels + m_sheet.source->GetPixelBytes(),
                       [](std::uint8_t value) { return value >= kPaletteRowSize; });
}

std::uint8_t CSpriteDocument::StoredValue(std::int32_t index, bool entriesAboveRow) const
{
    // Index 0 is the transparent one of every row.
    const auto inRow = std::uint8_t(std::clamp(index, 0, kPaletteRowSize - 1));
    if (!entriesAboveRow || inRow == kEmptyIndex)
        return inRow;
    return std::uint8_t(m_paletteRow * kPaletteRowSize + inRow);
}

void CSpriteDocument::AnnouncePixels(const SheetRect& area)
{
    if (area.IsEmpty())
        return;
    SheetChanges changes;
    changes.AddPixels(area);
    Announce(changes);
}

void CSpriteDocument::SettlePixels()
{
    EndStroke();
    PlaceFloating();
}

void CSpriteDocument::BeginStroke(EditKind kind)
{
    if (!HasSheet() || !CanEditPixels())
        return;
    SettlePixels();
    StrokeState stroke;
    stroke.kind = kind;
    stroke.before = WholePicture(*m_sheet.source);
    stroke.entriesAboveRow = UsesEntriesAboveRow();
    m_pixelEdits.stroke = std::move(stroke);
}

void CSpriteDocument::AddToStroke(const PixelRuns& runs, std::int32_t index)
{
    if (!InStroke())
        return;
    StrokeState& stroke = *m_pixelEdits.stroke;
    const SheetRect changed =
        PaintRuns(*m_sheet.source, runs, StoredValue(index, stroke.entriesAboveRow));
    stroke.touched = Union(stroke.touched, changed);
    AnnouncePixels(changed);
}

void CSpriteDocument::ReplaceStroke(const PixelRuns& runs, std::int32_t index)
{
    if (!InStroke())
        return;
    StrokeState& stroke = *m_pixelEdits.stroke;
    const SheetRect previous = stroke.preview;
    if (!previous.IsEmpty())
        PutArea(*m_sheet.source, previous, CopyArea(stroke.before, Width(), previous).data());
    stroke.preview = PaintRuns(*m_sheet.source, runs, StoredValue(index, stroke.entriesAboveRow));
    stroke.touched = Union(stroke.touched, stroke.preview);
    AnnouncePixels(Union(previous, stroke.preview));
}

void CSpriteDocument::FillInStroke(SheetPoint at, std::int32_t index)
{
    if (!InStroke())
        return;
    StrokeState& stroke = *m_pixelEdits.stroke;
    const SheetRect changed =
        FloodFill(*m_sheet.source, at, StoredValue(index, stroke.entriesAboveRow));
    stroke.touched = Union(stroke.touched, changed);
    AnnouncePixels(changed);
}

void CSpriteDocument::EndStroke()
{
    if (!InStroke())
        return;
    StrokeState stroke = std::move(*m_pixelEdits.stroke);
    m_pixelEdits.stroke.reset();
    // A pixel drawn over and then given back is no change.
    const SheetRect changed = ChangedSince(*m_sheet.source, stroke.before, stroke.touched);
    if (changed.IsEmpty())
        return;
    Record(stroke.kind,
           std::make_unique<CPixelsStep>(changed, CopyArea(stroke.before, Width(), changed)));
}

void CSpriteDocument::CancelStroke()
{
    if (!InStroke())
        return;
    const StrokeState stroke = std::move(*m_pixelEdits.stroke);
    m_pixelEdits.stroke.reset();
    if (stroke.touched.IsEmpty())
        return;
    PutArea(*m_sheet.source, stroke.touched,
            CopyArea(stroke.before, Width(), stroke.touched).data());
    AnnouncePixels(stroke.touched);
}

std::optional<SheetRect> CSpriteDocument::Selection() const
{
    if (IsFloating())
        return m_pixelEdits.floating->area;
    if (!m_pixelEdits.selection || !HasSheet())
        return std::nullopt;
    // A step of the history may have left a smaller picture.
    const SheetRect inside = ClipToPicture(*m_pixelEdits.selection, *m_sheet.source);
    return inside.IsEmpty() ? std::nullopt : std::optional(inside);
}

bool CSpriteDocument::IsFloatingPaste() const
{
    return IsFloating() && m_pixelEdits.floating->kind == EditKind::Paste;
}

void CSpriteDocument::Select(const SheetRect& area)
{
    if (!HasSheet() || !CanEditPixels())
        return;
    SettlePixels();
    const SheetRect inside = ClipToPicture(area, *m_sheet.source);
    const std::optional<SheetRect> chosen = inside.IsEmpty() ? std::nullopt : std::optional(inside);
    if (chosen == m_pixelEdits.selection)
        return;
    m_pixelEdits.selection = chosen;
    AnnounceSelection();
}

void CSpriteDocument::SelectAll()
{
    Select({0, 0, Width(), Height()});
}

void CSpriteDocument::Deselect()
{
    SettlePixels();
    if (!m_pixelEdits.selection)
        return;
    m_pixelEdits.selection.reset();
    AnnounceSelection();
}

void CSpriteDocument::LiftSelection()
{
    EndStroke();
    const SheetRect area = *Selection();
    FloatingBlock block;
    block.kind = EditKind::Move;
    block.pixels = CopyArea(*m_sheet.source, area);
    block.area = area;
    block.origin = area;
    block.before = WholePicture(*m_sheet.source);
    block.under = block.before;
    for (std::int32_t y = area.y; y < area.y + area.height; ++y)
        std::fill_n(block.under.begin() + std::ptrdiff_t(y) * Width() + area.x, area.width,
                    kEmptyIndex);
    block.selectionBefore = area;
    m_pixelEdits.floating = std::move(block);
    m_pixelEdits.selection.reset();
    StampFloating(area);
    AnnounceState();
}

void CSpriteDocument::StampFloating(const SheetRect& previous)
{
    CSpriteImage& image = *m_sheet.source;
    const FloatingBlock& block = *m_pixelEdits.floating;
    const SheetRect given = ClipToPicture(previous, image);
    if (!given.IsEmpty())
        PutArea(image, given, CopyArea(block.under, Width(), given).data());
    const BlockOnPicture place = PlaceOf(block, image);
    const bool seeThrough = m_pixelEdits.zero == ZeroInPaste::Transparent;
    for (std::int32_t row = 0; row < place.onPicture.height; ++row)
    {
        const std::uint8_t* from = block.pixels.data() +
                                   std::size_t(place.row + row) * std::size_t(block.area.width) +
                                   std::size_t(place.column);
        std::uint8_t* to = image.GetPixels() +
                           std::size_t(place.onPicture.y + row) * std::size_t(Width()) +
                           std::size_t(place.onPicture.x);
        for (std::int32_t i = 0; i < place.onPicture.width; ++i)
            if (!seeThrough || from[i] != kEmptyIndex)
                to[i] = from[i];
    }
    AnnouncePixels(Union(given, place.onPicture));
}

void CSpriteDocument::MoveSelection(std::int32_t dx, std::int32_t dy)
{
    if (!HasSheet() || (dx == 0 && dy == 0))
        return;
    if (!IsFloating())
    {
        if (!Selection())
            return;
        LiftSelection();
    }
    FloatingBlock& block = *m_pixelEdits.floating;
    const SheetRect previous = block.area;
    block.area.x += dx;
    block.area.y += dy;
    StampFloating(previous);
    AnnounceSelection();
}

bool CSpriteDocument::PlaceFloating()
{
    if (!IsFloating())
        return false;
    const FloatingBlock block = std::move(*m_pixelEdits.floating);
    m_pixelEdits.floating.reset();
    const SheetRect inside = ClipToPicture(block.area, *m_sheet.source);
    m_pixelEdits.selection = inside.IsEmpty() ? std::nullopt : std::optional(inside);
    const SheetRect changed =
        ChangedSince(*m_sheet.source, block.before, Union(block.origin, inside));
    if (changed.IsEmpty())
        AnnounceState();
    else
        Record(block.kind,
               std::make_unique<CPixelsStep>(changed, CopyArea(block.before, Width(), changed)));
    AnnounceSelection();
    return true;
}

bool CSpriteDocument::EndPasteOrSelection()
{
    if (IsFloatingPaste())
    {
        const FloatingBlock block = std::move(*m_pixelEdits.floating);
        m_pixelEdits.floating.reset();
        const SheetRect inside = ClipToPicture(block.area, *m_sheet.source);
        if (!inside.IsEmpty())
            PutArea(*m_sheet.source, inside, CopyArea(block.before, Width(), inside).data());
        AnnouncePixels(inside);
        m_pixelEdits.selection = block.selectionBefore;
        AnnounceState();
        AnnounceSelection();
        return true;
    }
    if (!IsFloating() && !m_pixelEdits.selection)
        return false;
    Deselect();
    return true;
}

void CSpriteDocument::FlipSelection(bool horizontal)
{
    const std::optional<SheetRect> area = Selection();
    if (!area)
        return;
    if (IsFloating())
    {
        FloatingBlock& block = *m_pixelEdits.floating;
        FlipBlock(block.pixels, block.area.width, block.area.height, horizontal);
        StampFloating(block.area);
        return;
    }
    std::vector<std::uint8_t> pixels = CopyArea(*m_sheet.source, *area);
    const std::vector<std::uint8_t> unflipped = pixels;
    FlipBlock(pixels, area->width, area->height, horizontal);
    if (pixels != unflipped)
        Apply(horizontal ? EditKind::FlipHorizontal : EditKind::FlipVertical,
              std::make_unique<CPixelsStep>(*area, std::move(pixels)));
}

void CSpriteDocument::DeleteSelection()
{
    EmptySelection(EditKind::Delete);
}

void CSpriteDocument::EmptySelection(EditKind kind)
{
    const std::optional<SheetRect> area = Selection();
    if (!area)
        return;
    if (IsFloating())
    {
        // What was under the block shows again: a paste leaves no trace, a
        // moved block leaves its origin empty.
        FloatingBlock& block = *m_pixelEdits.floating;
        const SheetRect inside = ClipToPicture(block.area, *m_sheet.source);
        if (!inside.IsEmpty())
            PutArea(*m_sheet.source, inside, CopyArea(block.under, Width(), inside).data());
        AnnouncePixels(inside);
        block.kind = kind;
        PlaceFloating();
        return;
    }
    std::vector<std::uint8_t> pixels = CopyArea(*m_sheet.source, *area);
    if (std::all_of(pixels.begin(), pixels.end(), [](std::uint8_t v) { return v == kEmptyIndex; }))
        return;
    std::fill(pixels.begin(), pixels.end(), kEmptyIndex);
    Apply(kind, std::make_unique<CPixelsStep>(*area, std::move(pixels)));
}

Result CSpriteDocument::CopySelection(std::vector<std::uint8_t>& png) const
{
    png.clear();
    const std::optional<SheetRect> area = Selection();
    if (!area)
        return {};
    CSpriteImage block;
    if (!block.Create(area->width, area->height, 8))
        return Failure(Reason::OutOfMemory);
    const std::vector<std::uint8_t> pixels =
        IsFloating() ? m_pixelEdits.floating->pixels : CopyArea(*m_sheet.source, *area);
    std::copy(pixels.begin(), pixels.end(), block.GetPixels());
    block.m_colorTable = m_sheet.source->m_colorTable;
    return EncodePng(block, PngWriteOptions{}, png);
}

Result CSpriteDocument::CutSelection(std::vector<std::uint8_t>& png)
{
    if (Result copied = CopySelection(png); !copied)
        return copied;
    EmptySelection(EditKind::Cut);
    return {};
}

Result CSpriteDocument::PastePicture(const CSpriteImage& picture, SheetPoint at)
{
    if (!HasSheet())
        return {};
    if (Result editable = CanEditPixels(); !editable)
        return WithMessage(editable, Message::PasteFailed);
    FloatingBlock block;
    block.kind = EditKind::Paste;
    bool onRow = false;
    if (Result mapped =
            MapPaste(picture, m_sheet.source->m_colorTable, m_paletteRow, block.pixels, onRow);
        !mapped)
        return mapped;
    SettlePixels();
    // Indices of the shown row are drawn as the tools draw them.
    if (onRow && UsesEntriesAboveRow())
        for (std::uint8_t& value : block.pixels)
            value = StoredValue(value, true);
    block.area = {at.x, at.y, picture.GetWidth(), picture.GetHeight()};
    block.before = WholePicture(*m_sheet.source);
    block.under = block.before;
    block.selectionBefore = m_pixelEdits.selection;
    m_pixelEdits.floating = std::move(block);
    m_pixelEdits.selection.reset();
    StampFloating({});
    AnnounceState();
    AnnounceSelection();
    return {};
}

Result CSpriteDocument::PastePng(const std::uint8_t* data, std::size_t size, SheetPoint at)
{
    if (!HasSheet())
        return {};
    CSpriteImage picture;
    if (Result decoded = DecodePng(data, size, picture); !decoded)
        return WithMessage(decoded, Message::PasteFailed);
    return PastePicture(picture, at);
}

Result CSpriteDocument::PasteFile(const std::string& path, std::int32_t x, std::int32_t y)
{
    if (!HasSheet())
        return {};
    CSpriteImage picture;
    if (Result loaded = ReadPictureFile(path, picture); !loaded)
        return loaded;
    if (Result pasted = PastePicture(picture, {x, y}); !pasted)
        return pasted;
    PlaceFloating();
    return {};
}

void CSpriteDocument::SetZeroInPaste(ZeroInPaste zero)
{
    m_pixelEdits.zero = zero;
    if (IsFloating())
        StampFloating(m_pixelEdits.floating->area);
}
