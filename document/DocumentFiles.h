// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "formats/FileFormats.h"
#include "formats/ImportOutcome.h"
#include "formats/SpriteFile.h"
#include "io/BinaryFile.h"

#include <cstdint>
#include <string>

class CReplaceBatch;
class CSpriteImage;
class CTrailingBlock;
class IProgress;

// Files as the document's commands read and write them. The format table
// says what a file is; a file of a kind the command does not read is
// refused, naming what it is; and every failure carries the viewer's
// message for the format read or written, or for the command's usual
// format when the file is of none it reads.

Message ReadFailedMessage(FileFormat format);
Message WriteFailedMessage(FileFormat format);

// What Open, a drop and the command line take a file for: its content,
// else its name, else an SPR sheet, which has no signature.
FileFormat FormatToOpen(const std::string& path);
// What commands that open sheets and pictures read: "Tavrel reads SPR,
// SP2, BMP and PNG".
std::string WhatTavrelReads();
// A file opened once and told what it is, for the reader that goes on with
// it. One that could not be opened is told by its name, and `opened` says
// why, for the reader to report under its own message.
struct OpenedFile
{
    std::string path;
    CBinaryFile file;
    FileFormat format = FileFormat::Spr;
    Result opened;
};
// Opens the file at path as Open takes it (FormatToOpen).
void OpenToOpen(const std::string& path, OpenedFile& input);
// Opens the file at path as Import takes it: a BMP when neither its content
// nor its name says what it is.
void OpenToImport(const std::string& path, OpenedFile& input);
// What the converter takes a file for: the same, but a file that neither
// its content nor its name tells is refused, saying what is read. A file
// that cannot be read is taken by its name, so that reading it says why.
Result OpenToConvert(const std::string& path, OpenedFile& input,
                     const std::string& whatIsRead = WhatTavrelReads());
Result FormatToConvert(const std::string& path, FileFormat& format,
                       const std::string& whatIsRead = WhatTavrelReads());

// Open: the sheet at path, in the layout the table gives it; a file whose
// content is of another kind is refused.
Result ReadSheetFile(const std::string& path, CSpriteImage& image, SpriteLayout& layout);
Result ReadSheetFile(OpenedFile& input, CSpriteImage& image, SpriteLayout& layout);
// The sheet at path read again in the layout it has (Revert, a change on disk).
Result ReadSheetAs(const std::string& path, SpriteLayout layout, CSpriteImage& image);
// The layout Save As writes for a name: SP2 for an ".sp2" name, else SPR.
SpriteLayout LayoutForName(const std::string& path);
// Save: the messages of a save that stopped before a file was created
// ("Only 8-bit images..."), could not create it, or failed writing it.
Result SaveSheetFile(const CSpriteImage& image, const std::string& path, SpriteLayout layout,
                     const CTrailingBlock* trailing, CReplaceBatch* batch,
                     IProgress* progress = nullptr);

// Import: a BMP or PNG picture, taken for a BMP when neither its content
// nor its name says what it is.
Result ReadPictureFile(const std::string& path, CSpriteImage& image,
                       ImportOutcome* outcome = nullptr);
Result ReadPictureFile(OpenedFile& input, CSpriteImage& image, ImportOutcome* outcome = nullptr);
// The same picture's headers alone: what the image would be, unread.
Result ReadPictureHeaderFile(const std::string& path, PictureHeader& header);

struct ExportOptions
{
    FileFormat format = FileFormat::Bmp; // a picture format
    // With a palette row (0-15), what the view shows for it instead of the
    // whole colour table; -1 for the whole table.
    std::int32_t paletteRow = -1;
    // PNG only: a tRNS chunk that makes entry 0 fully transparent.
    bool transparentIndexZero = false;
};

// The picture format Export writes for a name: PNG for a ".png" name, else BMP.
FileFormat PictureFormatForName(const std::string& path);
// Writes the picture safely.
Result SavePicture(const CSpriteImage& image, const std::string& path, const ExportOptions& options,
                   CReplaceBatch* batch = nullptr);

// The trailing block of the SPR file at path, read, or measured from the
// file's length alone, failing under "Unable to read sprite data."
Result ReadTrailingBlockFile(const std::string& path, CTrailingBlock& block);
Result MeasureTrailingBlockFile(const std::string& path, std::int64_t& size);
