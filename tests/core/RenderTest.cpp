#include "image/SpriteImage.h"
#include "render/Render.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <random>
#include <vector>

namespace {

constexpr std::uint32_t kGrey = MakeRgb(192, 192, 192);
constexpr std::uint32_t kWhite = MakeRgb(255, 255, 255);
constexpr std::uint32_t kUntouched = MakeRgb(1, 2, 3);

void FillSurface(CSurface& surface, std::int32_t width, std::int32_t height, std::uint32_t color)
{
    ASSERT_TRUE(surface.Allocate(width, height));
    surface.FillRect({0, 0, width, height}, color);
}

// A one-row image holding the given bytes at the given depth.
CSpriteImage RowImage(std::int32_t bits, std::initializer_list<std::uint8_t> bytes)
{
    CSpriteImage image;
    const auto width = std::int32_t(bytes.size()) / (bits / 8);
    EXPECT_TRUE(image.Create(width, 1, bits));
    std::copy(bytes.begin(), bytes.end(), image.GetPixels());
    return image;
}

// Draws a one-row image at (0, 0) over a row of background and answers the
// resulting row.
std::vector<std::uint32_t> DrawRow(const CSpriteImage& image, std::uint32_t background)
{
    CSurface surface;
    FillSurface(surface, image.GetWidth(), 1, background);
    const PixelRect clip{0, 0, image.GetWidth(), 1};
    EXPECT_TRUE(DrawImage(&surface, 0, 0, &image, &clip));
    return {surface.GetBits(), surface.GetBits() + image.GetWidth()};
}

using Row = std::vector<std::uint32_t>;

TEST(Checkerboard, SheetFrameHasNineByTenCellsCutAtTheEdges)
{
    CSurface surface;
    FillSurface(surface, 257, 289, kUntouched);
    const PixelRect frame{0, 0, 257, 289};
    ASSERT_TRUE(DrawCheckerboard(&surface, 32, 32, &frame));
    for (std::int32_t y = 0; y < 289; ++y)
        for (std::int32_t x = 0; x < 257; ++x)
            ASSERT_EQ(surface.GetPixel(x, y), (x / 32 + y / 32) % 2 == 0 ? kGrey : kWhite) << x << "," << y;
    // The ninth column and tenth row are one pixel wide, and continue the alternation.
    EXPECT_EQ(surface.GetPixel(256, 0), kGrey);
    EXPECT_EQ(surface.GetPixel(256, 32), kWhite);
    EXPECT_EQ(surface.GetPixel(0, 288), kWhite);
}

TEST(Checkerboard, CellsStartAtTheRectangleAndStayInsideIt)
{
    CSurface surface;
    FillSurface(surface, 20, 20, kUntouched);
    const PixelRect rect{3, 5, 14, 12};
    ASSERT_TRUE(DrawCheckerboard(&surface, 4, 3, &rect));
    for (std::int32_t y = 0; y < 20; ++y)
        for (std::int32_t x = 0; x < 20; ++x)
        {
            const bool inside = x >= 3 && x < 14 && y >= 5 && y < 12;
            const std::uint32_t cell = ((x - 3) / 4 + (y - 5) / 3) % 2 == 0 ? kGrey : kWhite;
            ASSERT_EQ(surface.GetPixel(x, y), inside ? cell : kUntouched) << x << "," << y;
        }
}

TEST(Checkerboard, AnswersFalseOnlyWithoutRectangleOrUsableCells)
{
    CSurface surface;
    FillSurface(surface, 8, 8, kUntouched);
    EXPECT_FALSE(DrawCheckerboard(&surface, 32, 32, nullptr));
    const PixelRect empty{5, 5, 5, 9};
    const PixelRect inverted{6, 6, 2, 2};
    const PixelRect huge{-2000000000, -2000000000, 2000000000, 2000000000};
    EXPECT_TRUE(DrawCheckerboard(&surface, 32, 32, &empty));
    EXPECT_TRUE(DrawCheckerboard(&surface, 32, 32, &inverted));
    EXPECT_TRUE(DrawCheckerboard(nullptr, 32, 32, &huge));
    // A cell size of 0 or less can never cover the rectangle.
    EXPECT_FALSE(DrawCheckerboard(&surface, 0, 32, &huge));
    EXPECT_FALSE(DrawCheckerboard(&surface, 32, -1, &huge));
    for (std::int32_t i = 0; i < 64; ++i)
        ASSERT_EQ(surface.GetBits()[i], kUntouched);
    // A rectangle far larger than the surface costs only the cells it shows.
    EXPECT_TRUE(DrawCheckerboard(&surface, 1, 1, &huge));
    EXPECT_EQ(surface.GetPixel(0, 0), kGrey);
}

TEST(DrawImage, MissingArgumentsAnswerFalseAndEmptyClipDrawsNothing)
{
    CSurface surface;
    FillSurface(surface, 4, 1, kUntouched);
    const CSpriteImage image = RowImage(24, {9, 9, 9, 9, 9, 9});
    const PixelRect clip{0, 0, 4, 1};
    const PixelRect empty{2, 0, 2, 1};
    EXPECT_FALSE(DrawImage(nullptr, 0, 0, &image, &clip));
    EXPECT_FALSE(DrawImage(&surface, 0, 0, nullptr, &clip));
    EXPECT_FALSE(DrawImage(&surface, 0, 0, &image, nullptr));
    EXPECT_TRUE(DrawImage(&surface, 0, 0, &image, &empty));
    const CSpriteImage nothing;
    EXPECT_TRUE(DrawImage(&surface, 0, 0, &nothing, &clip));
    EXPECT_EQ(Row(surface.GetBits(), surface.GetBits() + 4), Row(4, kUntouched));
}

TEST(DrawImage, EightBitIndicesGoThroughTheTableWithTheKeyLeftOut)
{
    CSpriteImage image = RowImage(8, {0, 1, 2, 3, 4, 200});
    ASSERT_EQ(image.m_colorTable.SetSize(5), 1);
    image.m_colorTable.SetAt(0, 10, 10, 10, 255);  // index 0 is never drawn
    image.m_colorTable.SetAt(1, 255, 0, 255, 255); // the key colour at any index
    image.m_colorTable.SetAt(2, 40, 50, 60, 0);    // the entry's alpha is not used
    image.m_colorTable.SetAt(3, 255, 0, 254, 255);
    image.m_colorTable.SetAt(4, 0, 0, 0, 128);
    // Index 200 lies beyond the five entries and stays transparent.
    EXPECT_EQ(DrawRow(image, kUntouched), (Row{kUntouched, kUntouched, MakeRgb(40, 50, 60),
                                                MakeRgb(255, 0, 254), MakeRgb(0, 0, 0), kUntouched}));
    image.m_colorTable.SetSize(0);
    EXPECT_EQ(DrawRow(image, kUntouched), Row(6, kUntouched));
}

TEST(DrawImage, SixteenBitWordsSpreadFiveBitsAndKeepTheKey)
{
    // Little-endian words 0x7FFF, 0x0421, 0x8421, 0x7C00, 0x001F, 0x7C1F, 0xFC1F.
    const CSpriteImage image =
        RowImage(16, {0xFF, 0x7F, 0x21, 0x04, 0x21, 0x84, 0x00, 0x7C, 0x1F, 0x00, 0x1F, 0x7C, 0x1F, 0xFC});
    EXPECT_EQ(DrawRow(image, kUntouched),
              (Row{kWhite, MakeRgb(8, 8, 8), MakeRgb(8, 8, 8), MakeRgb(255, 0, 0), MakeRgb(0, 0, 255),
                   kUntouched, kUntouched}));
}

TEST(DrawImage, TwentyFourBitPixelsAreOpaqueExceptTheKey)
{
    const CSpriteImage image = RowImage(24, {1, 2, 3, 255, 0, 255, 255, 0, 254, 0, 0, 0});
    EXPECT_EQ(DrawRow(image, kGrey), (Row{kUntouched, kGrey, MakeRgb(255, 0, 254), MakeRgb(0, 0, 0)}));
}

TEST(DrawImage, ThirtyTwoBitPixelsBlendByAlpha)
{
    // Eight pixels, so both the four-at-a-time path and single pixels see them.
    const std::initializer_list<std::uint8_t> pixels = {
        100, 50, 0, 128,   // over grey (145, 120, 95), over white (177, 152, 127)
        0, 0, 0, 254,      // over white (1, 1, 1)
        255, 255, 255, 1,  // over grey unchanged
        255, 0, 255, 128,  // the key, whatever the alpha
        10, 20, 30, 0,     // fully transparent
        10, 20, 30, 255,   // fully opaque
        255, 0, 255, 255,  // the key
        100, 50, 0, 128};
    const CSpriteImage image = RowImage(32, pixels);
    EXPECT_EQ(DrawRow(image, kGrey), (Row{MakeRgb(145, 120, 95), MakeRgb(0, 0, 0), kGrey, kGrey, kGrey,
                                          MakeRgb(10, 20, 30), kGrey, MakeRgb(145, 120, 95)}));
    const Row overWhite = DrawRow(image, kWhite);
    EXPECT_EQ(overWhite[0], MakeRgb(177, 152, 127));
    EXPECT_EQ(overWhite[1], MakeRgb(1, 1, 1));
    EXPECT_EQ(overWhite[7], MakeRgb(177, 152, 127));
}

TEST(DrawImage, ClipsAtTheEdgesOfTheClipSize)
{
    CSpriteImage image;
    ASSERT_TRUE(image.Create(20, 2, 24));
    for (std::int32_t i = 0; i < 40; ++i)
        std::fill_n(image.GetPixels() + 3 * i, 3, std::uint8_t(i));
    CSurface surface;
    FillSurface(surface, 30, 2, kUntouched);
    // The clip's position does not count, only its 25 x 2 size.
    const PixelRect clip{100, 100, 125, 102};

    ASSERT_TRUE(DrawImage(&surface, -10, 0, &image, &clip));
    for (std::int32_t x = 0; x < 10; ++x)
        EXPECT_EQ(surface.GetPixel(x, 1), MakeRgb(30 + x, 30 + x, 30 + x)) << x;
    EXPECT_EQ(surface.GetPixel(10, 0), kUntouched);

    FillSurface(surface, 30, 2, kUntouched);
    ASSERT_TRUE(DrawImage(&surface, 20, -1, &image, &clip));
    for (std::int32_t x = 0; x < 30; ++x)
    {
        const std::uint8_t v = std::uint8_t(20 + x - 20);
        EXPECT_EQ(surface.GetPixel(x, 0), x >= 20 && x < 25 ? MakeRgb(v, v, v) : kUntouched) << x;
        EXPECT_EQ(surface.GetPixel(x, 1), kUntouched) << x;
    }
}

// The drawing, pixel by pixel through GetPixel and SetPixel, with a plain
// division: what the row-wise drawing must reproduce.
struct SourceColor
{
    std::uint32_t r, g, b, a;
};

SourceColor ReferenceSource(const CSpriteImage& image, std::int32_t column, std::int32_t row)
{
    const std::int32_t bytes = image.GetBitsPerPixel() / 8;
    const std::uint8_t* p = image.GetPixels() + (std::int64_t(row) * image.GetWidth() + column) * bytes;
    switch (bytes)
    {
    case 1:
    {
        if (*p == 0 || *p >= image.m_colorTable.GetSize())
            return {255, 0, 255, 0};
        const ColorEntry& e = *image.m_colorTable.GetAt(*p);
        return {e.red, e.green, e.blue, 255};
    }
    case 2:
    {
        const std::uint32_t v = p[0] | p[1] << 8;
        auto spread = [](std::uint32_t c) { return c == 31 ? 255u : c * 8; };
        return {spread(v >> 10 & 31), spread(v >> 5 & 31), spread(v & 31), 255};
    }
    case 3: return {p[0], p[1], p[2], 255};
    default: return {p[0], p[1], p[2], p[3]};
    }
}

void ReferenceDraw(CSurface& surface, std::int32_t x, std::int32_t y, const CSpriteImage& image,
                   const PixelRect& clip)
{
    const std::int32_t cw = clip.right - clip.left;
    const std::int32_t ch = clip.bottom - clip.top;
    for (std::int32_t row = 0; row < image.GetHeight(); ++row)
        for (std::int32_t column = 0; column < image.GetWidth(); ++column)
        {
            const std::int32_t sx = x + column;
            const std::int32_t sy = y + row;
            if (sx < 0 || sy < 0 || sx >= cw || sy >= ch)
                continue;
            const SourceColor s = ReferenceSource(image, column, row);
            if (s.r == 255 && s.g == 0 && s.b == 255)
                continue;
            const std::uint32_t d = surface.GetPixel(sx, sy);
            auto blend = [&](std::uint32_t dc, std::uint32_t sc) {
                return std::uint8_t(((dc & 255) * (255 - s.a) + sc * s.a) / 255);
            };
            surface.SetPixel(sx, sy, MakeRgb(blend(d >> 16, s.r), blend(d >> 8, s.g), blend(d, s.b)));
        }
}

CSpriteImage RandomImage(std::int32_t width, std::int32_t height, std::int32_t bits, std::mt19937& random)
{
    CSpriteImage image;
    EXPECT_TRUE(image.Create(width, height, bits));
    for (std::int32_t i = 0; i < image.GetPixelBytes(); ++i)
        image.GetPixels()[i] = std::uint8_t(random());
    // Plant the key in a few pixels; random bytes hardly ever make it.
    const std::uint8_t key[4] = {255, 0, 255, 77};
    for (std::int32_t i = 0; bits >= 24 && i < image.GetPixelBytes() / 64; ++i)
        std::copy_n(key, bits / 8, image.GetPixels() + (random() % (width * height)) * (bits / 8));
    if (bits == 8)
    {
        // Indices 200 and up lie beyond the table; entry 9 is the key.
        image.m_colorTable.SetSize(200);
        for (std::int32_t i = 0; i < 200; ++i)
            image.m_colorTable.SetAt(i, std::uint8_t(random()), std::uint8_t(random()),
                                     std::uint8_t(random()), std::uint8_t(random()));
        image.m_colorTable.SetAt(9, 255, 0, 255, 255);
    }
    if (bits == 16)
        for (std::int32_t i = 0; i < width * height; i += 13)
            image.GetPixels()[2 * i + 1] |= 0x7C, image.GetPixels()[2 * i] = 0x1F;
    return image;
}

TEST(DrawImage, MatchesPixelByPixelDrawingAtEveryDepthAndPlacement)
{
    std::mt19937 random(4);
    const PixelRect clips[] = {{0, 0, 64, 48}, {7, 3, 30, 20}, {-5, -5, 1000, 1000}, {0, 0, 1, 1}};
    for (std::int32_t bits : {8, 16, 24, 32})
    {
        const CSpriteImage image = RandomImage(37, 23, bits, random);
        for (const PixelRect& clip : clips)
            for (std::int32_t x : {-40, -10, -1, 0, 3, 50})
                for (std::int32_t y : {-30, -5, 0, 2, 47})
                {
                    CSurface expected;
                    CSurface actual;
                    FillSurface(expected, 64, 48, kGrey);
                    FillSurface(actual, 64, 48, kGrey);
                    ReferenceDraw(expected, x, y, image, clip);
                    ASSERT_TRUE(DrawImage(&actual, x, y, &image, &clip));
                    ASSERT_TRUE(std::equal(expected.GetBits(), expected.GetBits() + 64 * 48, actual.GetBits()))
                        << bits << " bits at " << x << "," << y << " clip " << clip.right - clip.left;
                }
    }
}

TEST(ComposePicture, WithoutImageIsTheBareSheetSizedCheckerboard)
{
    std::int32_t width = 0;
    std::int32_t height = 0;
    PictureSize(nullptr, width, height);
    EXPECT_EQ(width, 256);
    EXPECT_EQ(height, 288);
    CSurface surface;
    ASSERT_TRUE(ComposePicture(nullptr, surface));
    ASSERT_EQ(surface.GetWidth(), 256);
    ASSERT_EQ(surface.GetHeight(), 288);
    for (std::int32_t y = 0; y < 288; ++y)
        for (std::int32_t x = 0; x < 256; ++x)
            ASSERT_EQ(surface.GetPixel(x, y), (x / 32 + y / 32) % 2 == 0 ? kGrey : kWhite);
}

TEST(ComposePicture, EqualsCheckerboardThenImageAtEveryDepth)
{
    std::mt19937 random(9);
    for (std::int32_t bits : {8, 16, 24, 32})
        for (auto [width, height] : {std::pair{256, 288}, {70, 3}, {1, 41}})
        {
            const CSpriteImage image = RandomImage(width, height, bits, random);
            CSurface composed;
            ASSERT_TRUE(ComposePicture(&image, composed));
            ASSERT_EQ(composed.GetWidth(), width);
            ASSERT_EQ(composed.GetHeight(), height);

            CSurface expected;
            ASSERT_TRUE(expected.Allocate(width, height));
            const PixelRect frame{0, 0, width + 1, height + 1};
            DrawCheckerboard(&expected, 32, 32, &frame);
            ReferenceDraw(expected, 0, 0, image, frame);
            ASSERT_TRUE(std::equal(expected.GetBits(), expected.GetBits() + width * height, composed.GetBits()))
                << bits << " bits " << width << "x" << height;
        }
}

TEST(ComposePicture, ReportsAPictureTooLargeForASurface)
{
    CSurface surface;
    EXPECT_FALSE(surface.Allocate(0, 5));
    EXPECT_FALSE(surface.Allocate(INT32_MAX, INT32_MAX));
    EXPECT_EQ(surface.GetBits(), nullptr);
    EXPECT_EQ(surface.GetWidth(), 0);

    // One row more than the largest surface; the image's buffer is never read.
    CSpriteImage huge;
    ASSERT_TRUE(huge.Create(32768, std::int32_t(kMaxSurfacePixels / 32768) + 1, 8));
    EXPECT_FALSE(ComposePicture(&huge, surface));
    const CSpriteImage empty;
    EXPECT_FALSE(ComposePicture(&empty, surface));
    EXPECT_EQ(surface.GetBits(), nullptr);
}

} // namespace
