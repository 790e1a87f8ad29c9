// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"

#include <cstdint>

class CColorTable;
class CSpriteImage;

// How a picture brought in (an import, an image editor's save) meets the
// sheet's colours.
enum class ImportFit
{
    // Of a depth that is not matched: it comes in as it is.
    AsPicture,
    // Its indices already are the sheet's: every index it uses holds the
    // sheet's colour at the same place, as when an editor kept the table.
    KeepsIndices,
    // Every colour it uses is one of the entries a sheet pixel can show, or
    // is told apart by the index its pixel had: it can keep the sheet's
    // colour table.
    MapsOntoSheet,
    // A colour is in none of those entries, or in two with nothing to tell
    // them apart: mismatch says which, and at which pixel.
    Mismatch,
};

struct ImportMatch
{
    ImportFit fit = ImportFit::AsPicture;
    Result mismatch;
};

// The one rule of Import and Edit Externally. The entries a sheet pixel
// can show are the 16 of the shown palette row, or the whole table while
// the sheet's pixels use entries above 15 (a picture not yet saved as a
// sheet). sheet is the picture being replaced; a colour two of those
// entries hold keeps each pixel's index in it where that index holds the
// colour. mapped receives the picture on the table's indices for
// KeepsIndices and MapsOntoSheet. Never a nearest colour.
ImportMatch MatchPictureToSheet(const CSpriteImage& picture, const CSpriteImage& sheet,
                                std::int32_t row, CSpriteImage& mapped);
