// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where an image lands on a surface and how its pixels are read, worked out
// once per drawing, and the drawing of one surface row of it.

#include "render/PixelSpans.h"
#include "render/Surface.h"

#include <cstdint>

class CSpriteImage;

struct ImagePlacement
{
    const std::uint8_t* pixels = nullptr;
    std::int32_t imageWidth = 0;
    std::int32_t bytesPerPixel = 0;
    std::int32_t skipX = 0; // first visible image column
    std::int32_t skipY = 0; // first visible image row
    std::int32_t destX = 0; // surface column of the first visible pixel
    std::int32_t destY = 0; // surface row of the first visible pixel
    std::int32_t visibleWidth = 0;
    std::int32_t visibleHeight = 0; // 0 when nothing is visible
    PaletteTable palette{};         // 8-bit images only

    bool CoversRow(std::int32_t y) const { return y >= destY && y - destY < visibleHeight; }
};

// The image with its top-left pixel at (x, y), clipped to the clip's size
// (its position does not count) and to the surface.
ImagePlacement PlaceImage(const CSurface& surface, std::int32_t x, std::int32_t y,
                          const CSpriteImage& image, const PixelRect& clip);

// Draws the image's pixels on surface row y (which the placement covers)
// over the colours under, given for the whole row from column 0.
void DrawImageRow(CSurface& surface, const ImagePlacement& placement, std::int32_t y,
                  const std::uint32_t* under);
