// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "image/ColorEntry.h"
#include "image/ColorWord.h"
#include "reduce/PictureColors.h"

#include <array>
#include <cstdint>
#include <vector>

using PaletteRow = std::array<ColorEntry, kPaletteRowSize>;

// What a reduction did to a picture, as a dialog reports it.
struct ReduceReport
{
    std::int64_t opaquePixels = 0;
    std::int64_t madeTransparent = 0; // partial alpha below the threshold, now transparent
    std::int64_t madeOpaque = 0;      // partial alpha at or above it, now opaque
    std::int64_t changedPixels = 0;   // opaque pixels not shown in exactly their own colour
    double meanError = 0;             // CIEDE2000, over the opaque pixels
    double largestError = 0;
};

// Compares each opaque pixel's colour with the row entry it was given, as
// the row shows it (each colour in its 15-bit word). `entries` holds one
// entry per pixel, 0 for the transparent ones.
ReduceReport MeasureReduction(const PictureColors& colors, const std::vector<std::uint8_t>& entries,
                              const PaletteRow& row);

// How a row entry shows once saved: in its 15-bit word.
ColorEntry ShownColor(const ColorEntry& entry);
