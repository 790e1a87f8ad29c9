#include "image/SpriteImage.h"
#include "render/Render.h"
#include "render/RowDrawing.h"

#include <algorithm>

namespace
{

bool IsDrawableDepth(std::int32_t bitsPerPixel)
{
    return bitsPerPixel == 8 || bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32;
}

void DrawSpan(const ImagePlacement& placement, const std::uint8_t* src, std::uint32_t* dst)
{
    const std::int32_t count = placement.visibleWidth;
    switch (placement.bytesPerPixel)
    {
    case 1: DrawSpan8(src, placement.palette, dst, count); break;
    case 2: DrawSpan16(src, dst, count); break;
    case 3: DrawSpan24(src, dst, count); break;
    case 4: DrawSpan32(src, dst, count); break;
    default: break;
    }
}

} // namespace

ImagePlacement PlaceImage(const CSurface& surface, std::int32_t x, std::int32_t y,
                          const CSpriteImage& image, const PixelRect& clip)
{
    ImagePlacement placement;
    if (image.GetPixels() == nullptr || !IsDrawableDepth(image.GetBitsPerPixel()))
        return placement;

    // Only the clip's size counts; the surface's own edges clip as well.
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

void DrawImageRows(CSurface& surface, const ImagePlacement& placement, RowRange rows)
{
    const std::int32_t first = std::max(rows.first, placement.destY);
    const std::int32_t end =
        std::int32_t(std::min<std::int64_t>(rows.end, std::int64_t(placement.destY) + placement.visibleHeight));
    const std::int64_t rowBytes = std::int64_t(placement.imageWidth) * placement.bytesPerPixel;
    for (std::int32_t surfaceRow = first; surfaceRow < end; ++surfaceRow)
    {
        const std::int64_t imageRow = placement.skipY + std::int64_t(surfaceRow - placement.destY);
        const std::uint8_t* src =
            placement.pixels + imageRow * rowBytes + std::int64_t(placement.skipX) * placement.bytesPerPixel;
        DrawSpan(placement, src, surface.Row(surfaceRow) + placement.destX);
    }
}

bool DrawImage(CSurface* surface, std::int32_t x, std::int32_t y, const CSpriteImage* image,
               const PixelRect* clip)
{
    if (surface == nullptr || image == nullptr || clip == nullptr)
        return false;
    const ImagePlacement placement = PlaceImage(*surface, x, y, *image, *clip);
    DrawImageRows(*surface, placement, kAllRows);
    return true;
}
