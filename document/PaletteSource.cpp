// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/PaletteSource.h"

#include "document/DocumentFiles.h"
#include "formats/FileFormats.h"
#include "formats/SpriteFile.h"
#include "image/SpriteImage.h"

#include <algorithm>

PaletteFormat PaletteFormatForName(const std::string& path)
{
    const std::optional<FileFormat> named = FormatOfName(path);
    return named && KindOf(*named) == FormatKind::Palette ? FormatInfo(*named).palette
                                                          : PaletteFormat::Jasc;
}

Result LoadPalette(const std::string& path, PaletteContent& palette)
{
    // Palette files of some formats are told by their size alone: only a
    // file whose content says otherwise is refused here.
    const std::optional<FileFormat> found = RecogniseContent(path.c_str());
    if (found && KindOf(*found) != FormatKind::Palette)
        return WithMessage(
            RefuseFormat(*found, "Load Palette reads " + FormatNames({FormatKind::Palette})),
            Message::LoadPaletteFailed);
    if (Result loaded = LoadPaletteFile(path.c_str(), palette); !loaded)
        return WithMessage(loaded, Message::LoadPaletteFailed);
    return {};
}

Result LoadPaletteColors(const std::string& path, std::vector<ColorEntry>& colors)
{
    PaletteContent palette;
    if (Result loaded = LoadPalette(path, palette); !loaded)
        return loaded;
    colors = std::move(palette.colors);
    return {};
}

Result LoadColorTable(const std::string& path, std::optional<std::int32_t> row, CColorTable& table)
{
    const FileFormat format = FormatToOpen(path);
    if (KindOf(format) == FormatKind::Palette)
    {
        std::vector<ColorEntry> colors;
        if (Result loaded = LoadPaletteColors(path, colors); !loaded)
            return loaded;
        const bool oneRow = row && std::int32_t(colors.size()) <= kPaletteRowSize;
        const std::int32_t first = oneRow ? *row * kPaletteRowSize : 0;
        if (!table.SetSize(oneRow ? kSprColorCount : std::int32_t(colors.size())))
            return Failure(Reason::OutOfMemory);
        for (std::size_t i = 0; i < colors.size(); ++i)
            table.SetAt(first + std::int32_t(i), colors[i]);
        return {};
    }
    CSpriteImage sheet;
    SpriteLayout layout = SpriteLayout::Spr;
    if (Result loaded = ReadSheetFile(path, sheet, layout); !loaded)
        return loaded;
    table = sheet.m_colorTable;
    return {};
}

Result ConvertPaletteFile(const std::string& input, const std::string& output, PaletteFormat format,
                          std::optional<std::int32_t> row, CReplaceBatch* batch)
{
    CColorTable table;
    if (Result loaded = LoadColorTable(input, std::nullopt, table); !loaded)
        return loaded;
    if (Result saved = SavePaletteFile(ColorsOf(table, row), format, output.c_str(), batch); !saved)
        return WithMessage(saved, Message::SavePaletteFailed);
    return {};
}

std::vector<ColorEntry> ColorsOf(const CColorTable& table, std::optional<std::int32_t> row)
{
    const std::int32_t first = row ? *row * kPaletteRowSize : 0;
    const std::int32_t end =
        std::min(table.GetSize(), row ? first + kPaletteRowSize : table.GetSize());
    std::vector<ColorEntry> colors;
    for (std::int32_t i = first; i < end; ++i)
        colors.push_back(*table.GetAt(i));
    return colors;
}
