// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/FileFormats.h"

#include "formats/BmpCheck.h"
#include "formats/BmpFile.h"
#include "formats/FileFailure.h"
#include "formats/PaletteRow.h"
#include "formats/PngFile.h"
#include "image/SpriteImage.h"
#include "io/BinaryFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iterator>
#include <vector>

namespace
{

Result ReadSpr(CBinaryFile& file, CSpriteImage& image, ImportOutcome*)
{
    return ReadSpriteSheet(file, SpriteLayout::Spr, image);
}

Result ReadSp2(CBinaryFile& file, CSpriteImage& image, ImportOutcome*)
{
    return ReadSpriteSheet(file, SpriteLayout::Sp2, image);
}

Result ReadBmp(CBinaryFile& file, CSpriteImage& image, ImportOutcome* outcome)
{
    return ReadBmpPicture(file, image, outcome);
}

// A palette row is written as the view shows it: its 16 colours in entries 0 to 15.
Result WriteBmp(const CSpriteImage& image, const char* path, std::int32_t paletteRow, bool,
                CReplaceBatch* batch)
{
    if (paletteRow < 0)
        return SaveBmpPicture(image, path, batch);
    CSpriteImage shown;
    shown = image;
    ApplyPaletteRow(image, shown, paletteRow);
    return SaveBmpPicture(shown, path, batch);
}

Result WritePng(const CSpriteImage& image, const char* path, std::int32_t paletteRow,
                bool transparentIndexZero, CReplaceBatch* batch)
{
    const PngWriteOptions options{paletteRow < 0 ? kPngWholeTable : paletteRow,
                                  transparentIndexZero};
    return SavePngFile(image, path, options, batch);
}

bool IsBmp(std::span<const std::uint8_t> head)
{
    return HasBmpSignature(head.data(), head.size());
}

bool IsPng(std::span<const std::uint8_t> head)
{
    return HasPngSignature(head.data(), head.size());
}

template <PaletteFormat kFormat>
bool IsPalette(std::span<const std::uint8_t> head)
{
    return PaletteSignatureOf(head.data(), head.size()) == kFormat;
}

bool IsJpeg(std::span<const std::uint8_t> head)
{
    return head.size() >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
}

bool IsGif(std::span<const std::uint8_t> head)
{
    const std::string_view text(reinterpret_cast<const char*>(head.data()), head.size());
    return text.starts_with("GIF87a") || text.starts_with("GIF89a");
}

// Two bytes of byte order and the number 42, then where the first image
// directory lies, which is past those eight bytes.
bool IsTiff(std::span<const std::uint8_t> head)
{
    if (head.size() < 8)
        return false;
    const bool little = std::equal(head.begin(), head.begin() + 4, "II*\0");
    const bool big = std::equal(head.begin(), head.begin() + 4, "MM\0*");
    std::uint32_t at = 0;
    for (int i = 0; i < 4; ++i)
        at |= std::uint32_t(head[4 + i]) << (little ? 8 * i : 24 - 8 * i);
    return (little || big) && at >= 8;
}

bool IsWebP(std::span<const std::uint8_t> head)
{
    return head.size() >= 12 && std::equal(head.begin(), head.begin() + 4, "RIFF") &&
           std::equal(head.begin() + 8, head.begin() + 12, "WEBP");
}

using F = FileFormat;
using K = FormatKind;
using C = ChooserUse;

// The order is that of --to's list and of each chooser's entries.
constexpr FileFormatInfo kFormats[] = {
    {.format = F::Bmp,
     .kind = K::Picture,
     .name = "BMP",
     .description = "a BMP picture",
     .extension = "bmp",
     .signature = IsBmp,
     .read = ReadBmp,
     .readHeader = ReadBmpHeader,
     .write = WriteBmp,
     .chooser = C::Pictures,
     .chooserLabel = "BMP Files",
     .converterTarget = true},
    {.format = F::Png,
     .kind = K::Picture,
     .name = "PNG",
     .description = "a PNG picture",
     .extension = "png",
     .signature = IsPng,
     .read = ReadPng,
     .readHeader = ReadPngHeader,
     .write = WritePng,
     .chooser = C::Pictures,
     .chooserLabel = "PNG Files",
     .converterTarget = true},
    {.format = F::Spr,
     .kind = K::Sheet,
     .name = "SPR",
     .description = "an SPR sheet",
     .extension = "spr",
     .read = ReadSpr,
     .layout = SpriteLayout::Spr,
     .chooser = C::Sheets,
     .chooserLabel = "Orvo Sprite Files",
     .converterTarget = true},
    {.format = F::Sp2,
     .kind = K::Sheet,
     .name = "SP2",
     .description = "an SP2 sheet",
     .extension = "sp2",
     .read = ReadSp2,
     .layout = SpriteLayout::Sp2,
     .chooser = C::Sheets,
     .chooserLabel = "Orvo Sprite Files",
     .converterTarget = true},
    {.format = F::Jasc,
     .kind = K::Palette,
     .name = "JASC-PAL",
     .description = "a JASC-PAL palette file",
     .extension = "pal",
     .signature = IsPalette<PaletteFormat::Jasc>,
     .palette = PaletteFormat::Jasc,
     .chooser = C::Palettes,
     .chooserLabel = "JASC Palette",
     .converterTarget = true},
    {.format = F::Gimp,
     .kind = K::Palette,
     .name = "GIMP",
     .description = "a GIMP palette file",
     .extension = "gpl",
     .signature = IsPalette<PaletteFormat::Gimp>,
     .palette = PaletteFormat::Gimp,
     .chooser = C::Palettes,
     .chooserLabel = "GIMP Palette",
     .converterTarget = true},
    {.format = F::Act,
     .kind = K::Palette,
     .name = "ACT",
     .description = "an Adobe Color Table",
     .extension = "act",
     .palette = PaletteFormat::Act,
     .chooser = C::Palettes,
     .chooserLabel = "Adobe Color Table",
     .converterTarget = true},
    {.format = F::Riff,
     .kind = K::Palette,
     .name = "RIFF PAL",
     .description = "a RIFF PAL palette file",
     .signature = IsPalette<PaletteFormat::Riff>,
     .palette = PaletteFormat::Riff},
    {.format = F::ColorWords,
     .kind = K::Palette,
     .name = "colour words",
     .description = "a file of colour words",
     .palette = PaletteFormat::ColorWords},
    {.format = F::Jpeg,
     .kind = K::Foreign,
     .name = "JPEG",
     .description = "a JPEG picture",
     .extension = "jpg",
     .otherExtension = "jpeg",
     .signature = IsJpeg},
    {.format = F::Gif,
     .kind = K::Foreign,
     .name = "GIF",
     .description = "a GIF picture",
     .extension = "gif",
     .signature = IsGif},
    {.format = F::Tiff,
     .kind = K::Foreign,
     .name = "TIFF",
     .description = "a TIFF picture",
     .extension = "tif",
     .otherExtension = "tiff",
     .signature = IsTiff},
    {.format = F::WebP,
     .kind = K::Foreign,
     .name = "WebP",
     .description = "a WebP picture",
     .extension = "webp",
     .signature = IsWebP},
    // TGA has no signature at its start: it is told by its name alone.
    {.format = F::Tga,
     .kind = K::Foreign,
     .name = "TGA",
     .description = "a TGA picture",
     .extension = "tga"},
};

// Only ASCII letters have a case: a byte of a UTF-8 name stays as it is.
char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringAsciiCase(std::string_view text, std::string_view lowerCase)
{
    return std::equal(text.begin(), text.end(), lowerCase.begin(), lowerCase.end(),
                      [](char a, char b) { return AsciiLower(a) == b; });
}

} // namespace

std::span<const FileFormatInfo> AllFormats()
{
    return kFormats;
}

const FileFormatInfo& FormatInfo(FileFormat format)
{
    return *std::find_if(std::begin(kFormats), std::end(kFormats),
                         [format](const FileFormatInfo& info) { return info.format == format; });
}

FormatKind KindOf(FileFormat format)
{
    return FormatInfo(format).kind;
}

FileFormat FormatOfPalette(PaletteFormat palette)
{
    return std::find_if(std::begin(kFormats), std::end(kFormats),
                        [palette](const FileFormatInfo& info)
                        { return info.kind == FormatKind::Palette && info.palette == palette; })
        ->format;
}

std::string_view ExtensionOfPath(std::string_view path)
{
    const std::string_view name = path.substr(path.find_last_of('/') + 1);
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

std::string FileNameWithExtension(std::string_view path, std::string_view extension)
{
    std::string_view name = path.substr(path.find_last_of('/') + 1);
    const std::string_view old = ExtensionOfPath(path);
    if (!old.empty() || name.ends_with('.'))
        name.remove_suffix(old.size() + 1);
    return std::string(name) + "." + std::string(extension);
}

std::optional<FileFormat> FormatOfExtension(std::string_view extension)
{
    for (const FileFormatInfo& info : kFormats)
        for (const char* spelling : {info.extension, info.otherExtension})
            if (spelling && EqualsIgnoringAsciiCase(extension, spelling))
                return info.format;
    return std::nullopt;
}

std::optional<FileFormat> TargetFormatNamed(std::string_view extension)
{
    const std::optional<FileFormat> named = FormatOfExtension(extension);
    if (named && FormatInfo(*named).converterTarget)
        return named;
    return std::nullopt;
}

std::optional<FileFormat> FormatOfName(std::string_view path)
{
    return FormatOfExtension(ExtensionOfPath(path));
}

std::optional<FileFormat> FormatOfContent(std::span<const std::uint8_t> head)
{
    for (const FileFormatInfo& info : kFormats)
        if (info.signature && info.signature(head))
            return info.format;
    return std::nullopt;
}

Result OpenRecognised(const char* path, CBinaryFile& file, std::optional<FileFormat>& format)
{
    format = path ? FormatOfName(path) : std::nullopt;
    if (Result opened = OpenToRead(file, path); !opened)
        return opened;
    std::uint8_t head[kFormatHeadBytes];
    const std::size_t headBytes = file.PeekStart(head, sizeof head);
    if (const std::optional<FileFormat> content = FormatOfContent({head, headBytes}))
        format = content;
    return {};
}

std::optional<FileFormat> RecogniseFile(const char* path)
{
    CBinaryFile file;
    std::optional<FileFormat> format;
    OpenRecognised(path, file, format);
    return format;
}

std::optional<FileFormat> RecogniseContent(const char* path)
{
    CBinaryFile file;
    if (!OpenToRead(file, path))
        return std::nullopt;
    std::uint8_t head[kFormatHeadBytes];
    return FormatOfContent({head, file.ReadRaw(head, sizeof head)});
}

std::string FormatNames(std::initializer_list<FormatKind> kinds)
{
    std::vector<const char*> names;
    for (const FormatKind kind : kinds)
        for (const FileFormatInfo& info : kFormats)
            if (info.kind == kind)
                names.push_back(info.name);
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + std::string(names[i]);
    return text;
}

Result RefuseFormat(FileFormat found, const std::string& whatIsRead)
{
    Result refused = Failure(Reason::WrongKindOfFile);
    refused.detail = std::string(FormatInfo(found).description) + ": " + whatIsRead;
    return refused;
}
