// SPDX-License-Identifier: GPL-3.0-or-later
// The document's side of the desktop's round trips: files handed over by the
// desktop, a read again from disk, and a sheet edited in another program.

#include "document/SpriteDocument.h"

#include "formats/ColorMapping.h"
#include "formats/PngFile.h"
#include "image/SpriteImage.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace
{
bool SameShape(const CSpriteImage& a, const CSpriteImage& b)
{
    return a.GetWidth() == b.GetWidth() && a.GetHeight() == b.GetHeight() &&
           a.GetBitsPerPixel() == b.GetBitsPerPixel() &&
           a.m_colorTable.GetSize() == b.m_colorTable.GetSize() &&
           std::equal(a.m_colorTable.GetAt(0), a.m_colorTable.GetAt(0) + a.m_colorTable.GetSize(),
                      b.m_colorTable.GetAt(0),
                      [](const ColorEntry& x, const ColorEntry& y)
                      { return std::memcmp(&x, &y, sizeof x) == 0; });
}

// The smallest rectangle holding every pixel that differs; empty for none.
SheetRect ChangedArea(const CSpriteImage& a, const CSpriteImage& b)
{
    const std::int32_t pixelBytes = a.GetBitsPerPixel() / 8;
    const std::size_t rowBytes = std::size_t(a.GetWidth()) * std::size_t(pixelBytes);
    SheetRect changed;
    for (std::int32_t y = 0; y < a.GetHeight(); ++y)
    {
        const std::uint8_t* rowA = a.GetPixels() + std::size_t(y) * rowBytes;
        const std::uint8_t* rowB = b.GetPixels() + std::size_t(y) * rowBytes;
        const auto first = std::mismatch(rowA, rowA + rowBytes, rowB).first;
        if (first == rowA + rowBytes)
            continue;
        std::size_t last = rowBytes;
        while (rowA[last - 1] == rowB[last - 1])
            --last;
        const auto left = std::int32_t(std::size_t(first - rowA) / std::size_t(pixelBytes));
        const auto right = std::int32_t((last - 1) / std::size_t(pixelBytes));
        changed = Union(changed, {left, y, right - left + 1, 1});
    }
    return changed;
}
} // namespace

bool CSpriteDocument::IsPicturePath(const std::string& path)
{
    return KindOf(FormatToOpen(path)) == FormatKind::Picture;
}

OpenOutcome CSpriteDocument::OpenPath(const std::string& path)
{
    if (IsPicturePath(path))
        return {ImportAsNew(path, SpriteLayout::Spr, CTrailingBlock())};
    return Open(path);
}

Result CSpriteDocument::Revert()
{
    return ReadAgain(EditKind::Revert);
}

Result CSpriteDocument::Reload()
{
    return ReadAgain(EditKind::Reload);
}

Result CSpriteDocument::ReadAgain(EditKind kind)
{
    if (!HasSheet() || m_sourcePath.empty())
        return {};
    const SpriteLayout layout = m_sheet.layout;
    const Message failed =
        layout == SpriteLayout::Spr ? Message::LoadSprFailed : Message::LoadSp2Failed;
    if (kind == EditKind::Reload)
    {
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(m_sourcePath, error);
        const std::int64_t whole = layout == SpriteLayout::Spr ? kSprSheetBytes : kSp2SheetBytes;
        if (error || size < std::uintmax_t(whole))
            return WithMessage(Failure(Reason::EndedEarly, error ? 0 : std::int64_t(size), whole),
                               failed);
    }
    auto image = std::make_unique<CSpriteImage>();
    if (Result loaded = ReadSheetAs(m_sourcePath, layout, *image); !loaded)
        return loaded;
    CTrailingBlock trailing;
    if (layout == SpriteLayout::Spr)
        if (Result read = ReadTrailingBlockFile(m_sourcePath, trailing); !read)
            return read;
    Apply(kind, std::make_unique<CSheetStep>(std::move(image), std::move(trailing)));
    m_history.MarkClean();
    AnnounceState();
    return {};
}

OutsideChange CSpriteDocument::DecideOutsideChange() const
{
    return IsModified() ? OutsideChange::Ask : OutsideChange::Reload;
}

Result CSpriteDocument::WriteForEditing(const std::string& path) const
{
    if (!HasSheet())
        return {};
    if (Result saved = SavePngFile(*m_sheet.source, path.c_str(), PngWriteOptions{}); !saved)
        return WithMessage(saved, Message::ExportPngFailed);
    return {};
}

Result CSpriteDocument::BringBackEdited(const std::string& path)
{
    if (!HasSheet())
        return {};
    CSpriteImage picture;
    if (Result loaded = LoadPngFile(path.c_str(), picture); !loaded)
        return WithMessage(loaded, Message::LoadPngFailed);
    auto mapped = std::make_unique<CSpriteImage>();
    MappingKind kind = MappingKind::SameOrder;
    if (Result matched =
            MapToSheetColors(picture, m_sheet.source->m_colorTable, kMapWholeTable, *mapped, kind);
        !matched)
        return WithMessage(matched, Message::EditedColorsUnmapped);
    // An editor keeps the picture's size and the sheet's table: the step
    // holds only the pixels it changed.
    const CSpriteImage& sheet = *m_sheet.source;
    if (!SameShape(*mapped, sheet))
    {
        Apply(EditKind::EditExternally, std::make_unique<CSheetStep>(std::move(mapped)));
        return {};
    }
    const SheetRect changed = ChangedArea(*mapped, sheet);
    if (!changed.IsEmpty())
        Apply(EditKind::EditExternally, CPixelsStep::Capture(*mapped, changed));
    return {};
}
