// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReduceTestPictures.h"

#include "reduce/Colorways.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

constexpr int kClasses = 14;

// Colourway n of the sprite: each class in its own 15-bit colour, but
// colourway 3 shows classes 0 and 1 alike (they are still two classes).
std::vector<ColorEntry> Colorway(int n)
{
    std::vector<ColorEntry> colors;
    for (int c = 0; c < kClasses; ++c)
        colors.push_back(Word((c * 2 + n * 7) % 32, (c * 5 + n) % 32, (31 - c - n * 3 + 64) % 32));
    if (n == 3)
        colors[1] = colors[0];
    return colors;
}

struct Pictures
{
    std::vector<CSpriteImage> pictures;
    std::vector<const CSpriteImage*> Pointers() const
    {
        std::vector<const CSpriteImage*> pointers;
        for (const CSpriteImage& picture : pictures)
            pointers.push_back(&picture);
        return pointers;
    }
    std::vector<PaletteRow> Rows() const { return std::vector<PaletteRow>(pictures.size()); }
};

Pictures EightColorways()
{
    Pictures eight;
    for (int n = 0; n < 8; ++n)
        eight.pictures.push_back(Sprite(Colorway(n).data(), kClasses));
    return eight;
}

void ExpectRowShows(const ColorwaySheet& sheet, std::size_t p, const CSpriteImage& picture)
{
    for (int y = 0; y < picture.GetHeight(); ++y)
        for (int x = 0; x < picture.GetWidth(); ++x)
        {
            const std::uint8_t index = sheet.sheet.GetPixels()[y * picture.GetWidth() + x];
            const ColorEntry want = PixelOf(picture, x, y);
            ASSERT_EQ(index == 0, want.alpha == 0);
            if (index != 0)
            {
                ASSERT_TRUE(SameColor(sheet.rows[p][index], want)) << p << ": " << x << ", " << y;
            }
        }
}

TEST(Colorways, EightColorwaysOfASpriteRebuildEveryPictureExactly)
{
    const Pictures eight = EightColorways();
    ColorwaySheet sheet;
    ASSERT_TRUE(BuildColorways(eight.Pointers(), eight.Rows(), kDefaultAlphaThreshold, sheet));
    EXPECT_EQ(sheet.classCount, kClasses);
    ASSERT_EQ(sheet.rows.size(), 8u);
    for (std::size_t p = 0; p < 8; ++p)
    {
        ExpectRowShows(sheet, p, eight.pictures[p]);
        EXPECT_EQ(sheet.reports[p].changedPixels, 0);
    }
}

TEST(Colorways, ColorsOutside15BitsAreRoundedAndReported)
{
    Pictures two = EightColorways();
    two.pictures.resize(2);
    // Pixel (1, 1) is opaque.
    std::uint8_t* pixel = two.pictures[1].GetPixels() + 4 * (1 * 24 + 1);
    const ColorEntry old{pixel[0], pixel[1], pixel[2], 255};
    ColorwaySheet sheet;
    ASSERT_TRUE(BuildColorways(two.Pointers(), two.Rows(), kDefaultAlphaThreshold, sheet));
    EXPECT_EQ(sheet.reports[1].changedPixels, 0);
    // Every pixel of that colour a little off the 15-bit grid.
    for (int i = 0; i < 24 * 16; ++i)
    {
        std::uint8_t* p = two.pictures[1].GetPixels() + 4 * i;
        if (p[3] != 0 && SameColor({p[0], p[1], p[2], 255}, old))
            p[0] = std::uint8_t(p[0] ^ 3);
    }
    ASSERT_TRUE(BuildColorways(two.Pointers(), two.Rows(), kDefaultAlphaThreshold, sheet));
    EXPECT_GT(sheet.reports[1].changedPixels, 0);
    EXPECT_GT(sheet.reports[1].meanError, 0);
    EXPECT_EQ(sheet.reports[0].changedPixels, 0);
}

TEST(Colorways, TooManyClassesAndDifferentTransparencyAreRefusedWithTheirPixel)
{
    Pictures eight = EightColorways();
    // In picture 5, pixel (20, 9) becomes a class of its own, the 15th; then
    // pixel (21, 11) the 16th.
    const auto recolor = [&](int x, int y, ColorEntry c)
    { std::copy_n(&c.red, 4, eight.pictures[4].GetPixels() + 4 * (y * 24 + x)); };
    recolor(20, 9, Word(1, 2, 3));
    ColorwaySheet sheet;
    EXPECT_TRUE(BuildColorways(eight.Pointers(), eight.Rows(), kDefaultAlphaThreshold, sheet));
    EXPECT_EQ(sheet.classCount, 15);
    recolor(21, 11, Word(3, 2, 1));
    Result result = BuildColorways(eight.Pointers(), eight.Rows(), kDefaultAlphaThreshold, sheet);
    EXPECT_EQ(result.reason, Reason::ColorwayTooManyClasses);
    EXPECT_EQ(
        ReasonText(result),
        "16 colour classes are more than the 15 a palette row holds; pixel (21, 11) makes one "
        "too many");

    recolor(5, 3, kClear);
    result = BuildColorways(eight.Pointers(), eight.Rows(), kDefaultAlphaThreshold, sheet);
    EXPECT_EQ(
        ReasonText(result),
        "picture 5 is not transparent exactly where the base picture is: pixel (5, 3) differs");
    eight.pictures[6] = DrawPicture(24, 17, [](int, int) { return kClear; });
    eight.pictures.resize(7);
    result = BuildColorways(eight.Pointers(), eight.Rows(), kDefaultAlphaThreshold, sheet);
    EXPECT_EQ(result.reason, Reason::ColorwayTransparencyDiffers) << "picture 5 comes first";
    eight.pictures.erase(eight.pictures.begin() + 4);
    result = BuildColorways(eight.Pointers(), eight.Rows(), kDefaultAlphaThreshold, sheet);
    EXPECT_EQ(ReasonText(result), "picture 6 is 24 x 17, the base 24 x 16");
}

TEST(Colorways, ReductionGivesEachPictureTheColorsOfItsPixelsInEachEntry)
{
    // Ten hues, each in two shades one step apart: twenty classes. The
    // second picture shows both shades of a hue alike, so however the
    // reduction merges shades, its entries hold exactly its colours.
    std::vector<ColorEntry> base, merged;
    for (int hue = 0; hue < 10; ++hue)
        for (int shade = 0; shade < 2; ++shade)
        {
            base.push_back(Word(hue * 3, 31 - hue * 3, 10 + shade));
            merged.push_back(Word(31 - hue * 3, hue % 3 * 10, hue * 3));
        }
    Pictures two;
    const auto draw = [](const std::vector<ColorEntry>& colors)
    {
        return DrawPicture(40, 20,
                           [&](int x, int y) { return colors[std::size_t((x + y * 3) % 20)]; });
    };
    two.pictures = {draw(base), draw(merged)};
    ColorwaySheet sheet;
    EXPECT_EQ(BuildColorways(two.Pointers(), two.Rows(), kDefaultAlphaThreshold, sheet).value, 20);
    ASSERT_TRUE(ReduceColorways(two.Pointers(), two.Rows(), ReduceOptions{}, sheet));
    EXPECT_EQ(sheet.classCount, 20);
    EXPECT_GT(sheet.reports[0].changedPixels, 0);
    EXPECT_LT(sheet.reports[0].meanError, 1.0);
    EXPECT_EQ(sheet.reports[1].changedPixels, 0);
    ExpectRowShows(sheet, 1, two.pictures[1]);
}

} // namespace
