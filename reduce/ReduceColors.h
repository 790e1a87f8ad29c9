// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/Result.h"
#include "image/SpriteImage.h"
#include "reduce/PixelMapping.h"
#include "reduce/ReduceReport.h"

#include <cstdint>

// Reduce Colours: a picture of any colours (24- or 32-bit, or 8-bit with
// its table) to the indices 0-15 of one palette row, entry 0 transparent.
// Colours are chosen and matched in the 15-bit words a sheet holds, so the
// result shows exactly what a save writes.

enum class ReduceTarget
{
    NewColors,      // up to 15 new colours for entries 1-15
    FixedColors,    // the row's entries 1-15 as they are: the picture is mapped onto them
    KeepUsedColors, // entries whose colour the picture uses exactly stay; the rest are chosen
};

struct ReduceOptions
{
    ReduceTarget target = ReduceTarget::NewColors;
    Dithering dithering = Dithering::None;
    std::int32_t strength = kFullStrength;                // error diffusion's, in percent, 0-100
    std::int32_t alphaThreshold = kDefaultAlphaThreshold; // 1-255
};

struct ReducedPicture
{
    // 8 bits per pixel, indices 0-15; its colour table is `row`, so it can
    // be shown as it is for a preview.
    CSpriteImage picture;
    // The row afterwards. Entry 0 and every entry not chosen anew are the
    // row's own, unchanged; chosen entries hold 15-bit colours (v × 8).
    PaletteRow row{};
    ReduceReport report;
};

// Fails for a depth other than 8, 24 or 32, an alpha threshold outside
// 1-255, or a strength outside 0-100; `reduced` is then left as it was.
Result ReduceColors(const CSpriteImage& picture, const PaletteRow& row,
                    const ReduceOptions& options, ReducedPicture& reduced);

// The same over colours already read: for colourways, which read each
// picture once.
Result ReduceColors(const PictureColors& colors, const PaletteRow& row,
                    const ReduceOptions& options, ReducedPicture& reduced);
