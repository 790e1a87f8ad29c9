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

using F = FileFormat;
using K = FormatKind;
using C = ChooserUse;
constexpr auto kNoLayout = SpriteLayout::Spr;
constexpr auto kNoPalette = PaletteFormat::Jasc;

// The order is that of --to's list and of each chooser's entries.
constexpr FileFormatInfo kFormats[] = {
    {F::Bmp, K::Picture, "BMP", "a BMP picture", "bmp", IsBmp, ReadBmp, WriteBmp, kNoLayout,
     kNoPalette, C::Pictures, "BMP Files", true},
    {F::Png, K::Picture, "PNG", "a PNG picture", "png", IsPng, ReadPng, WritePng, kNoLayout,
     kNoPalette, C::Pictures, "PNG Files", true},
    {F::Spr, K::Sheet, "SPR", "an SPR sheet", "spr", nullptr, ReadSpr, nullptr, SpriteLayout::Spr,
     kNoPalette, C::Sheets, "Orvo Sprite Files", true},
    {F::Sp2, K::Sheet, "SP2", "an SP2 sheet", "sp2", nullptr, ReadSp2, nullptr, SpriteLayout::Sp2,
     kNoPalette, C::Sheets, "Orvo Sprite Files", true},
    {F::Jasc, K::Palette, "JASC-PAL", "a JASC-PAL palette file", "pal",
     IsPalette<PaletteFormat::Jasc>, nullptr, nullptr, kNoLayout, PaletteFormat::Jasc, C::Palettes,
     "JASC Palette", true},
    {F::Gimp, K::Palette, "GIMP", "a GIMP palette file", "gpl", IsPalette<PaletteFormat::Gimp>,
     nullptr, nullptr, kNoLayout, PaletteFormat::Gimp, C::Palettes, "GIMP Palette", true},
    {F::Act, K::Palette, "ACT", "an Adobe Color Table", "act", nullptr, nullptr, nullptr, kNoLayout,
     PaletteFormat::Act, C::Palettes, "Adobe Color Table", true},
    {F::Riff, K::Palette, "RIFF PAL", "a RIFF PAL palette file", nullptr,
     IsPalette<PaletteFormat::Riff>, nullptr, nullptr, kNoLayout, PaletteFormat::Riff, C::None,
     nullptr, false},
    {F::ColorWords, K::Palette, "colour words", "a file of colour words", nullptr, nullptr, nullptr,
     nullptr, kNoLayout, PaletteFormat::ColorWords, C::None, nullptr, false},
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

std::optional<FileFormat> FormatOfExtension(std::string_view extension)
{
    for (const FileFormatInfo& info : kFormats)
        if (info.extension && EqualsIgnoringAsciiCase(extension, info.extension))
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
    const std::size_t headBytes = file.ReadRaw(head, sizeof head);
    if (const std::optional<FileFormat> content = FormatOfContent({head, headBytes}))
        format = content;
    errno = 0;
    if (!file.Seek(0, SEEK_SET))
        return FailureFromErrno(Reason::EndedEarly);
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
