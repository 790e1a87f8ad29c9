// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/SpriteImage.h"
#include "render/ImagePlacement.h"
#include "render/Render.h"

#include <algorithm>

namespace
{

bool IsDrawableDepth(std::int32_t bitsPerPixel)
{
    return bitsPerPixel == 8 || bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32;
}

} // namespace

ImagePlacement PlaceImage(const CSurface& surface, std::int32_t x, std::int32_t y,
                          const CSpriteImage& image, const PixelRect& clip)
{
    ImagePlacement placement;
    if (image.GetPixels() == nullptr || !IsDrawableDepth(image.GetBitsPerPixel()))
        return placement;

    // 64-bit arithmetic: positions and clip edges may lie anywhere in the
    // 32-bit range.
    const std::int64_t clipWidth =
        std::min<std::int64_t>(std::int64_t(clip.right) - clip.left, surface.GetWidth());
    const std::int64_t clipHeight =
        std::min<std::int64_t>(std::int64_t(clip.bottom) - clip.top, surface.GetHeight());
    const std::int64_t width = image.GetWidth();
    const std::int64_t height = image.GetHeight();
    const std::int64_t skipX = std::max<std::int64_t>(0, -std::int64_t(x));
    const std::int64_t skipY = std::max<std::int64_t>(0, -std::int64_t(y));
    const std::int64_t cutRight = std::max<std::int64_t>(0, width + x - clipWidth);
    const std::int64_t cutBottom = std::max<std::int64_t>(0, height + y - clipHeight);
    const std::int64_t visibleWidth = width - skipX - cutRight;
    const std::int64_t visibleHeight = height - skipY - cutBottom;
    if (visibleWidth < 1 || visibleHeight < 1)
        return placement;

    placement.pixels = image.GetPixels();
    placement.imageWidth = image.GetWidth();
    placement.bytesPerPixel = image.GetBitsPerPixel() / 8;
    placement.skipX = std::int32_t(skipX);
    placement.skipY = std::int32_t(skipY);
    placement.destX = std::max(0, x);
    placement.destY = std::max(0, y);
    placement.visibleWidth = std::int32_t(visibleWidth);
    placement.visibleHeight = std::int32_t(visibleHeight);
    if (placement.bytesPerPixel == 1)
        placement.palette = MakePaletteTable(image.m_colorTable);
    return placement;
}

void DrawImageRow(CSurface& surface, const ImagePlacement& placement, std::int32_t y,
                  const std::uint32_t* under)
{
    const std::int64_t imageRow = placement.skipY + std::int64_t(y - placement.destY);
    const std::int64_t firstPixel = imageRow * placement.imageWidth + placement.skipX;
    const std::uint8_t* src = placement.pixels + firstPixel * placement.bytesPerPixel;
    const std::uint32_t* below = under + placement.destX;
    std::uint32_t* dst = surface.Row(y) + placement.destX;
    DrawSpan(placement.bytesPerPixel, src, placement.palette, below, dst, placement.visibleWidth);
}

bool DrawImage(CSurface* surface, std::int32_t x, std::int32_t y, const CSpriteImage* image,
               const PixelRect* clip)
{
    if (surface == nullptr || image == nullptr || clip == nullptr)
        return false;
    const ImagePlacement placement = PlaceImage(*surface, x, y, *image, *clip);
    for (std::int32_t row = 0; row < placement.visibleHeight; ++row)
    {
        const std::int32_t surfaceRow = placement.destY + row;
        DrawImageRow(*surface, placement, surfaceRow, surface->Row(surfaceRow));
    }
    return true;
}
