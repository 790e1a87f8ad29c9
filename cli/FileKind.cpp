#include "cli/FileKind.h"

#include <algorithm>
#include <cctype>

namespace
{

std::string Lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
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
    if (Lowered(ExtensionOfPath(path)) == "bmp")
        return FileKind::Bmp;
    return ChooseSpriteLayout(path.c_str()) == SpriteLayout::Sp2 ? FileKind::Sp2 : FileKind::Spr;
}

std::optional<FileKind> KindFromName(const std::string& name)
{
    const std::string lowered = Lowered(name);
    if (lowered == "bmp")
        return FileKind::Bmp;
    if (lowered == "spr")
        return FileKind::Spr;
    if (lowered == "sp2")
        return FileKind::Sp2;
    return std::nullopt;
}

const char* ExtensionOf(FileKind kind)
{
    switch (kind)
    {
    case FileKind::Bmp:
        return "bmp";
    case FileKind::Spr:
        return "spr";
    case FileKind::Sp2:
        return "sp2";
    }
    return "";
}

const char* DisplayNameOf(FileKind kind)
{
    switch (kind)
    {
    case FileKind::Bmp:
        return "BMP";
    case FileKind::Spr:
        return "SPR";
    case FileKind::Sp2:
        return "SP2";
    }
    return "";
}

SpriteLayout LayoutOf(FileKind spriteKind)
{
    return spriteKind == FileKind::Sp2 ? SpriteLayout::Sp2 : SpriteLayout::Spr;
}
