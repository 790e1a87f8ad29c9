#include "render/Render.h"
#include "render/RowDrawing.h"

#include <algorithm>

bool DrawCheckerboardRows(CSurface* surface, std::int32_t cellWidth, std::int32_t cellHeight,
                          const PixelRect& rect, RowRange rows)
{
    // A cell size below 1 would never reach the rectangle's far edge.
    if (cellWidth < 1 || cellHeight < 1)
        return false;
    if (surface == nullptr)
        return true;
    // Only the cells that meet the surface are visited; the rest would be
    // clipped away whole.
    const std::int64_t top = std::max({rect.top, rows.first, 0});
    const std::int64_t bottom = std::min({rect.bottom, rows.end, surface->GetHeight()});
    const std::int64_t left = std::max(rect.left, 0);
    const std::int64_t right = std::min(rect.right, surface->GetWidth());
    if (top >= bottom || left >= right)
        return true;
    for (std::int64_t i = (top - rect.top) / cellHeight;; ++i)
    {
        const std::int64_t cellTop = rect.top + i * cellHeight;
        if (cellTop >= bottom)
            break;
        const std::int32_t bandTop = std::int32_t(std::max(cellTop, top));
        const std::int32_t bandBottom = std::int32_t(std::min(cellTop + cellHeight, bottom));
        for (std::int64_t j = (left - rect.left) / cellWidth;; ++j)
        {
            const std::int64_t cellLeft = rect.left + j * cellWidth;
            if (cellLeft >= right)
                break;
            const std::int32_t cellRight = std::int32_t(std::min(cellLeft + cellWidth, right));
            const std::uint32_t color = (i + j) % 2 == 0 ? kCheckerLight : kCheckerDark;
            surface->FillRect({std::int32_t(std::max(cellLeft, left)), bandTop, cellRight, bandBottom},
                              color);
        }
    }
    return true;
}

bool DrawCheckerboard(CSurface* surface, std::int32_t cellWidth, std::int32_t cellHeight,
                      const PixelRect* rect)
{
    if (rect == nullptr)
        return false;
    return DrawCheckerboardRows(surface, cellWidth, cellHeight, *rect, kAllRows);
}
