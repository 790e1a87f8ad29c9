#include "image/SpriteImage.h"
#include "render/Render.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <vector>

namespace
{

constexpr std::uint32_t kGrey = MakeRgb(192, 192, 192);
constexpr std::uint32_t kWhite = MakeRgb(255, 255, 255);
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

CSpriteImage RowImage(std::int32_t bits, std::initializer_list<std::uint8_t> bytes)
{
    CSpriteImage image;
    EXPECT_TRUE(image.Create(std::int32_t(bytes.size()) / (bits / 8), 1, bits));
    std::copy(bytes.begin(), bytes.end(), image.GetPixels());
    return image;
}

TEST(Checkerboard, SheetFrameHasNineByTenCellsCutAtTheEdges)
{
    CSurface surface;
    FillSurface(surface, 257, 289, kUntouched);
    const PixelRect frame{0, 0, 257, 289};
    ASSERT_TRUE(DrawCheckerboard(&surface, 32, 32, &frame));
    for (std::int32_t y = 0; y < 289; ++y)
        for (std::int32_t x = 0; x < 257; ++x)
            ASSERT_EQ(surface.GetPixel(x, y), (x / 32 + y / 32) % 2 ? kWhite : kGrey) << x << y;
}

TEST(Render, BadArgumentsAreRefusedAndEmptyAreasDrawNothing)
{
    CSurface surface;
    FillSurface(surface, 2, 1, kUntouched);
    const CSpriteImage image = RowImage(24, {9, 9, 9, 9, 9, 9});
    const PixelRect clip{0, 0, 2, 1};
    // A cell side below 1 would never cover the rectangle.
    EXPECT_FALSE(DrawCheckerboard(&surface, 0, 32, &clip));
    EXPECT_FALSE(DrawCheckerboard(&surface, 32, -1, &clip));
    EXPECT_FALSE(DrawImage(&surface, 0, 0, &image, nullptr));
    for (const PixelRect& empty : {PixelRect{2, 0, 2, 1}, PixelRect{6, 6, 2, 2}})
    {
        EXPECT_TRUE(DrawCheckerboard(&surface, 32, 32, &empty));
        EXPECT_TRUE(DrawImage(&surface, 0, 0, &image, &empty));
    }
    EXPECT_EQ(Pixels(surface), Row(2, kUntouched));
}

// Worked values for the pixel-by-pixel drawing below to agree with: five
// bits of 31 give 255, bit 15 is not a colour, and both keys are left out.
TEST(DrawImage, WordsGiveTheWorkedColours)
{
    // Words 0x7FFF, 0x0421, 0x8421, 0x7C00, 0x001F, then the keys 0x7C1F and 0xFC1F.
    const CSpriteImage words = RowImage(
        16, {0xFF, 0x7F, 0x21, 0x04, 0x21, 0x84, 0x00, 0x7C, 0x1F, 0x00, 0x1F, 0x7C, 0x1F, 0xFC});
    CSurface surface;
    FillSurface(surface, 7, 1, kUntouched);
    const PixelRect clip{0, 0, 7, 1};
    ASSERT_TRUE(DrawImage(&surface, 0, 0, &words, &clip));
    EXPECT_EQ(Pixels(surface), (Row{kWhite, MakeRgb(8, 8, 8), MakeRgb(8, 8, 8), MakeRgb(255, 0, 0),
                                    MakeRgb(0, 0, 255), kUntouched, kUntouched}));
}

// The colour an image pixel stands for; the key comes out fully transparent.
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

// Random pixels with keys planted; the 200 table entries have alpha 0,
// entry 9 is the key, and many indices lie beyond the table.
TEST(DrawImage, MatchesPixelByPixelDrawingAtEveryDepthAndPlacement)
{
    std::mt19937 random(4);
    const std::uint8_t keys[2][4] = {{255, 0, 255, 77}, {0x1F, 0xFC}};
    for (std::int32_t bits : {8, 16, 24, 32})
    {
        CSpriteImage image;
        ASSERT_TRUE(image.Create(37, 23, bits));
        std::generate_n(image.GetPixels(), image.GetPixelBytes(), [&] { return random(); });
        for (std::int32_t i = 0; bits > 8 && i < 37 * 23; i += 7)
            std::copy_n(keys[bits == 16], bits / 8, image.GetPixels() + i * (bits / 8));
        image.m_colorTable.SetSize(200);
        for (std::int32_t i = 0; i < 200; ++i)
            image.m_colorTable.SetAt(i, std::uint8_t(i), std::uint8_t(random()), 99, 0);
        image.m_colorTable.SetAt(9, 255, 0, 255, 255);
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

TEST(ComposePicture, RefusesAPictureTooLargeForASurface)
{
    CSurface surface;
    ASSERT_TRUE(ComposePicture(nullptr, surface));
    // One row beyond the largest surface; the image's pixels are never read.
    CSpriteImage huge;
    ASSERT_TRUE(huge.Create(32768, std::int32_t(kMaxSurfacePixels / 32768) + 1, 8));
    EXPECT_FALSE(ComposePicture(&huge, surface));
    EXPECT_EQ(surface.GetBits(), nullptr);
}

} // namespace
