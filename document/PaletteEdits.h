// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The choices of the palette commands.

// Swap Indices: entries i and j of every row trade colours, and so the
// picture's look changes; with the pixels, every pixel of i becomes j and
// the other way round too, so every row looks as it did.
enum class IndexSwap
{
    ColorsOnly,
    ColorsAndPixels,
};

// The colours of a new sheet.
enum class NewSheetColors
{
    GreyRamp,     // the ramp an SP2 sheet shows, in every row
    CurrentSheet, // those of the sheet open before; a grey ramp where it has none
    PaletteFile,  // a palette of at most 16 colours in every row, a longer one from entry 0
};
