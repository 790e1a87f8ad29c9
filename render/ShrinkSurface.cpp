// SPDX-License-Identifier: GPL-3.0-or-later
#include "render/ShrinkSurface.h"

#include <algorithm>
#include <vector>

namespace
{
// Red and blue are summed side by side in the 16-bit halves of a word.
constexpr std::uint32_t kRedBlue = 0x00FF00FF;

// Dividing by a block's pixel count, rounded, as a multiplication: with
// ceil(2^32 / count) the product's top half is exact for sums below 2^24.
struct Divider
{
    explicit Divider(std::uint32_t pixels)
        : count(pixels), reciprocal(((std::uint64_t(1) << 32) + pixels - 1) / pixels)
    {
    }
    std::uint8_t Average(std::uint32_t sum) const
    {
        return std::uint8_t((std::uint64_t(sum + count / 2) * reciprocal) >> 32);
    }

    std::uint32_t count;
    std::uint64_t reciprocal;
};

// Adds one row of pixels to the column sums.
void AddRow(const std::uint32_t* row, std::int32_t width, std::uint32_t* redBlue,
            std::uint32_t* green)
{
    for (std::int32_t x = 0; x < width; ++x)
    {
        redBlue[x] += row[x] & kRedBlue;
        green[x] += (row[x] >> 8) & 0xFF;
    }
}
} // namespace

bool ShrinkSurface(const CSurface& from, std::int32_t divisor, CSurface& to)
{
    const std::int32_t width = from.GetWidth();
    const std::int32_t height = from.GetHeight();
    if (divisor < 1 || divisor > kMaxShrinkDivisor || width < 1 || height < 1 ||
        !to.Allocate((width + divisor - 1) / divisor, (height + divisor - 1) / divisor))
    {
        to.Free();
        return false;
    }
    // One band of `divisor` rows at a time: its columns summed, then each
    // block's columns.
    const auto columns = std::size_t(width);
    std::vector<std::uint32_t> redBlue(columns);
    std::vector<std::uint32_t> green(columns);
    for (std::int32_t outY = 0; outY < to.GetHeight(); ++outY)
    {
        std::fill(redBlue.begin(), redBlue.end(), 0);
        std::fill(green.begin(), green.end(), 0);
        const std::int32_t top = outY * divisor;
        const std::int32_t bottom = std::min(height, top + divisor);
        for (std::int32_t y = top; y < bottom; ++y)
            AddRow(from.Row(y), width, redBlue.data(), green.data());
        std::uint32_t* out = to.Row(outY);
        const Divider whole(std::uint32_t(divisor * (bottom - top)));
        for (std::int32_t outX = 0, x = 0; x < width; ++outX)
        {
            const std::int32_t end = std::min(width, x + divisor);
            const Divider block =
                end - x == divisor ? whole : Divider(std::uint32_t((end - x) * (bottom - top)));
            std::uint32_t blockRedBlue = 0;
            std::uint32_t blockGreen = 0;
            for (; x < end; ++x)
            {
                blockRedBlue += redBlue[std::size_t(x)];
                blockGreen += green[std::size_t(x)];
            }
            out[outX] = MakeRgb(block.Average(blockRedBlue >> 16), block.Average(blockGreen),
                                block.Average(blockRedBlue & 0xFFFF));
        }
    }
    return true;
}
