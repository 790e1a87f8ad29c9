// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/SpriteImage.h"
#include "render/ImagePlacement.h"
#include "render/Render.h"

#include <algorithm>

namespace
{

// The checkerboard's rows come in two kinds, those through even and those
// through odd rows of cells: one of each, as rows 0 and 1 of a surface.
bool MakeCheckerRows(std::int32_t width, CSurface& rows)
{
    if (!rows.Allocate(width, 2))
        return false;
    const PixelRect frame{0, 0, width + 1, 2};
    return DrawCheckerboard(&rows, kCheckerCell, 1, &frame);
}

// Row y of the checkerboard with the image drawn over it. The image's
// pixels are drawn straight over the checkerboard row, so the picture is
// written once and never read back.
void ComposeRow(CSurface& surface, const ImagePlacement& placement, std::int32_t y,
                const std::uint32_t* checker)
{
    const std::int32_t width = surface.GetWidth();
    const bool imageRow = placement.CoversRow(y);
    const std::int32_t from = imageRow ? placement.destX : width;
    const std::int32_t to = imageRow ? placement.destX + placement.visibleWidth : width;
    std::copy(checker, checker + from, surface.Row(y));
    std::copy(checker + to, checker + width, surface.Row(y) + to);
    if (imageRow)
        DrawImageRow(surface, placement, y, checker);
}

} // namespace

void PictureSize(const CSpriteImage* displayImage, std::int32_t& width, std::int32_t& height)
{
    width = displayImage != nullptr ? displayImage->GetWidth() : kEmptyPictureWidth;
    height = displayImage != nullptr ? displayImage->GetHeight() : kEmptyPictureHeight;
}

bool ComposePicture(const CSpriteImage* displayImage, CSurface& surface)
{
    std::int32_t width = 0;
    std::int32_t height = 0;
    PictureSize(displayImage, width, height);
    CSurface checkerRows;
    if (!surface.Allocate(width, height))
        return false;
    if (!MakeCheckerRows(width, checkerRows))
    {
        surface.Free();
        return false;
    }

    // The frame's client area reaches one pixel beyond the picture; the
    // surface cuts it to the picture.
    const PixelRect frame{0, 0, width + 1, height + 1};
    ImagePlacement placement;
    if (displayImage != nullptr)
        placement = PlaceImage(surface, 0, 0, *displayImage, frame);
    for (std::int32_t y = 0; y < height; ++y)
        ComposeRow(surface, placement, y, checkerRows.Row(y / kCheckerCell % 2));
    return true;
}
