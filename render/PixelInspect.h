// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "render/ZoomCompose.h"

#include <array>
#include <cstdint>

class CSpriteImage;

// What one picture pixel holds and how it is shown, for the window's
// inspector. Colours come from the source image, whose table the palette
// rows are taken from.
enum class PixelKind
{
    None, // outside the picture, or no picture
    Indexed,
    Word16,
    Rgb,
    Rgba,
};

struct PixelInfo
{
    PixelKind kind = PixelKind::None;
    std::int32_t index = 0;      // Indexed: the pixel's index
    std::int32_t entry = -1;     // Indexed: the source entry shown, -1 when the table lacks it
    std::uint16_t colorWord = 0; // Indexed: that entry as a colour word; Word16: the pixel
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 255;
    bool transparent = false; // drawn as the background alone
};

// The source entry that index shows with a palette row: indices 0 to 15
// show the row's sixteen colours, higher ones their own entry.
std::int32_t ShownEntry(std::int32_t index, std::int32_t paletteRow);

// Pixel (x, y) of the display image, shown with palette row paletteRow of
// the source.
PixelInfo InspectPixel(const CSpriteImage* source, const CSpriteImage* display,
                       std::int32_t paletteRow, std::int32_t x, std::int32_t y);

// How many pixels of an 8-bit picture hold each index; all 0 for others.
using IndexCounts = std::array<std::int64_t, 256>;
IndexCounts CountIndices(const CSpriteImage* image);

// The indices that show source entry `entry` with the palette row.
IndexMask IndicesShowing(std::int32_t entry, std::int32_t paletteRow);
