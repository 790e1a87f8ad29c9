#include "image/SpriteImage.h"
#include "render/Render.h"
#include "render/RowDrawing.h"

#include <algorithm>

namespace
{

// Rows composed at a time: the checkerboard is laid down and the image drawn
// over it while the band is still in cache.
constexpr std::int32_t kComposeBandRows = 8;

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
    if (!surface.Allocate(width, height))
        return false;

    // The frame's client area reaches one pixel beyond the picture; the
    // surface cuts the checkerboard to the picture.
    const PixelRect frame{0, 0, width + 1, height + 1};
    ImagePlacement placement;
    if (displayImage != nullptr)
        placement = PlaceImage(surface, 0, 0, *displayImage, frame);
    for (std::int32_t band = 0; band < height; band += kComposeBandRows)
    {
        const RowRange rows{band, std::min(band + kComposeBandRows, height)};
        DrawCheckerboardRows(&surface, kCheckerCell, kCheckerCell, frame, rows);
        DrawImageRows(surface, placement, rows);
    }
    return true;
}
