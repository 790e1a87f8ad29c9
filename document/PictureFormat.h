// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "formats/ImportOutcome.h"

#include <cstdint>
#include <string>

class CReplaceBatch;
class CSpriteImage;

// The picture files Import reads and Export writes.
enum class PictureFormat
{
    Bmp,
    Png,
};

// ".png" in any letter case is a PNG picture; every other name a BMP one,
// as Import and Export took every name before PNG files came.
PictureFormat PictureFormatForPath(const std::string& path);

// Reads the picture, failing under the import message of its format.
// outcome, when given, learns how many colour entries the file defines.
Result LoadPicture(const std::string& path, PictureFormat format, CSpriteImage& image,
                   ImportOutcome* outcome = nullptr);

struct ExportOptions
{
    PictureFormat format = PictureFormat::Bmp;
    // With a palette row (0-15), what the view shows for it instead of the
    // whole colour table; -1 for the whole table.
    std::int32_t paletteRow = -1;
    // PNG only: a tRNS chunk that makes entry 0 fully transparent.
    bool transparentIndexZero = false;
};

// Writes the picture safely, failing under the export message of its format.
Result SavePicture(const CSpriteImage& image, const std::string& path, const ExportOptions& options,
                   CReplaceBatch* batch = nullptr);
