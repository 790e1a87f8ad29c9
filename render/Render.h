// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "render/Surface.h"

#include <cstdint>

class CSpriteImage;

constexpr std::int32_t kCheckerCell = 32;
constexpr std::uint32_t kCheckerLight = MakeRgb(192, 192, 192);
constexpr std::uint32_t kCheckerDark = MakeRgb(255, 255, 255);
constexpr std::int32_t kEmptyPictureWidth = 256;
constexpr std::int32_t kEmptyPictureHeight = 288;

// Fills rect with cellWidth x cellHeight cells, light grey first, cut at the
// right and bottom edges and at the surface's edges. False when rect is null
// or a cell side is below 1 (such cells would never cover it); true with
// nothing drawn for an empty rect or a null surface.
bool DrawCheckerboard(CSurface* surface, std::int32_t cellWidth, std::int32_t cellHeight,
                      const PixelRect* rect);

// Draws image with its top-left pixel at (x, y) over what the surface holds:
// the colour key (index 0 of an 8-bit image, and red 255 / green 0 / blue 255
// at any depth) is left out, as is an 8-bit index the colour table does not
// hold, and 32-bit pixels blend by their alpha. Only the clip rectangle's
// size counts, and the surface's own edges clip too. False when surface,
// image or clip is null.
bool DrawImage(CSurface* surface, std::int32_t x, std::int32_t y, const CSpriteImage* image,
               const PixelRect* clip);

// The picture's size: the display image's, or 256 x 288 without one.
void PictureSize(const CSpriteImage* displayImage, std::int32_t& width, std::int32_t& height);

// The off-screen half of painting: a surface of the picture's size, the
// checkerboard over (0, 0)-(W + 1, H + 1), then the display image at (0, 0).
// False, with an empty surface, when the surface cannot be allocated (an
// image too large, or one without pixels). A surface kept from one paint to
// the next keeps its buffer while the size stays the same.
bool ComposePicture(const CSpriteImage* displayImage, CSurface& surface);
