// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/PixelFigures.h"

#include "image/SpriteImage.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace
{
// tan(22.5 degrees) in parts of 100000: below it a line is closer to
// horizontal (or vertical) than to a diagonal.
constexpr std::int64_t kTanEighthTurn = 41421;
constexpr std::int64_t kTanScale = 100000;

std::int32_t Sign(std::int32_t value)
{
    return (value > 0) - (value < 0);
}

void AddPixel(PixelRuns& runs, std::int32_t x, std::int32_t y)
{
    // A shallow line's pixels in a row make one run, whichever way it goes.
    if (!runs.empty() && runs.back().y == y && runs.back().x + runs.back().length == x)
        ++runs.back().length;
    else if (!runs.empty() && runs.back().y == y && runs.back().x - 1 == x)
    {
        --runs.back().x;
        ++runs.back().length;
    }
    else
        runs.push_back({y, x, 1});
}

std::uint8_t* PixelAt(CSpriteImage& image, std::int32_t x, std::int32_t y)
{
    return image.GetPixels() + std::size_t(y) * std::size_t(image.GetWidth()) + std::size_t(x);
}

const std::uint8_t* PixelAt(const CSpriteImage& image, std::int32_t x, std::int32_t y)
{
    return image.GetPixels() + std::size_t(y) * std::size_t(image.GetWidth()) + std::size_t(x);
}
} // namespace

PixelRuns LineRuns(SheetPoint from, SheetPoint to)
{
    PixelRuns runs;
    const std::int32_t dx = std::abs(to.x - from.x);
    const std::int32_t dy = -std::abs(to.y - from.y);
    const std::int32_t stepX = Sign(to.x - from.x);
    const std::int32_t stepY = Sign(to.y - from.y);
    std::int32_t error = dx + dy;
    for (SheetPoint at = from;;)
    {
        AddPixel(runs, at.x, at.y);
        if (at == to)
            break;
        const std::int32_t twice = 2 * error;
        if (twice >= dy)
        {
            error += dy;
            at.x += stepX;
        }
        if (twice <= dx)
        {
            error += dx;
            at.y += stepY;
        }
    }
    return runs;
}

PixelRuns RectangleRuns(SheetPoint corner, SheetPoint opposite, bool filled)
{
    const SheetRect box = RectBetween(corner, opposite);
    const std::int32_t bottom = box.y + box.height - 1;
    const std::int32_t right = box.x + box.width - 1;
    PixelRuns runs;
    for (std::int32_t y = box.y; y <= bottom; ++y)
    {
        if (filled || y == box.y || y == bottom)
            runs.push_back({y, box.x, box.width});
        else
        {
            runs.push_back({y, box.x, 1});
            if (right != box.x)
                runs.push_back({y, right, 1});
        }
    }
    return runs;
}

SheetPoint ConstrainAngle(SheetPoint from, SheetPoint to)
{
    const std::int32_t dx = to.x - from.x;
    const std::int32_t dy = to.y - from.y;
    const std::int64_t across = std::abs(dx);
    const std::int64_t down = std::abs(dy);
    if (down * kTanScale < across * kTanEighthTurn)
        return {to.x, from.y};
    if (across * kTanScale < down * kTanEighthTurn)
        return {from.x, to.y};
    const auto side = std::int32_t((across + down + 1) / 2);
    return {from.x + Sign(dx) * side, from.y + Sign(dy) * side};
}

SheetRect RectBetween(SheetPoint corner, SheetPoint opposite)
{
    const std::int32_t left = std::min(corner.x, opposite.x);
    const std::int32_t top = std::min(corner.y, opposite.y);
    return {left, top, std::max(corner.x, opposite.x) - left + 1,
            std::max(corner.y, opposite.y) - top + 1};
}

bool Contains(const SheetRect& area, SheetPoint point)
{
    return point.x >= area.x && point.y >= area.y && point.x < area.x + area.width &&
           point.y < area.y + area.height;
}

SheetRect ClipToPicture(const SheetRect& area, const CSpriteImage& image)
{
    const std::int32_t left = std::max(area.x, 0);
    const std::int32_t top = std::max(area.y, 0);
    const std::int32_t right = std::min(area.x + area.width, image.GetWidth());
    const std::int32_t bottom = std::min(area.y + area.height, image.GetHeight());
    if (right <= left || bottom <= top)
        return {};
    return {left, top, right - left, bottom - top};
}

SheetRect PaintRuns(CSpriteImage& image, const PixelRuns& runs, std::uint8_t value)
{
    SheetRect changed;
    for (const PixelRun& run : runs)
    {
        const SheetRect row = ClipToPicture({run.x, run.y, run.length, 1}, image);
        if (row.IsEmpty())
            continue;
        std::uint8_t* pixel = PixelAt(image, row.x, row.y);
        std::int32_t first = -1;
        std::int32_t last = -1;
        for (std::int32_t i = 0; i < row.width; ++i)
            if (pixel[i] != value)
            {
                pixel[i] = value;
                first = first < 0 ? i : first;
                last = i;
            }
        if (first >= 0)
            changed = Union(changed, {row.x + first, row.y, last - first + 1, 1});
    }
    return changed;
}

SheetRect FloodFill(CSpriteImage& image, SheetPoint at, std::uint8_t value)
{
    if (!Contains({0, 0, image.GetWidth(), image.GetHeight()}, at))
        return {};
    const std::uint8_t target = *PixelAt(image, at.x, at.y);
    if (target == value)
        return {};
    // Each seed fills its whole run of the row, then seeds the runs above
    // and below that touch it.
    SheetRect changed;
    std::vector<SheetPoint> seeds{at};
    while (!seeds.empty())
    {
        const SheetPoint seed = seeds.back();
        seeds.pop_back();
        std::uint8_t* row = PixelAt(image, 0, seed.y);
        if (row[seed.x] != target)
            continue;
        std::int32_t left = seed.x;
        std::int32_t right = seed.x;
        while (left > 0 && row[left - 1] == target)
            --left;
        while (right + 1 < image.GetWidth() && row[right + 1] == target)
            ++right;
        std::memset(row + left, value, std::size_t(right - left + 1));
        changed = Union(changed, {left, seed.y, right - left + 1, 1});
        for (const std::int32_t y : {seed.y - 1, seed.y + 1})
        {
            if (y < 0 || y >= image.GetHeight())
                continue;
            const std::uint8_t* next = PixelAt(image, 0, y);
            for (std::int32_t x = left; x <= right; ++x)
                if (next[x] == target && (x == left || next[x - 1] != target))
                    seeds.push_back({x, y});
        }
    }
    return changed;
}

namespace
{
std::vector<std::uint8_t> CopyRows(const std::uint8_t* pixels, std::int32_t width,
                                   const SheetRect& area)
{
    std::vector<std::uint8_t> bytes(std::size_t(area.width) * std::size_t(area.height));
    for (std::int32_t row = 0; row < area.height; ++row)
        std::memcpy(bytes.data() + std::size_t(row) * std::size_t(area.width),
                    pixels + std::size_t(area.y + row) * std::size_t(width) + std::size_t(area.x),
                    std::size_t(area.width));
    return bytes;
}
} // namespace

std::vector<std::uint8_t> CopyArea(const CSpriteImage& image, const SheetRect& area)
{
    return CopyRows(image.GetPixels(), image.GetWidth(), area);
}

std::vector<std::uint8_t> CopyArea(const std::vector<std::uint8_t>& pixels, std::int32_t width,
                                   const SheetRect& area)
{
    return CopyRows(pixels.data(), width, area);
}

void PutArea(CSpriteImage& image, const SheetRect& area, const std::uint8_t* bytes)
{
    for (std::int32_t row = 0; row < area.height; ++row)
        std::memcpy(PixelAt(image, area.x, area.y + row),
                    bytes + std::size_t(row) * std::size_t(area.width), std::size_t(area.width));
}

SheetRect ChangedSince(const CSpriteImage& image, const std::vector<std::uint8_t>& before,
                       const SheetRect& within)
{
    const SheetRect area = ClipToPicture(within, image);
    SheetRect changed;
    for (std::int32_t y = area.y; y < area.y + area.height; ++y)
    {
        const std::uint8_t* now = PixelAt(image, area.x, y);
        const std::uint8_t* old =
            before.data() + std::size_t(y) * std::size_t(image.GetWidth()) + std::size_t(area.x);
        std::int32_t first = 0;
        while (first < area.width && now[first] == old[first])
            ++first;
        if (first == area.width)
            continue;
        std::int32_t last = area.width - 1;
        while (now[last] == old[last])
            --last;
        changed = Union(changed, {area.x + first, y, last - first + 1, 1});
    }
    return changed;
}

void FlipBlock(std::vector<std::uint8_t>& block, std::int32_t width, std::int32_t height,
               bool horizontal)
{
    const auto rowBytes = std::size_t(width);
    if (horizontal)
    {
        for (std::int32_t row = 0; row < height; ++row)
            std::reverse(block.begin() + std::ptrdiff_t(row * rowBytes),
                         block.begin() + std::ptrdiff_t((row + 1) * rowBytes));
        return;
    }
    for (std::int32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(block.begin() + std::ptrdiff_t(top * rowBytes),
                         block.begin() + std::ptrdiff_t((top + 1) * rowBytes),
                         block.begin() + std::ptrdiff_t(bottom * rowBytes));
}
