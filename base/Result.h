// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

// What became of a core operation. A failure carries two things:
//  - the message: the line the viewer shows in its message box (and the
//    converter prints), naming what failed in the user's words;
//  - the reason: why, as precisely as the layer that found it knows it,
//    with the numbers or the system error it concerns.
// Lower layers fill in the reason; the document, which knows which command
// ran, fills in the message. Nothing in the core shows either: the viewer
// and the converter turn them into text through MessageText and ReasonText.

enum class Message
{
    None,
    LoadSprFailed,      // "Error: Could not load SPR file."
    LoadSp2Failed,      // "Error: Could not load SP2 file."
    ReadTrailingFailed, // "Error: Unable to read sprite data."
    LoadBmpFailed,      // "Error: Could not load BMP file."
    ExportBmpFailed,    // "Could not export to BMP file."
    NoFileName,         // "Error: No Filename Specified for Save."
    NotEightBit,        // "Error: Only 8-bit images can be saved as sprite files."
    CannotCreate,       // "Error: Could not create sprite file."
    WriteFailed,        // "Error: Could not write sprite file."
    // PNG and palette files.
    LoadPngFailed,      // "Error: Could not load PNG file."
    ExportPngFailed,    // "Could not export to PNG file."
    LoadPaletteFailed,  // "Error: Could not load palette file."
    SavePaletteFailed,  // "Error: Could not save palette file."
    // Saves that would change the picture.
    SaveChangesPicture, // "Error: Saving would change the picture."
    EditedColorsUnmapped, // "Error: The edited picture uses a colour the sheet does not have."
    MatchFailed,          // "Error: The picture's colours do not match the palette."
    // Palette edits: colours, rows and indices changed in place.
    EditPaletteFailed,  // "Error: Could not change the palette."
    // Pictures brought back from an image editor.
    // "Error: The edited picture uses a colour that is ambiguous in the sheet's palette."
    EditedColorsAmbiguous,
    // Pixel edits.
    PasteFailed,          // "Error: Could not paste the picture."
    // Truecolour art into palette rows.
    ReduceFailed,    // "Error: Could not reduce the picture's colours."
    ColorwaysFailed, // "Error: Could not import the colourways."
};

enum class Reason
{
    None,

    // What the file is.
    WrongKindOfFile, // detail: what the file is, and what the command reads

    // The system and the stream.
    System,          // the system's own text for systemError (strerror)
    EndedEarly,      // the file ends before the bytes its header promises
    NotRegularFile,  // a folder, a FIFO or a device where a file was expected
    LengthUnknown,   // the stream could not measure the file
    OutOfMemory,
    WriteFellShort,  // a write failed without a system error

    // BMP files, before DevIL sees them.
    BmpTooShort,           // shorter than a file header and an info header
    BmpNoSignature,        // no "BM" signature
    BmpUnsupportedHeader,  // value: the header size
    BmpBadPlanes,          // value: planes
    BmpBadDepth,           // value: bits per pixel
    BmpBadCompression,     // value: compression code
    BmpTopDownRunLength,
    BmpBadPaletteCount,    // value: colours claimed
    BmpBadPixelOffset,     // value: the offset, limit: where the headers end, when inside them
    BmpMissingRows,        // value: bytes the rows need, limit: bytes there
    DecoderRefused,        // DevIL could not decode the bytes
    DecoderMissing,        // detail: why DevIL could not be loaded
    DepthBelowEight,       // value: bits per pixel

    // Pictures of any format, from the size their header states.
    PictureWidthOverLimit,  // value: width, limit: the largest side
    PictureHeightOverLimit, // value: height, limit: the largest side
    PictureTooManyPixels,   // value: pixels, limit: the most pixels

    // Sheets.
    PictureNotEightBit, // value: bits per pixel of the picture

    // BMP export.
    PictureNotExportable, // value: bits per pixel of the picture
    BmpTooLargeToWrite,   // over the 4 GiB a BMP header can state

    // PNG and palette files.
    PngNoSignature,
    Png,               // detail: what libpng reported
    PngUnsupported,    // detail: which kind of PNG
    PngFinerThanEightBits, // value: a 16-bit channel value that is no 8-bit value widened
    PaletteUnknownFormat,
    PaletteBadContent, // detail: what is wrong, where
    PngIndexOverRow,   // value: an index over limit, the last index of a palette row
    BadPaletteRow,     // value: the row, limit: the last row
    PaletteWrongCount, // value: colours given, limit: the most the format holds
    ColorMissing,      // value: 0xRRGGBB, detail: the first pixel "(x, y)"
    ColorAmbiguous,    // value: 0xRRGGBB, detail: the first pixel "(x, y)"
    MappingBadDepth,   // value: bits per pixel of the picture

    // Saves.
    PictureChanged,        // detail: every change, as SaveLossText words them
    TrailingSourceChanged, // the file a trailing block is copied from changed
    TrailingBlockUnread,   // saving over a file whose trailing block was never read
    TrailingBlockInPlace,  // the file could only be rewritten in place, losing its own block
    PalettePastTable,  // value: colours given, limit: the first entry they go to
    NoColorTable,      // value: bits per pixel of the picture

    // The converter.
    PaletteOnlyToPalette, // a palette file converted to a sheet or picture, or given colours
    // Colour reduction and colourways. A picture is named by its place among
    // those given, the base picture being 1.
    ReduceBadDepth,      // value: bits per pixel, detail: "picture N" among several
    AlphaThresholdRange, // value: the threshold, limit: the highest
    DitherStrengthRange, // value: the strength in percent, limit: the highest
    ColorwayCount,       // value: pictures given, limit: the most
    ColorwayRowCount,    // value: palette rows given, limit: pictures given
    ColorwaySizeDiffers, // value: the picture, detail: its size and the base's
    ColorwayTransparencyDiffers, // value: the picture, detail: the first pixel "(x, y)"
    ColorwayTooManyClasses,      // value: classes, limit: the most, detail: the pixel "(x, y)" that makes one too many
    ColorwayRowTwice,            // value: the palette row given to two pictures
    // Palette edits.
    BadColorEntry,  // value: the entry, limit: the last entry of the table
    BadRowIndex,    // value: the index within a row, limit: the last index
    TooManyColors,  // value: colours given, limit: the most there is room for
    NotAColor,      // detail: the text that is no colour
    // Long saves.
    Cancelled, // the user stopped a long save; nothing was replaced
};

struct Result
{
    Message message = Message::None;
    Reason reason = Reason::None;
    std::int64_t value = 0;
    std::int64_t limit = 0;
    int systemError = 0;  // errno, for Reason::System
    std::string detail;   // a library's own words, for the reasons that take them

    bool Ok() const { return message == Message::None && reason == Reason::None; }
    explicit operator bool() const { return Ok(); }
};

inline Result Failure(Reason reason, std::int64_t value = 0, std::int64_t limit = 0)
{
    Result result;
    result.reason = reason;
    result.value = value;
    result.limit = limit;
    return result;
}

// A failure of the system call that just set errno.
Result SystemFailure(int error);

// The same reason under the message of the operation that failed.
inline Result WithMessage(Result result, Message message)
{
    result.message = message;
    return result;
}

// The viewer's own line for a message; empty for Message::None.
const char* MessageText(Message message);
// Why, in a few words, without a full stop: "width 20000 is over the limit
// of 16384". Empty when no reason is known.
std::string ReasonText(const Result& result);
// What the user can do about the failure, as a sentence; empty when there
// is nothing to suggest.
std::string HintText(const Result& result);
// A message box's main text: the message, or for a failure without one,
// its reason as a sentence.
std::string HeadlineText(const Result& result);
// The lines under a message box's main text: the file, why, and what to do.
std::string InformativeText(const Result& result, const std::string& fileName);
// The message, then the reason in brackets when there is one:
// "Error: Could not load BMP file. (not a BMP file: no "BM" signature)".
std::string FullText(const Result& result);
