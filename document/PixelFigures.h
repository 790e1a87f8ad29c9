// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "document/DocumentObserver.h"

#include <cstdint>
#include <vector>

class CSpriteImage;

// A pixel of the sheet; it may lie outside the picture (a line dragged past
// its edge), where nothing is drawn.
struct SheetPoint
{
    std::int32_t x = 0;
    std::int32_t y = 0;

    bool operator==(const SheetPoint&) const = default;
};

// length pixels of row y from column x on.
struct PixelRun
{
    std::int32_t y = 0;
    std::int32_t x = 0;
    std::int32_t length = 1;
};
using PixelRuns = std::vector<PixelRun>;

// The figures the tools draw, as runs of pixels. Corners are included.
// A straight line from one pixel to another, each row or column holding one
// pixel of it (Bresenham's), so consecutive pointer positions join up.
PixelRuns LineRuns(SheetPoint from, SheetPoint to);
// The rectangle with these opposite corners: its outline or all of it.
PixelRuns RectangleRuns(SheetPoint corner, SheetPoint opposite, bool filled);
// The point nearest to `to` on a line from `from` at 0, 45 or 90 degrees.
SheetPoint ConstrainAngle(SheetPoint from, SheetPoint to);
// The rectangle with these opposite corners, both included.
SheetRect RectBetween(SheetPoint corner, SheetPoint opposite);
bool Contains(const SheetRect& area, SheetPoint point);
// The part of the area inside the picture; empty when none is.
SheetRect ClipToPicture(const SheetRect& area, const CSpriteImage& image);

// Sets the 8-bit picture's pixels under the runs (those inside it) to
// value; answers the smallest rectangle holding every pixel that changed.
SheetRect PaintRuns(CSpriteImage& image, const PixelRuns& runs, std::uint8_t value);
// Sets the 4-connected area of pixels equal to the one at `at` to value;
// answers the rectangle of the pixels that changed (empty when the pixel
// is outside the picture or already holds the value).
SheetRect FloodFill(CSpriteImage& image, SheetPoint at, std::uint8_t value);

// An 8-bit picture's pixels in an area, rows top first, and back.
std::vector<std::uint8_t> CopyArea(const CSpriteImage& image, const SheetRect& area);
// The same from a copy of a whole picture of this width.
std::vector<std::uint8_t> CopyArea(const std::vector<std::uint8_t>& pixels, std::int32_t width,
                                   const SheetRect& area);
void PutArea(CSpriteImage& image, const SheetRect& area, const std::uint8_t* bytes);
// The smallest rectangle, inside `within`, where the picture's pixels differ
// from the whole-picture copy `before`; empty when none do.
SheetRect ChangedSince(const CSpriteImage& image, const std::vector<std::uint8_t>& before,
                       const SheetRect& within);
// A block of width x height pixels mirrored left to right, or top to bottom.
void FlipBlock(std::vector<std::uint8_t>& block, std::int32_t width, std::int32_t height,
               bool horizontal);
