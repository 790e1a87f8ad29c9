// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Result.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

Result SystemFailure(int error)
{
    Result result;
    result.reason = Reason::System;
    result.systemError = error;
    return result;
}

const char* MessageText(Message message)
{
    switch (message)
    {
    case Message::None:
        return "";
    case Message::LoadSprFailed:
        return "Error: Could not load SPR file.";
    case Message::LoadSp2Failed:
        return "Error: Could not load SP2 file.";
    case Message::ReadTrailingFailed:
        return "Error: Unable to read sprite data.";
    case Message::LoadBmpFailed:
        return "Error: Could not load BMP file.";
    case Message::ExportBmpFailed:
        return "Could not export to BMP file.";
    case Message::NoFileName:
        return "Error: No Filename Specified for Save.";
    case Message::NotEightBit:
        return "Error: Only 8-bit images can be saved as sprite files.";
    case Message::CannotCreate:
        return "Error: Could not create sprite file.";
    case Message::WriteFailed:
        return "Error: Could not write sprite file.";
    case Message::LoadPngFailed:
        return "Error: Could not load PNG file.";
    case Message::ExportPngFailed:
        return "Could not export to PNG file.";
    case Message::LoadPaletteFailed:
        return "Error: Could not load palette file.";
    case Message::SavePaletteFailed:
        return "Error: Could not save palette file.";
    case Message::SaveChangesPicture:
        return "Error: Saving would change the picture.";
    case Message::EditedColorsUnmapped:
        return "Error: The edited picture uses a colour the sheet does not have.";
    case Message::MatchFailed:
        return "Error: The picture's colours do not match the palette.";
    case Message::EditPaletteFailed:
        return "Error: Could not change the palette.";
    case Message::EditedColorsAmbiguous:
        return "Error: The edited picture uses a colour that is ambiguous in the sheet's palette.";
    case Message::PasteFailed:
        return "Error: Could not paste the picture.";
    case Message::ReduceFailed:
        return "Error: Could not reduce the picture's colours.";
    case Message::ColorwaysFailed:
        return "Error: Could not import the colourways.";
    }
    return "";
}

namespace
{

std::string Number(std::int64_t value)
{
    return std::to_string(value);
}

// "#RRGGBB" for 0xRRGGBB.
std::string ColorText(std::int64_t rgb)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", unsigned(rgb & 0xFFFFFF));
    return text;
}

// "0xF8FF" for 63743.
std::string Hex4(std::int64_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", unsigned(value & 0xFFFF));
    return text;
}

std::string WithDetail(const char* what, const std::string& detail)
{
    return detail.empty() ? std::string(what) : std::string(what) + ": " + detail;
}

} // namespace

std::string ReasonText(const Result& result)
{
    const std::int64_t value = result.value;
    const std::int64_t limit = result.limit;
    switch (result.reason)
    {
    case Reason::None:
        return {};
    case Reason::WrongKindOfFile:
        return result.detail;
    case Reason::System:
        return std::strerror(result.systemError);
    case Reason::EndedEarly:
        return "the file ends early";
    case Reason::NotRegularFile:
        return "not a regular file";
    case Reason::LengthUnknown:
        return "the file's length cannot be measured";
    case Reason::OutOfMemory:
        return "not enough memory";
    case Reason::WriteFellShort:
        return "not every byte could be written";
    case Reason::BmpTooShort:
        return "too short for a BMP file";
    case Reason::BmpNoSignature:
        return "not a BMP file: no \"BM\" signature";
    case Reason::BmpUnsupportedHeader:
        return "unsupported BMP header of " + Number(value) + " bytes";
    case Reason::BmpBadPlanes:
        return Number(value) + " colour planes: a BMP picture has 1";
    case Reason::BmpBadDepth:
        return "unsupported depth of " + Number(value) + " bits per pixel";
    case Reason::BmpBadCompression:
        return "compression " + Number(value) + " does not fit the picture's depth";
    case Reason::BmpTopDownRunLength:
        return "a run-length picture stored top row first";
    case Reason::BmpBadPaletteCount:
        return Number(value) + " palette colours are more than the depth allows";
    case Reason::BmpBadPixelOffset:
        return limit > 0 ? "pixel data offset " + Number(value) +
                               " lies inside the headers, which end at " + Number(limit)
                         : "pixel data offset " + Number(value) + " lies outside the file";
    case Reason::BmpMissingRows:
        return "the rows need " + Number(value) + " bytes but the file holds " + Number(limit);
    case Reason::DecoderRefused:
        return "DevIL could not decode the picture";
    case Reason::DecoderMissing:
        return result.detail;
    case Reason::DepthBelowEight:
        return Number(value) + "-bit picture as decoded: fewer than 8 bits per pixel";
    case Reason::PictureWidthOverLimit:
        return value < 1 ? "width " + Number(value) + " is not a picture's width"
                         : "width " + Number(value) + " is over the limit of " + Number(limit);
    case Reason::PictureHeightOverLimit:
        return value < 1 ? "height " + Number(value) + " is not a picture's height"
                         : "height " + Number(value) + " is over the limit of " + Number(limit);
    case Reason::PictureTooManyPixels:
        return Number(value) + " pixels are over the limit of " + Number(limit);
    case Reason::PictureNotEightBit:
        return Number(value) + "-bit picture: only 8-bit pictures become sheets";
    case Reason::PictureNotExportable:
        return "no picture of 8, 16, 24 or 32 bits per pixel to write";
    case Reason::BmpTooLargeToWrite:
        return "the picture is too large for a BMP file";
    case Reason::PngNoSignature:
        return "not a PNG file: no PNG signature";
    case Reason::Png:
        return WithDetail("bad PNG file", result.detail);
    case Reason::PngUnsupported:
        return WithDetail("unsupported PNG", result.detail);
    case Reason::PngFinerThanEightBits:
        return "16-bit channel value " + Hex4(value) + " is finer than the 8 bits a channel " +
               "Tavrel holds";
    case Reason::PaletteUnknownFormat:
        return "not a palette file Tavrel knows (JASC-PAL, RIFF PAL, GIMP, ACT or colour words)";
    case Reason::PaletteBadContent:
        return WithDetail("bad palette file", result.detail);
    case Reason::PngIndexOverRow:
        return "index " + Number(value) + " is not in a palette row of 16 colours";
    case Reason::BadPaletteRow:
        return "palette row " + Number(value) + " is not one of 0 to " + Number(limit);
    case Reason::PaletteWrongCount:
        return Number(value) + " colours do not fit the palette format" +
               (limit > 0 ? " (it holds " + Number(limit) + ")" : std::string());
    case Reason::ColorMissing:
        return "colour " + ColorText(value) + " at pixel " + result.detail +
               " is in none of the palette's entries";
    case Reason::ColorAmbiguous:
        return "colour " + ColorText(value) + " at pixel " + result.detail +
               " is in more than one of the palette's entries";
    case Reason::MappingBadDepth:
        return Number(value) + "-bit picture: only 8-, 24- and 32-bit pictures match a palette";
    case Reason::PictureChanged:
        return result.detail;
    case Reason::TrailingSourceChanged:
        return "the file the bytes after the sheet are copied from has changed since it was "
               "opened";
    case Reason::TrailingBlockInPlace:
        return "the folder takes no new file, and rewriting this file in place would destroy "
               "the bytes after the sheet before they are copied";
    case Reason::TrailingBlockUnread:
        return "the bytes after the sheet in this file could not be read, and saving over it "
               "would lose them";
    case Reason::PalettePastTable:
        return Number(value) + " colours from entry " + Number(limit) +
               " go past the last entry, 255";
    case Reason::NoColorTable:
        return "a " + Number(value) + "-bit picture has no colour table";
    case Reason::PaletteOnlyToPalette:
        return "a palette file becomes only another palette file, without --palette or "
               "--match-palette";
    case Reason::ReduceBadDepth:
        return (result.detail.empty() ? std::string() : result.detail + ": ") + Number(value) +
               "-bit picture: only 8-, 24- and 32-bit pictures can be reduced";
    case Reason::AlphaThresholdRange:
        return "alpha threshold " + Number(value) + " is not one of 1 to " + Number(limit);
    case Reason::DitherStrengthRange:
        return "dithering strength " + Number(value) + "% is not one of 0 to " + Number(limit) +
               "%";
    case Reason::ColorwayCount:
        return value == 0 ? std::string("no picture to take colourways from")
                          : Number(value) + " pictures: colourways take a base picture and at most " +
                                Number(limit - 1) + " more";
    case Reason::ColorwayRowCount:
        return Number(value) + " palette rows for " + Number(limit) + " pictures";
    case Reason::ColorwaySizeDiffers:
        return "picture " + Number(value) + " is " + result.detail;
    case Reason::ColorwayTransparencyDiffers:
        return "picture " + Number(value) + " is not transparent exactly where the base picture is: "
               "pixel " + result.detail + " differs";
    case Reason::ColorwayTooManyClasses:
        return Number(value) + " colour classes are more than the " + Number(limit) +
               " a palette row holds; pixel " + result.detail + " makes one too many";
    case Reason::ColorwayRowTwice:
        return "palette row " + Number(value) + " is given to two pictures";
    case Reason::BadColorEntry:
        return "entry " + Number(value) + " is not one of 0 to " + Number(limit);
    case Reason::BadRowIndex:
        return "index " + Number(value) + " is not one of 0 to " + Number(limit) +
               " within a palette row";
    case Reason::TooManyColors:
        return Number(value) + " colours are more than the " + Number(limit) + " there is room for";
    case Reason::NotAColor:
        return "\"" + result.detail + "\" is not a colour (#RRGGBB) or a palette";
    case Reason::Cancelled:
        return "stopped before it was done; the file is as it was";
    }
    return {};
}

namespace
{

const char* SystemHint(const Result& result)
{
    switch (result.systemError)
    {
    case EACCES:
    case EPERM:
        return "The file or its folder is read-only: use Save As to write the sheet elsewhere.";
    case EROFS:
        return "The disk is read-only: use Save As to write the sheet elsewhere.";
    case ENOSPC:
    case EDQUOT:
        return "The disk is full: free some space, or use Save As to write the sheet elsewhere.";
    case ENOENT:
        return "The folder does not exist: use Save As to choose another.";
    case EFBIG:
        return "The file is larger than this disk or your limits allow: use Save As to write "
               "the sheet elsewhere.";
    default:
        return nullptr;
    }
}

bool IsSave(Message message)
{
    return message == Message::CannotCreate || message == Message::WriteFailed ||
           message == Message::ExportBmpFailed || message == Message::ExportPngFailed ||
           message == Message::SavePaletteFailed;
}

// "reason" to "Reason.": a sentence of its own.
std::string Sentence(std::string text)
{
    if (!text.empty())
    {
        text[0] = char(std::toupper(static_cast<unsigned char>(text[0])));
        if (text.back() != '.')
            text += '.';
    }
    return text;
}

} // namespace

std::string HintText(const Result& result)
{
    switch (result.reason)
    {
    case Reason::PictureNotEightBit:
    case Reason::DepthBelowEight:
        return "Convert the picture to indexed colour (16 or 256 colours) in your editor and "
               "import it again.";
    case Reason::PictureWidthOverLimit:
    case Reason::PictureHeightOverLimit:
    case Reason::PictureTooManyPixels:
        return "Make the picture smaller in your editor (a sheet is 256 pixels wide) and import "
               "it again.";
    case Reason::TrailingSourceChanged:
        return "Open the file again, or use Save As to write the sheet elsewhere.";
    case Reason::TrailingBlockUnread:
    case Reason::TrailingBlockInPlace:
        return "Use Save As to write the sheet to another file; this one is left as it is.";
    case Reason::System:
        if (const char* hint = IsSave(result.message) ? SystemHint(result) : nullptr)
            return hint;
        break;
    default:
        break;
    }
    if (result.message == Message::ReadTrailingFailed)
        return "The sheet is open without those bytes: a save over this file is refused; use "
               "Save As to write the sheet to another file.";
    return {};
}

std::string HeadlineText(const Result& result)
{
    if (result.message != Message::None)
        return MessageText(result.message);
    return Sentence(ReasonText(result));
}

std::string InformativeText(const Result& result, const std::string& fileName)
{
    std::string text = "File: " + fileName;
    for (const std::string& line : {Sentence(ReasonText(result)), HintText(result)})
    {
        if (!line.empty())
            text += "\n" + line;
    }
    return text;
}

std::string FullText(const Result& result)
{
    std::string text = MessageText(result.message);
    const std::string reason = ReasonText(result);
    if (!reason.empty())
        text += text.empty() ? reason : " (" + reason + ")";
    return text;
}
