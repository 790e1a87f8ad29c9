#include "image/SpriteImage.h"
#include "render/Render.h"

#include <gtest/gtest.h>

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

std::uint32_t CheckerAt(std::int32_t x, std::int32_t y)
{
    return (x / 32 + y / 32) % 2 == 0 ? kGrey : kWhite;
}

CSpriteImage RowImage(std::int32_t bits, std::initializer_list<std::uint8_t> bytes)
{
    CSpriteImage image;
    EXPECT_TRUE(image.Create(std::int32_t(bytes.size()) / (bits / 8), 1, bits));
    std::copy(bytes.begin(), bytes.end(), image.GetPixels());
    return image;
}

// A one-row image drawn at (0, 0) over a row of one colour.
Row DrawRow(const CSpriteImage& image, std::uint32_t background)
{
    CSurface surface;
    FillSurface(surface, image.GetWidth(), 1, background);
    const PixelRect clip{0, 0, image.GetWidth(), 1};
    EXPECT_TRUE(DrawImage(&surface, 0, 0, &image, &clip));
    return {surface.GetBits(), surface.GetBits() + image.GetWidth()};
}

TEST(Checkerboard, SheetFrameHasNineByTenCellsCutAtTheEdges)
{
    CSurface surface;
    FillSurface(surface, 257, 289, kUntouched);
    const PixelRect frame{0, 0, 257, 289};
    ASSERT_TRUE(DrawCheckerboard(&surface, 32, 32, &frame));
    for (std::int32_t y = 0; y < 289; ++y)
        for (std::int32_t x = 0; x < 257; ++x)
            ASSERT_EQ(surface.GetPixel(x, y), CheckerAt(x, y)) << x << "," << y;
    // The ninth column and the tenth row are one pixel wide.
    EXPECT_EQ(surface.GetPixel(256, 0), kGrey);
    EXPECT_EQ(surface.GetPixel(0, 288), kWhite);
}

TEST(Checkerboard, OddArgumentsDrawNothingAndFarCellsKeepTheirColours)
{
    CSurface surface;
    FillSurface(surface, 20, 20, kUntouched);
    EXPECT_FALSE(DrawCheckerboard(&surface, 32, 32, nullptr));
    const PixelRect huge{-2000000001, -2000000000, 2000000000, 2000000000};
    for (const PixelRect& empty : {PixelRect{5, 5, 5, 9}, PixelRect{6, 6, 2, 2}})
        EXPECT_TRUE(DrawCheckerboard(&surface, 32, 32, &empty));
    EXPECT_TRUE(DrawCheckerboard(nullptr, 32, 32, &huge));
    // A cell side of 0 or less would never cover the rectangle.
    EXPECT_FALSE(DrawCheckerboard(&surface, 0, 32, &huge));
    EXPECT_FALSE(DrawCheckerboard(&surface, 32, -1, &huge));
    EXPECT_EQ(Row(surface.GetBits(), surface.GetBits() + 400), Row(400, kUntouched));

    // Only the cells on the surface are drawn, counted from the far corner:
    // cell (0, 0) of the surface is cell (2000000001, 2000000000), white.
    ASSERT_TRUE(DrawCheckerboard(&surface, 1, 1, &huge));
    EXPECT_EQ(surface.GetPixel(0, 0), kWhite);
    EXPECT_EQ(surface.GetPixel(1, 0), kGrey);
    EXPECT_EQ(surface.GetPixel(19, 19), kWhite);
}

TEST(DrawImage, MissingArgumentsAnswerFalseAndEmptyClipDrawsNothing)
{
    CSurface surface;
    FillSurface(surface, 2, 1, kUntouched);
    const CSpriteImage image = RowImage(24, {9, 9, 9, 9, 9, 9});
    const CSpriteImage nothing;
    const PixelRect clip{0, 0, 2, 1};
    const PixelRect empty{2, 0, 2, 1};
    EXPECT_FALSE(DrawImage(nullptr, 0, 0, &image, &clip));
    EXPECT_FALSE(DrawImage(&surface, 0, 0, nullptr, &clip));
    EXPECT_FALSE(DrawImage(&surface, 0, 0, &image, nullptr));
    EXPECT_TRUE(DrawImage(&surface, 0, 0, &image, &empty));
    EXPECT_TRUE(DrawImage(&surface, 0, 0, &nothing, &clip));
    EXPECT_EQ(Row(surface.GetBits(), surface.GetBits() + 2), Row(2, kUntouched));
}

TEST(DrawImage, EightBitIndicesGoThroughTheTableWithTheKeyLeftOut)
{
    CSpriteImage image = RowImage(8, {0, 1, 2, 3, 200});
    ASSERT_EQ(image.m_colorTable.SetSize(4), 1);
    image.m_colorTable.SetAt(0, 10, 10, 10, 255);  // index 0 is never drawn
    image.m_colorTable.SetAt(1, 255, 0, 255, 255); // nor the key colour, at any index
    image.m_colorTable.SetAt(2, 40, 50, 60, 0);    // the entry's alpha is not used
    image.m_colorTable.SetAt(3, 255, 0, 254, 255);
    // Index 200 lies beyond the table's four entries.
    EXPECT_EQ(DrawRow(image, kUntouched),
              (Row{kUntouched, kUntouched, MakeRgb(40, 50, 60), MakeRgb(255, 0, 254), kUntouched}));
    image.m_colorTable.SetSize(0);
    EXPECT_EQ(DrawRow(image, kUntouched), Row(5, kUntouched));
}

TEST(DrawImage, SixteenAndTwentyFourBitPixelsAreOpaqueExceptTheKey)
{
    // Words 0x7FFF, 0x0421, 0x8421, 0x7C00, 0x001F, then the keys 0x7C1F and 0xFC1F.
    const CSpriteImage words = RowImage(
        16, {0xFF, 0x7F, 0x21, 0x04, 0x21, 0x84, 0x00, 0x7C, 0x1F, 0x00, 0x1F, 0x7C, 0x1F, 0xFC});
    EXPECT_EQ(DrawRow(words, kUntouched),
              (Row{kWhite, MakeRgb(8, 8, 8), MakeRgb(8, 8, 8), MakeRgb(255, 0, 0),
                   MakeRgb(0, 0, 255), kUntouched, kUntouched}));
    const CSpriteImage bytes = RowImage(24, {1, 2, 3, 255, 0, 255, 255, 0, 254});
    EXPECT_EQ(DrawRow(bytes, kGrey), (Row{kUntouched, kGrey, MakeRgb(255, 0, 254)}));
}

TEST(DrawImage, ThirtyTwoBitPixelsBlendByAlpha)
{
    // Nine pixels, so the wide paths and the single-pixel one all see them.
    // clang-format off
    const CSpriteImage image = RowImage(32, {100, 50, 0, 128,   0, 0, 0, 254,      255, 255, 255, 1,
                                             255, 0, 255, 128,  10, 20, 30, 0,     10, 20, 30, 255,
                                             255, 0, 255, 255,  100, 50, 0, 128,   100, 50, 0, 128});
    // clang-format on
    const std::uint32_t overGrey = MakeRgb(145, 120, 95);
    EXPECT_EQ(DrawRow(image, kGrey), (Row{overGrey, MakeRgb(0, 0, 0), kGrey, kGrey, kGrey,
                                          MakeRgb(10, 20, 30), kGrey, overGrey, overGrey}));
    const std::uint32_t overWhite = MakeRgb(177, 152, 127);
    EXPECT_EQ(DrawRow(image, kWhite), (Row{overWhite, MakeRgb(1, 1, 1), kWhite, kWhite, kWhite,
                                           MakeRgb(10, 20, 30), kWhite, overWhite, overWhite}));
}

TEST(DrawImage, OnlyTheClipSizeCounts)
{
    CSpriteImage image;
    ASSERT_TRUE(image.Create(20, 2, 24));
    for (std::int32_t i = 0; i < 40; ++i)
        std::fill_n(image.GetPixels() + 3 * i, 3, std::uint8_t(i));
    CSurface surface;
    FillSurface(surface, 30, 2, kUntouched);
    const PixelRect clip{100, 100, 125, 102}; // 25 x 2, wherever it lies

    ASSERT_TRUE(DrawImage(&surface, -10, 0, &image, &clip));
    EXPECT_EQ(surface.GetPixel(0, 1), MakeRgb(30, 30, 30)); // column 10 of row 1
    EXPECT_EQ(surface.GetPixel(9, 0), MakeRgb(19, 19, 19));
    EXPECT_EQ(surface.GetPixel(10, 0), kUntouched);

    FillSurface(surface, 30, 2, kUntouched);
    ASSERT_TRUE(DrawImage(&surface, 20, -1, &image, &clip)); // cw - 5
    for (std::int32_t x = 0; x < 30; ++x)
    {
        EXPECT_EQ(surface.GetPixel(x, 0), x >= 20 && x < 25 ? MakeRgb(x, x, x) : kUntouched) << x;
        EXPECT_EQ(surface.GetPixel(x, 1), kUntouched) << x;
    }
}

// The colour and alpha an image pixel stands for.
ColorEntry SourceColor(const CSpriteImage& image, const std::uint8_t* p)
{
    auto spread = [](std::uint32_t c) { return std::uint8_t(c == 31 ? 255 : c * 8); };
    switch (image.GetBitsPerPixel())
    {
    case 8:
        if (*p == 0 || *p >= image.m_colorTable.GetSize())
            return {255, 0, 255, 0};
        return {image.m_colorTable.GetAt(*p)->red, image.m_colorTable.GetAt(*p)->green,
                image.m_colorTable.GetAt(*p)->blue, 255};
    case 16:
    {
        const std::uint32_t v = p[0] | p[1] << 8;
        return {spread(v >> 10 & 31), spread(v >> 5 & 31), spread(v & 31), 255};
    }
    case 24:
        return {p[0], p[1], p[2], 255};
    default:
        return {p[0], p[1], p[2], p[3]};
    }
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
            if (sx < 0 || sy < 0 || sx >= clip.right - clip.left || sy >= clip.bottom - clip.top)
                continue;
            const std::uint8_t* p = image.GetPixels() + (row * image.GetWidth() + column) * bytes;
            const ColorEntry c = SourceColor(image, p);
            if (c.red == 255 && c.green == 0 && c.blue == 255)
                continue;
            const std::uint32_t d = surface.GetPixel(sx, sy);
            auto blend = [a = c.alpha](std::uint32_t dc, std::uint32_t sc)
            { return std::uint8_t(((dc & 255) * (255 - a) + sc * a) / 255); };
            surface.SetPixel(
                sx, sy, MakeRgb(blend(d >> 16, c.red), blend(d >> 8, c.green), blend(d, c.blue)));
        }
}

// Random pixels with keys planted; 8-bit images get 200 random entries, the
// key at entry 9, and indices beyond the table.
CSpriteImage RandomImage(std::int32_t width, std::int32_t height, std::int32_t bits,
                         std::mt19937& random)
{
    CSpriteImage image;
    EXPECT_TRUE(image.Create(width, height, bits));
    for (std::int32_t i = 0; i < image.GetPixelBytes(); ++i)
        image.GetPixels()[i] = std::uint8_t(random());
    const std::uint8_t key[4] = {255, 0, 255, 77};
    const std::uint8_t keyWord[2] = {0x1F, 0xFC};
    for (std::int32_t i = 0; bits > 8 && i < width * height; i += 7)
        std::copy_n(bits == 16 ? keyWord : key, bits / 8, image.GetPixels() + i * (bits / 8));
    image.m_colorTable.SetSize(200);
    for (std::int32_t i = 0; i < 200; ++i)
        image.m_colorTable.SetAt(i, std::uint8_t(random()), std::uint8_t(random()),
                                 std::uint8_t(random()), 0);
    image.m_colorTable.SetAt(9, 255, 0, 255, 255);
    return image;
}

bool SamePixels(const CSurface& a, const CSurface& b)
{
    return a.GetWidth() == b.GetWidth() && a.GetHeight() == b.GetHeight() &&
           std::equal(a.GetBits(), a.GetBits() + std::int64_t(a.GetWidth()) * a.GetHeight(),
                      b.GetBits());
}

TEST(DrawImage, MatchesPixelByPixelDrawingAtEveryDepthAndPlacement)
{
    std::mt19937 random(4);
    for (std::int32_t bits : {8, 16, 24, 32})
    {
        const CSpriteImage image = RandomImage(37, 23, bits, random);
        for (const PixelRect& clip :
             {PixelRect{0, 0, 64, 48}, PixelRect{7, 3, 30, 20}, PixelRect{-5, -5, 999, 999}})
            for (std::int32_t x : {-40, -10, -1, 0, 3, 50})
                for (std::int32_t y : {-30, -5, 0, 2, 47})
                {
                    CSurface expected;
                    CSurface actual;
                    FillSurface(expected, 64, 48, kGrey);
                    FillSurface(actual, 64, 48, kGrey);
                    ReferenceDraw(expected, x, y, image, clip);
                    ASSERT_TRUE(DrawImage(&actual, x, y, &image, &clip));
                    ASSERT_TRUE(SamePixels(expected, actual))
                        << bits << " bits at " << x << "," << y;
                }
    }
}

TEST(ComposePicture, IsTheCheckerboardWithTheImageOverIt)
{
    CSurface composed;
    ASSERT_TRUE(ComposePicture(nullptr, composed));
    CSurface expected;
    FillSurface(expected, 256, 288, kUntouched);
    const PixelRect sheetFrame{0, 0, 257, 289};
    DrawCheckerboard(&expected, 32, 32, &sheetFrame);
    EXPECT_TRUE(SamePixels(expected, composed));

    std::mt19937 random(9);
    for (std::int32_t bits : {8, 16, 24, 32})
        for (auto [width, height] : {std::pair{256, 288}, {70, 33}, {1, 41}})
        {
            const CSpriteImage image = RandomImage(width, height, bits, random);
            ASSERT_TRUE(ComposePicture(&image, composed));
            FillSurface(expected, width, height, kUntouched);
            const PixelRect frame{0, 0, width + 1, height + 1};
            DrawCheckerboard(&expected, 32, 32, &frame);
            ReferenceDraw(expected, 0, 0, image, frame);
            ASSERT_TRUE(SamePixels(expected, composed))
                << bits << " bits " << width << "x" << height;
        }
}

TEST(ComposePicture, ReportsAPictureTooLargeForASurface)
{
    CSurface surface;
    EXPECT_FALSE(surface.Allocate(0, 5));
    EXPECT_FALSE(surface.Allocate(INT32_MAX, INT32_MAX));
    EXPECT_EQ(surface.GetBits(), nullptr);

    // One row beyond the largest surface; the image's pixels are never read.
    CSpriteImage huge;
    ASSERT_TRUE(huge.Create(32768, std::int32_t(kMaxSurfacePixels / 32768) + 1, 8));
    ASSERT_TRUE(ComposePicture(nullptr, surface));
    EXPECT_FALSE(ComposePicture(&huge, surface));
    EXPECT_EQ(surface.GetBits(), nullptr);
    const CSpriteImage empty;
    EXPECT_FALSE(ComposePicture(&empty, surface));
    EXPECT_EQ(surface.GetWidth(), 0);
}

} // namespace
