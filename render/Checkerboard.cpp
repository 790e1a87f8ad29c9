// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/Render.h"

#include <algorithm>

namespace
{

// One surface row through cell row i, from column left to right - 1.
void FillCellRow(CSurface& surface, const PixelRect& rect, std::int32_t cellWidth, std::int64_t i,
                 std::int32_t y, std::int32_t left, std::int32_t right)
{
    for (std::int64_t j = (std::int64_t(left) - rect.left) / cellWidth;; ++j)
    {
        const std::int64_t cellLeft = rect.left + j * cellWidth;
        if (cellLeft >= right)
            break;
        const auto from = std::int32_t(std::max<std::int64_t>(cellLeft, left));
        const auto to = std::int32_t(std::min<std::int64_t>(cellLeft + cellWidth, right));
        const std::uint32_t color = (i + j) % 2 == 0 ? kCheckerLight : kCheckerDark;
        std::fill(surface.Row(y) + from, surface.Row(y) + to, color);
    }
}

} // namespace

bool DrawCheckerboard(CSurface* surface, std::int32_t cellWidth, std::int32_t cellHeight,
                      const PixelRect* rect)
{
    if (rect == nullptr)
        return false;
    // A cell size below 1 would never reach the rectangle's far edge.
    if (cellWidth < 1 || cellHeight < 1)
        return false;
    if (surface == nullptr)
        return true;
    // Only the cells that meet the surface are visited; the rest would be
    // clipped away whole.
    const std::int32_t top = std::max(rect->top, 0);
    const std::int32_t bottom = std::min(rect->bottom, surface->GetHeight());
    const std::int32_t left = std::max(rect->left, 0);
    const std::int32_t right = std::min(rect->right, surface->GetWidth());
    if (top >= bottom || left >= right)
        return true;
    for (std::int64_t i = (std::int64_t(top) - rect->top) / cellHeight;; ++i)
    {
        const std::int64_t cellTop = rect->top + i * cellHeight;
        if (cellTop >= bottom)
            break;
        const auto first = std::int32_t(std::max<std::int64_t>(cellTop, top));
        const auto end = std::int32_t(std::min<std::int64_t>(cellTop + cellHeight, bottom));
        FillCellRow(*surface, *rect, cellWidth, i, first, left, right);
        // Every row of a row of cells is alike.
        for (std::int32_t y = first + 1; y < end; ++y)
            std::copy(surface->Row(first) + left, surface->Row(first) + right,
                      surface->Row(y) + left);
    }
    return true;
}
