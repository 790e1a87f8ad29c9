#pragma once

// The checkerboard and the image drawn over one band of surface rows at a
// time. Each surface pixel depends only on its own cell and its own image
// pixel, so drawing every band gives exactly what one pass over all rows
// gives, while a band small enough to stay in cache is drawn over twice.

#include "render/PixelSpans.h"
#include "render/Surface.h"

#include <cstdint>

class CSpriteImage;

// Surface rows first to end - 1.
struct RowRange
{
    std::int32_t first = 0;
    std::int32_t end = 0;
};

constexpr RowRange kAllRows{INT32_MIN, INT32_MAX};

// Cell size below 1 or no rectangle: false. No surface: nothing drawn.
bool DrawCheckerboardRows(CSurface* surface, std::int32_t cellWidth, std::int32_t cellHeight,
                          const PixelRect& rect, RowRange rows);

// Where an image lands on a surface and how its pixels are read, worked out
// once per drawing.
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
};

// The image at (x, y) clipped to the clip size and to the surface.
ImagePlacement PlaceImage(const CSurface& surface, std::int32_t x, std::int32_t y,
                          const CSpriteImage& image, const PixelRect& clip);
void DrawImageRows(CSurface& surface, const ImagePlacement& placement, RowRange rows);
