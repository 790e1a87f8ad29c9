// SPDX-License-Identifier: GPL-3.0-or-later
// The document's side of the desktop's round trips: files handed over by the
// desktop, a read again from disk, and a sheet edited in another program.

#include "document/SpriteDocument.h"

#include "formats/ColorMapping.h"
#include "formats/PngFile.h"
#include "image/SpriteImage.h"

#include <algorithm>
#include <filesystem>

namespace
{
bool SamePixels(const CSpriteImage& a, const CSpriteImage& b)
{
    return a.GetWidth() == b.GetWidth() && a.GetHeight() == b.GetHeight() &&
           a.GetBitsPerPixel() == b.GetBitsPerPixel() &&
           std::equal(a.GetPixels(), a.GetPixels() + a.GetPixelBytes(), b.GetPixels());
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

Result CSpriteDocument::Revert(SheetReadRule rule)
{
    if (!HasSheet() || m_sourcePath.empty())
        return {};
    const Message failed =
        m_layout == SpriteLayout::Spr ? Message::LoadSprFailed : Message::LoadSp2Failed;
    if (rule == SheetReadRule::WholeSheet)
    {
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(m_sourcePath, error);
        const std::int64_t whole = m_layout == SpriteLayout::Spr ? kSprSheetBytes : kSp2SheetBytes;
        if (error || size < std::uintmax_t(whole))
            return WithMessage(Failure(Reason::EndedEarly, error ? 0 : std::int64_t(size), whole),
                               failed);
    }
    auto image = std::make_unique<CSpriteImage>();
    if (Result loaded = ReadSheetAs(m_sourcePath, m_layout, *image); !loaded)
        return loaded;
    CTrailingBlock trailing;
    if (m_layout == SpriteLayout::Spr)
        if (Result read = ReadTrailingBlockFile(m_sourcePath, trailing); !read)
            return read;
    const std::int32_t row = m_paletteRow;
    Install(std::move(image));
    ChoosePaletteRow(row);
    m_trailing = std::move(trailing);
    m_modified = false;
    return {};
}

OutsideChange CSpriteDocument::DecideOutsideChange() const
{
    return m_modified ? OutsideChange::Ask : OutsideChange::Reload;
}

Result CSpriteDocument::WriteForEditing(const std::string& path) const
{
    if (!HasSheet())
        return {};
    if (Result saved = SavePngFile(*m_source, path.c_str(), PngWriteOptions{}); !saved)
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
            MapToSheetColors(picture, m_source->m_colorTable, kMapWholeTable, *mapped, kind);
        !matched)
        return WithMessage(matched, Message::EditedColorsUnmapped);
    if (SamePixels(*mapped, *m_source))
        return {};
    const std::int32_t row = m_paletteRow;
    Install(std::move(mapped));
    ChoosePaletteRow(row);
    m_modified = true;
    return {};
}
