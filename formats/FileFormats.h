// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "formats/ImportOutcome.h"
#include "formats/PaletteFile.h"
#include "formats/SpriteFile.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

class CBinaryFile;
class CReplaceBatch;
class CSpriteImage;

// Every kind of file Tavrel knows, in one table: its name, its extension,
// how its content is recognised, whether it holds a sheet, a picture or a
// palette, what reads and writes it, and where the window's choosers and
// the converter's --to offer it. Nothing else looks at a file's extension.
//
// What a file is, for reading, is what its first bytes say when they carry
// a format's signature, whatever the name: a PNG named ".bmp" is a PNG.
// Only when they say nothing does the name's extension tell. SPR and SP2
// sheets, Adobe Color Tables and colour words have no signature, so a file
// is one of them by its name alone, and only when its content is not
// another format's.
//
// A name's extension is what follows the last dot of the name after the
// last '/' (so ".png" and "x/.png" name a PNG as "x.png" does), compared
// without regard to the case of the ASCII letters; every other byte,
// those of UTF-8 names included, compares as it is.

enum class FileFormat
{
    Bmp,
    Png,
    Spr,
    Sp2,
    Jasc, // JASC-PAL
    Gimp,
    Act,  // Adobe Color Table
    Riff, // RIFF PAL
    ColorWords,
};

enum class FormatKind
{
    Sheet,
    Picture,
    Palette,
};

// The window's file choosers that list a format as an entry of its own.
enum class ChooserUse
{
    None,
    Sheets,   // Open and Save As
    Pictures, // Import and Export
    Palettes, // Load Palette and Save Palette
};

// Reads a sheet or picture from the stream's current position; with an
// outcome, it learns how many colours the file defines.
using ImageReader = Result (*)(CBinaryFile& file, CSpriteImage& image, ImportOutcome* outcome);
// Writes a picture safely in place of the file at path: the whole colour
// table, or (paletteRow 0-15) what the view shows for that palette row.
using PictureWriter = Result (*)(const CSpriteImage& image, const char* path,
                                 std::int32_t paletteRow, bool transparentIndexZero,
                                 CReplaceBatch* batch);
// Whether a file's first bytes carry the format's signature.
using SignatureTest = bool (*)(std::span<const std::uint8_t> head);

struct FileFormatInfo
{
    FileFormat format;
    FormatKind kind;
    const char* name;        // what --info and messages call it: "SPR", "JASC-PAL"
    const char* description; // what a refusal says the file is: "an SPR sheet"
    const char* extension;   // lower case, without the dot; none for nullptr
    SignatureTest signature; // nullptr: the content says nothing
    ImageReader read;        // sheets and pictures; ParsePalette reads every palette
    PictureWriter write;     // pictures; sheets and palettes have writers by layout and format
    SpriteLayout layout;     // sheets
    PaletteFormat palette;   // palettes
    ChooserUse chooser;
    const char* chooserLabel; // "BMP Files", followed by the pattern in the chooser
    bool converterTarget;     // --to takes its extension
};

// Enough of a file's start for every signature.
constexpr std::size_t kFormatHeadBytes = 64;

std::span<const FileFormatInfo> AllFormats();
const FileFormatInfo& FormatInfo(FileFormat format);
FormatKind KindOf(FileFormat format);
// The palette file format the palette reader told.
FileFormat FormatOfPalette(PaletteFormat palette);

// The extension of the path's file name, without the dot, as spelt;
// empty without one.
std::string_view ExtensionOfPath(std::string_view path);
// The format an extension alone names ("png", "SP2"); nothing for another.
std::optional<FileFormat> FormatOfExtension(std::string_view extension);
// The format --to names by its extension, or an output's extension asks for.
std::optional<FileFormat> TargetFormatNamed(std::string_view extension);
// The format a name's extension names: what a file to write is, and what
// one to read is when its content says nothing.
std::optional<FileFormat> FormatOfName(std::string_view path);
// The format whose signature the first bytes of a file carry.
std::optional<FileFormat> FormatOfContent(std::span<const std::uint8_t> head);

// Opens the file at path for reading and tells what it is: its content,
// else its name; nothing when neither says. The stream then stands at the
// file's start. A file that cannot be opened is told by its name alone,
// and the failure says why it could not be opened.
Result OpenRecognised(const char* path, CBinaryFile& file, std::optional<FileFormat>& format);
// The same, for a file only to be told.
std::optional<FileFormat> RecogniseFile(const char* path);
// What the content of the file at path alone says it is.
std::optional<FileFormat> RecogniseContent(const char* path);

// The names of the formats of these kinds that can be read, in the order of
// the kinds: "SPR, SP2, BMP and PNG".
std::string FormatNames(std::initializer_list<FormatKind> kinds);
// A file of a format a command does not read, refused naming what it is:
// "a JASC-PAL palette file: Import reads BMP and PNG".
Result RefuseFormat(FileFormat found, const std::string& whatIsRead);
