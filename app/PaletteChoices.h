// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/PaletteEdits.h"
#include "formats/SpriteFile.h"

// What the palette commands ask of the user.

enum class PalettePairKind
{
    SwapRows,    // two rows
    SwapIndices, // two indices of every row, and whether the pixels follow
    Gradient,    // two indices of one row
};

struct PalettePair
{
    PalettePairKind kind = PalettePairKind::SwapRows;
    int row = 0; // Gradient: the row the indices are in
    int first = 0;
    int second = 0;
    IndexSwap swap = IndexSwap::ColorsOnly;
};

struct NewSheetChoice
{
    SpriteLayout layout = SpriteLayout::Spr;
    NewSheetColors colors = NewSheetColors::GreyRamp;
    // Whether the sheet open now has colours to take.
    bool currentAvailable = false;
};
