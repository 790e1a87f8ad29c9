// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/FileKind.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace
{

struct KindName
{
    FileKind kind;
    const char* extension;
    const char* displayName;
};

constexpr KindName kKindNames[] = {
    {FileKind::Bmp, "bmp", "BMP"},      {FileKind::Spr, "spr", "SPR"},
    {FileKind::Sp2, "sp2", "SP2"},      {FileKind::Png, "png", "PNG"},
    {FileKind::Pal, "pal", "JASC-PAL"}, {FileKind::Gpl, "gpl", "GIMP"},
    {FileKind::Act, "act", "ACT"},
};

std::string Lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

const KindName& NameOf(FileKind kind)
{
    return *std::find_if(std::begin(kKindNames), std::end(kKindNames),
                         [kind](const KindName& name) { return name.kind == kind; });
}

} // namespace

std::string ExtensionOfPath(const std::string& path)
{
    const std::string name = path.substr(path.find_last_of('/') + 1);
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

FileKind KindOfPath(const std::string& path)
{
    const std::optional<FileKind> named = KindFromName(ExtensionOfPath(path));
    return named ? *named : FileKind::Spr;
}

std::optional<FileKind> KindFromName(const std::string& name)
{
    const std::string lowered = Lowered(name);
    for (const KindName& known : kKindNames)
        if (lowered == known.extension)
            return known.kind;
    return std::nullopt;
}

const char* ExtensionOf(FileKind kind)
{
    return NameOf(kind).extension;
}

const char* DisplayNameOf(FileKind kind)
{
    return NameOf(kind).displayName;
}

bool IsPictureKind(FileKind kind)
{
    return kind == FileKind::Bmp || kind == FileKind::Png;
}

bool IsPaletteKind(FileKind kind)
{
    return kind == FileKind::Pal || kind == FileKind::Gpl || kind == FileKind::Act;
}

SpriteLayout LayoutOf(FileKind spriteKind)
{
    return spriteKind == FileKind::Sp2 ? SpriteLayout::Sp2 : SpriteLayout::Spr;
}

PictureFormat PictureFormatOf(FileKind pictureKind)
{
    return pictureKind == FileKind::Png ? PictureFormat::Png : PictureFormat::Bmp;
}

PaletteFormat PaletteFormatOf(FileKind paletteKind)
{
    switch (paletteKind)
    {
    case FileKind::Gpl:
        return PaletteFormat::Gimp;
    case FileKind::Act:
        return PaletteFormat::Act;
    default:
        return PaletteFormat::Jasc;
    }
}
