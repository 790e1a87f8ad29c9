// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/ShrinkSurface.h"

#include <algorithm>
#include <vector>

namespace
{
struct ChannelSums
{
    std::uint32_t red = 0;
    std::uint32_t green = 0;
    std::uint32_t blue = 0;
};

std::uint8_t Average(std::uint32_t sum, std::uint32_t count)
{
    return std::uint8_t((sum + count / 2) / count);
}
} // namespace

bool ShrinkSurface(const CSurface& from, std::int32_t divisor, CSurface& to)
{
    const std::int32_t width = from.GetWidth();
    const std::int32_t height = from.GetHeight();
    if (divisor < 1 || width < 1 || height < 1 ||
        !to.Allocate((width + divisor - 1) / divisor, (height + divisor - 1) / divisor))
    {
        to.Free();
        return false;
    }
    // One band of `divisor` source rows at a time, summed column by column.
    std::vector<ChannelSums> sums(std::size_t(to.GetWidth()));
    for (std::int32_t outY = 0; outY < to.GetHeight(); ++outY)
    {
        std::fill(sums.begin(), sums.end(), ChannelSums());
        const std::int32_t top = outY * divisor;
        const std::int32_t bottom = std::min(height, top + divisor);
        for (std::int32_t y = top; y < bottom; ++y)
        {
            const std::uint32_t* row = from.Row(y);
            for (std::int32_t x = 0, outX = 0; x < width; ++outX)
            {
                ChannelSums& sum = sums[std::size_t(outX)];
                for (const std::int32_t end = std::min(width, x + divisor); x < end; ++x)
                {
                    sum.red += (row[x] >> 16) & 0xFF;
                    sum.green += (row[x] >> 8) & 0xFF;
                    sum.blue += row[x] & 0xFF;
                }
            }
        }
        std::uint32_t* out = to.Row(outY);
        for (std::int32_t outX = 0; outX < to.GetWidth(); ++outX)
        {
            const std::int32_t columns = std::min(width, (outX + 1) * divisor) - outX * divisor;
            const auto count = std::uint32_t(columns * (bottom - top));
            const ChannelSums& sum = sums[std::size_t(outX)];
            out[outX] = MakeRgb(Average(sum.red, count), Average(sum.green, count),
                                Average(sum.blue, count));
        }
    }
    return true;
}
