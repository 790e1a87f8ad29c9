// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"

#include <cstdint>

class CColorTable;
class CSpriteImage;

// Gives an edited picture its sheet's indices back, exactly or not at all.
// Every colour the picture uses must be exactly one entry of the target
// table (or of one palette row of it); colours are compared as red, green
// and blue, alpha ignored. A colour in none of the entries, or in more than
// one, fails the mapping and is named with the first pixel that uses it:
// there is never a nearest colour.
//
// An 8-bit picture is matched through its own table, entry by entry, and
// needs no matching at all when each index it uses already holds the
// target's colour at the same place (SameOrder): its indices are kept as
// they are, even where the target holds that colour twice. In a 32-bit
// picture a pixel of alpha 0 is index 0, whatever its colour: editors keep
// no colour for fully transparent pixels, and index 0 is the sheet's
// transparent one.

constexpr std::int32_t kMapWholeTable = -1;

enum class MappingKind
{
    SameOrder, // the picture's indices were the sheet's already
    Matched,   // the indices were recovered colour by colour
};

// The 8-bit image of the picture's recovered indices, with the target's
// colour table. With a palette row (0-15) the indices are 0-15 and stand
// for entries 16 * row to 16 * row + 15. mapped is left empty on failure.
// previous, when given, is the 8-bit picture of the same size the edit
// started from: a colour held by two entries keeps each pixel's previous
// index where that index holds it, and is ambiguous only elsewhere.
Result MapToSheetColors(const CSpriteImage& picture, const CColorTable& target, std::int32_t row,
                        CSpriteImage& mapped, MappingKind& kind,
                        const CSpriteImage* previous = nullptr);
