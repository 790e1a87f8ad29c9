// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "render/ComposeHelper.h"
#include "render/Surface.h"

#include <array>
#include <cstdint>

class CColorTable;
class CSpriteImage;

// Colours drawn over the picture. Both show on the grey and on the white of
// the checkerboard, and the two grids differ from each other.
constexpr std::uint32_t kPixelGridColor = MakeRgb(0, 128, 128);
constexpr std::uint32_t kTileGridColor = MakeRgb(192, 0, 192);
constexpr std::uint32_t kHighlightColor = MakeRgb(255, 96, 0);

// The 8-bit indices whose pixels are outlined; all false for none.
using IndexMask = std::array<bool, 256>;

// How the picture is shown: each image pixel as a zoom x zoom block of
// device pixels, over a checkerboard of checkerCell-pixel cells (grey at the
// picture's top-left) or a solid colour, with grids and outlines over it.
struct ZoomedView
{
    std::int32_t zoom = 1;
    // The part of the zoomed picture to compose, in its device pixels; the
    // surface gets this size. Parts beyond the picture are cut off.
    PixelRect area;
    std::int32_t checkerCell = 32;
    bool solidBackground = false;
    std::uint32_t background = MakeRgb(255, 255, 255);
    // A line on the first device row and column of every image pixel.
    bool pixelGrid = false;
    // A line along the first row and column of every tile; 0 for none.
    std::int32_t tileWidth = 0;
    std::int32_t tileHeight = 0;
    // 8-bit pictures only: the pixels whose index is set get an outline of
    // one device pixel inside their block (a block of 1 or 2 is filled).
    const IndexMask* highlight = nullptr;
    // 8-bit pictures only: the colours their indices show, in place of the
    // picture's own table (one palette row of many, shown side by side).
    const CColorTable* colors = nullptr;
};

// The zoomed picture's size in device pixels: the display image's (or the
// empty picture's 256 x 288) times the zoom, each side.
PixelRect ZoomedPictureRect(const CSpriteImage* displayImage, std::int32_t zoom);

// Composes view.area of the display image (or of the bare checkerboard
// without one) on a surface of the area's size, cut to the picture. Each
// device row is built once per image row and kind of row (checker parity,
// grid or outline line) and copied for the rest. At zoom 1 with a checker
// cell of 32, the surface matches ComposePicture's over the same area. False
// (and an empty surface) for a zoom or cell below 1, an area that misses the
// picture, or a surface that cannot be allocated. With a helper, an area of
// a quarter million device pixels or more is composed on two threads, with
// the same result.
bool ComposeZoomed(const CSpriteImage* displayImage, const ZoomedView& view, CSurface& surface,
                   CComposeHelper* helper = nullptr);
