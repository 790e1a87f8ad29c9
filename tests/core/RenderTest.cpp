// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/SpriteImage.h"
#include "render/Render.h"
#include "tests/core/SpriteFileTestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace
{

constexpr std::uint32_t kGrey = MakeRgb(192, 192, 192);
constexpr std::uint32_t kUntouched = MakeRgb(1, 2, 3);

using Row = std::vector<std::uint32_t>;

void FillSurface(CSurface& surface, std::int32_t width, std::int32_t height, std::uint32_t color)
{
    ASSERT_TRUE(surface.Allocate(width, height));
    surface.FillRect({0, 0, width, height}, color);
}

Row Pixels(const CSurface& surface)
{
    return {surface.GetBits(), surface.GetBits() + surface.GetWidth() * surface.GetHeight()};
}

// The checkerboard's cells are checked through the zoomed composition.
TEST(Render, BadArgumentsAndOversizedPicturesAreRefusedAndEmptyAreasDrawNothing)
{
    CSurface surface;
    FillSurface(surface, 2, 1, kUntouched);
    CSpriteImage image;
    ASSERT_TRUE(image.Create(2, 1, 24));
    std::fill_n(image.GetPixels(), 6, 9);
    const PixelRect clip{0, 0, 2, 1};
    const PixelRect empty{6, 6, 2, 2};
    // A cell side below 1 would never cover the rectangle.
    EXPECT_FALSE(DrawCheckerboard(&surface, 0, 32, &clip));
    EXPECT_FALSE(DrawCheckerboard(&surface, 32, -1, &clip));
    EXPECT_FALSE(DrawImage(&surface, 0, 0, &image, nullptr));
    EXPECT_TRUE(DrawCheckerboard(&surface, 32, 32, &empty));
    EXPECT_TRUE(DrawImage(&surface, 0, 0, &image, &empty));
    EXPECT_EQ(Pixels(surface), Row(2, kUntouched));

    // One row beyond the largest surface; the image's pixels are never read.
    CSpriteImage huge;
    ASSERT_TRUE(huge.Create(32768, std::int32_t(kMaxSurfacePixels / 32768) + 1, 8));
    EXPECT_FALSE(ComposePicture(&huge, surface));
    EXPECT_EQ(surface.GetBits(), nullptr);
}

// The colour an image pixel stands for; the key comes out fully transparent.
// A 16-bit word holds red in bits 10 to 14 and blue in bits 0 to 4; five bits
// of 31 spread to 255, any other value to 8 times itself; bit 15 is no colour.
ColorEntry SourceColor(const CSpriteImage& image, const std::uint8_t* p)
{
    const CColorTable& table = image.m_colorTable;
    const std::int32_t bits = image.GetBitsPerPixel();
    const auto spread = [p](int shift)
    {
        const int five = (p[0] | p[1] << 8) >> shift & 31;
        return std::uint8_t(five == 31 ? 255 : five * 8);
    };
    ColorEntry c{255, 0, 255, 255};
    if (bits == 8 && *p != 0 && *p < table.GetSize())
        c = {table.GetAt(*p)->red, table.GetAt(*p)->green, table.GetAt(*p)->blue, 255};
    else if (bits == 16)
        c = {spread(10), spread(5), spread(0), 255};
    else if (bits > 16)
        c = {p[0], p[1], p[2], bits == 32 ? p[3] : std::uint8_t(255)};
    if (c.red == 255 && c.green == 0 && c.blue == 255)
        c.alpha = 0;
    return c;
}

// Drawing pixel by pixel through GetPixel and SetPixel with a plain
// division: what the row-wise drawing must reproduce.
void ReferenceDraw(CSurface& surface, std::int32_t x, std::int32_t y, const CSpriteImage& image,
                   const PixelRect& clip)
{
    const std::int32_t bytes = image.GetBitsPerPixel() / 8;
    for (std::int32_t row = 0; row < image.GetHeight(); ++row)
        for (std::int32_t column = 0; column < image.GetWidth(); ++column)
        {
            const std::int32_t sx = x + column;
            const std::int32_t sy = y + row;
            if (sx >= clip.right - clip.left || sy >= clip.bottom - clip.top)
                continue;
            const ColorEntry c =
                SourceColor(image, image.GetPixels() + (row * image.GetWidth() + column) * bytes);
            const std::uint32_t d = surface.GetPixel(sx, sy);
            const auto blend = [a = c.alpha](std::uint32_t dc, std::uint32_t sc)
            { return std::uint8_t(((dc & 255) * (255 - a) + sc * a) / 255); };
            surface.SetPixel(
                sx, sy, MakeRgb(blend(d >> 16, c.red), blend(d >> 8, c.green), blend(d, c.blue)));
        }
}

// Random pixels with keys planted; the 200 table entries have random alpha,
// which an 8-bit picture ignores, entry 9 is the key, and many indices lie
// beyond the table.
TEST(DrawImage, MatchesPixelByPixelDrawingAtEveryDepthAndPlacement)
{
    const std::uint8_t keys[2][4] = {{255, 0, 255, 77}, {0x1F, 0xFC}};
    for (std::int32_t bits : {8, 16, 24, 32})
    {
        CSpriteImage image;
        ASSERT_TRUE(FillRandom(image, 37, 23, bits, std::uint32_t(bits), 200));
        for (std::int32_t i = 0; bits > 8 && i < 37 * 23; i += 7)
            std::copy_n(keys[bits == 16], bits / 8, image.GetPixels() + i * (bits / 8));
        image.SetColor(9, 255, 0, 255, 255);
        for (const PixelRect& clip :
             {PixelRect{0, 0, 64, 48}, PixelRect{7, 3, 30, 20}, PixelRect{-5, -5, 999, 999}})
            for (std::int32_t x : {-40, -10, -1, 0, 3, clip.right - clip.left - 5, 50})
                for (std::int32_t y : {-30, -5, 0, 2, 47})
                {
                    CSurface expected;
                    CSurface actual;
                    for (CSurface* surface : {&expected, &actual})
                        FillSurface(*surface, 64, 48, kGrey);
                    ReferenceDraw(expected, x, y, image, clip);
                    ASSERT_TRUE(DrawImage(&actual, x, y, &image, &clip));
                    ASSERT_TRUE(Pixels(expected) == Pixels(actual))
                        << bits << " bits at " << x << "," << y;
                }
    }
}

} // namespace
