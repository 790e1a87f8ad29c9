// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"

#include <cstdint>

class CColorTable;
class CSpriteImage;

// How a picture brought in meets the sheet's colours.
enum class ImportFit
{
    // Nothing to ask: its indices already are the sheet's (its palette holds
    // the sheet's colours in order), or it is of a depth that is not matched.
    AsPicture,
    // Every colour it uses is exactly one entry of the shown palette row (or
    // of the whole table): it can keep the sheet's colour table.
    MapsOntoSheet,
    // A colour is in none of the entries, or in more than one: mismatch says
    // which, and at which pixel.
    Mismatch,
};

struct ImportMatch
{
    ImportFit fit = ImportFit::AsPicture;
    Result mismatch;
};

// Matches the picture against the table: the shown row first, as a save of
// what the view shows uses it, then the whole table. mapped receives the
// picture on the table's indices when the fit is MapsOntoSheet. Never a
// nearest colour.
ImportMatch MatchPictureToSheet(const CSpriteImage& picture, const CColorTable& table,
                                std::int32_t row, CSpriteImage& mapped);
