// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "image/SpriteImage.h"
#include "reduce/ReduceColors.h"

#include <cstdint>
#include <vector>

// Colourways: one picture recoloured several times becomes one 4-bit sheet
// and one palette row per picture. Pixels that have the same colour in every
// picture form a class; each opaque class is an entry 1-15, the same in
// every row, and entry 0 is the pixels transparent in the base picture
// (the first), which must be transparent in every picture.

constexpr std::int32_t kMostColorways = kPaletteRowCount; // the base and 15 more

struct ColorwaySheet
{
    // 8 bits per pixel, indices 0-15, the base's row as its colour table.
    CSpriteImage sheet;
    // One per picture, in the order given.
    std::vector<PaletteRow> rows;
    // One per picture: what showing it in its row changes (the rounding to
    // 15 bits; the reduction).
    std::vector<ReduceReport> reports;
    // Opaque pixel classes of the pictures.
    std::int32_t classCount = 0;
};

// `rows` are the rows the pictures go to, one per picture: entries the
// sheet does not use keep their colours (entry 0 always). Every picture must
// be 8, 24 or 32 bits and the base's size.

// Exactly: each picture is shown by its row in every pixel, but for its
// colours' rounding to 15 bits, which its report counts. More than 15
// opaque classes fail, with their count and the first pixel of the 16th.
Result BuildColorways(const std::vector<const CSpriteImage*>& pictures,
                      const std::vector<PaletteRow>& rows, std::int32_t alphaThreshold,
                      ColorwaySheet& sheet);

// With loss, for any number of classes: the base picture goes through
// ReduceColors (with its row and the options); each other picture's entry
// becomes the 15-bit colour nearest, by count-weighted CIEDE2000, to its
// pixels of that entry.
Result ReduceColorways(const std::vector<const CSpriteImage*>& pictures,
                       const std::vector<PaletteRow>& rows, const ReduceOptions& options,
                       ColorwaySheet& sheet);
