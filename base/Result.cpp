#include "base/Result.h"

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
    case Reason::System:
        return std::strerror(result.systemError);
    case Reason::EndedEarly:
        return "the file ends early";
    case Reason::NotRegularFile:
        return "not a regular file";
    case Reason::TooLargeToMeasure:
        return "the file is too large to measure (over 2 GiB)";
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
    case Reason::BmpWidthOverLimit:
        return value < 1 ? "width " + Number(value) + " is not a picture's width"
                         : "width " + Number(value) + " is over the limit of " + Number(limit);
    case Reason::BmpHeightOverLimit:
        return value == 0 ? std::string("height 0 is not a picture's height")
                          : "height " + Number(value) + " is over the limit of " + Number(limit);
    case Reason::BmpTooManyPixels:
        return Number(value) + " pixels are over the limit of " + Number(limit);
    case Reason::BmpBadPaletteCount:
        return Number(value) + " palette colours are more than the depth allows";
    case Reason::BmpBadPixelOffset:
        return "pixel data offset " + Number(value) + " lies outside the file";
    case Reason::BmpMissingRows:
        return "the rows need " + Number(value) + " bytes but the file holds " + Number(limit);
    case Reason::DecoderRefused:
        return "DevIL could not decode the picture";
    case Reason::DepthBelowEight:
        return Number(value) + "-bit picture as decoded: fewer than 8 bits per pixel";
    case Reason::PictureNotEightBit:
        return Number(value) + "-bit picture: only 8-bit pictures become sheets";
    case Reason::PictureNotExportable:
        return "no picture of 8, 16, 24 or 32 bits per pixel to write";
    case Reason::BmpTooLargeToWrite:
        return "the picture is too large for a BMP file";
    case Reason::Png:
        return WithDetail("bad PNG file", result.detail);
    case Reason::PngUnsupported:
        return WithDetail("unsupported PNG", result.detail);
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
    case Reason::PalettePastTable:
        return Number(value) + " colours from entry " + Number(limit) +
               " go past the last entry, 255";
    }
    return {};
}

std::string FullText(const Result& result)
{
    std::string text = MessageText(result.message);
    const std::string reason = ReasonText(result);
    if (!reason.empty())
        text += text.empty() ? reason : " (" + reason + ")";
    return text;
}
