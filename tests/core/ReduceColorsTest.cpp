// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReduceTestPictures.h"

#include "reduce/LabColor.h"
#include "reduce/ReduceColors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <tuple>

namespace
{

// Twelve 15-bit colours, some close together, and a transparent ground.
const ColorEntry kTwelve[] = {Word(0, 0, 0),   Word(31, 31, 31), Word(31, 0, 0),   Word(30, 0, 0),
                              Word(0, 20, 5),  Word(3, 7, 28),   Word(16, 16, 16), Word(17, 16, 16),
                              Word(25, 18, 9), Word(9, 4, 2),    Word(28, 24, 1),  Word(12, 1, 19)};

// A row holding every picture colour and three others, in another order.
PaletteRow RowHolding(const ColorEntry* colors, int count)
{
    PaletteRow row{};
    row[0] = {255, 0, 255, 255};
    for (int i = 1; i <= count; ++i)
        row[std::size_t(i)] = colors[(i * 5) % count];
    for (int i = count + 1; i < kPaletteRowSize; ++i)
        row[std::size_t(i)] = Word(i, 31 - i, i / 2);
    return row;
}

// The colour each pixel of the reduced picture shows, and whether it shows one.
void ExpectShowsPicture(const CSpriteImage& original, const ReducedPicture& reduced)
{
    const std::uint8_t* indices = reduced.picture.GetPixels();
    for (int y = 0; y < original.GetHeight(); ++y)
        for (int x = 0; x < original.GetWidth(); ++x)
        {
            const ColorEntry want = PixelOf(original, x, y);
            const std::uint8_t index = indices[y * original.GetWidth() + x];
            ASSERT_EQ(index == 0, want.alpha == 0) << x << ", " << y;
            if (index != 0)
            {
                ASSERT_TRUE(SameColor(ColorWordToEntry(EntryToColorWord(reduced.row[index])), want))
                    << x << ", " << y;
            }
        }
}

TEST(LabColor, DeltaE2000MatchesPublishedPairs)
{
    // Sharma, Wu and Dalal's test data: the blue region, greys, and the
    // mean hue on either side of its half-turn discontinuity.
    const float pairs[][7] = {
        {50, 2.6772f, -79.7751f, 50, 0, -82.7485f, 2.0425f},
        {50, -1.3802f, -84.2814f, 50, 0, -82.7485f, 1.0000f},
        {50, 0, 0, 50, -1, 2, 2.3669f},
        {50, 2.49f, -0.001f, 50, -2.49f, 0.001f, 7.1792f},
        {50, 2.49f, -0.001f, 50, -2.49f, 0.0011f, 7.2195f},
        {50, -0.001f, 2.49f, 50, 0.0011f, -2.49f, 4.7461f},
        {50, 2.5f, 0, 56, -27, -3, 31.9030f},
        {60.2574f, -34.0099f, 36.2677f, 60.4626f, -34.1751f, 39.4387f, 1.2644f},
        {22.7233f, 20.0904f, -46.694f, 23.0331f, 14.973f, -42.5619f, 2.0373f},
        {2.0776f, 0.0795f, -1.135f, 0.9033f, -0.0636f, -0.5514f, 0.9082f},
    };
    const auto lab = [](float L, float a, float b) {
        return LabColor{L, a, b, std::sqrt(a * a + b * b)};
    };
    for (const auto& p : pairs)
    {
        const LabColor first = lab(p[0], p[1], p[2]);
        const LabColor second = lab(p[3], p[4], p[5]);
        EXPECT_NEAR(DeltaE2000(first, second), p[6], 2e-4) << p[6];
        EXPECT_NEAR(DeltaE2000(second, first), p[6], 2e-4) << p[6];
        EXPECT_EQ(DeltaE2000(second, second), 0);
    }
}

TEST(ReduceColors, FifteenBitPicturesComeBackExactlyWithAnyTargetAndDithering)
{
    const CSpriteImage picture = Sprite(kTwelve, 12);
    // Half the colours in the row at other places, the rest for the choosing.
    PaletteRow partial = RowHolding(kTwelve, 12);
    for (int i = 1; i < kPaletteRowSize; i += 2)
        partial[std::size_t(i)] = Word(i, 2, 2);
    const std::tuple<ReduceTarget, PaletteRow> targets[] = {
        {ReduceTarget::NewColors, PaletteRow{}},
        {ReduceTarget::FixedColors, RowHolding(kTwelve, 12)},
        {ReduceTarget::KeepUsedColors, RowHolding(kTwelve, 12)},
        {ReduceTarget::KeepUsedColors, partial},
    };
    for (const auto& [target, row] : targets)
        for (Dithering dithering : {Dithering::None, Dithering::Ordered, Dithering::Diffusion})
        {
            ReduceOptions options;
            options.target = target;
            options.dithering = dithering;
            ReducedPicture reduced;
            ASSERT_TRUE(ReduceColors(picture, row, options, reduced));
            ExpectShowsPicture(picture, reduced);
            EXPECT_EQ(reduced.report.changedPixels, 0);
            EXPECT_EQ(reduced.report.meanError, 0);
            EXPECT_EQ(reduced.row[0].red, row[0].red); // entry 0 is the row's own
        }
}

TEST(ReduceColors, EightAndTwentyFourBitPicturesComeBackExactly)
{
    const CSpriteImage picture = Sprite(kTwelve, 12);
    CSpriteImage indexed;
    indexed.Create(picture.GetWidth(), picture.GetHeight(), 8);
    indexed.m_colorTable.SetSize(256);
    CSpriteImage keyed;
    keyed.Create(picture.GetWidth(), picture.GetHeight(), 24);
    for (int i = 0; i < 13; ++i)
        indexed.m_colorTable.SetAt(i, i == 0 ? kClear : kTwelve[i - 1]);
    for (int i = 0; i < picture.GetWidth() * picture.GetHeight(); ++i)
    {
        const ColorEntry c = PixelOf(picture, i % picture.GetWidth(), i / picture.GetWidth());
        const auto* at = std::find_if(std::begin(kTwelve), std::end(kTwelve),
                                      [&](const ColorEntry& k) { return SameColor(k, c); });
        indexed.GetPixels()[i] = c.alpha == 0 ? 0 : std::uint8_t(at - kTwelve + 1);
        // The colour key is how a 24-bit picture is transparent.
        const ColorEntry shown = c.alpha == 0 ? ColorEntry{255, 0, 255, 255} : c;
        std::copy_n(&shown.red, 3, keyed.GetPixels() + 3 * i);
    }
    for (const CSpriteImage* source : {&indexed, &keyed})
    {
        ReducedPicture reduced;
        ASSERT_TRUE(ReduceColors(*source, PaletteRow{}, ReduceOptions{}, reduced));
        ExpectShowsPicture(picture, reduced);
    }
}

// A picture of many colours: gradients, some partly transparent.
CSpriteImage Gradients()
{
    return DrawPicture(64, 48,
                       [](int x, int y)
                       {
                           return ColorEntry{std::uint8_t(x * 4), std::uint8_t(y * 5),
                                             std::uint8_t((x * y) % 251),
                                             std::uint8_t(x < 4 ? x * 60 : 255)};
                       });
}

TEST(ReduceColors, FifteenClustersOfColorsGetAWordEach)
{
    // Fifteen colours far apart, each spread into 27 shades a step or two
    // up: a cluster left without a word of its own would be far off.
    const ColorEntry far[] = {{0, 0, 0, 255},       {244, 244, 244, 255}, {220, 20, 20, 255},
                              {20, 180, 20, 255},   {30, 30, 220, 255},   {240, 230, 30, 255},
                              {30, 220, 230, 255},  {200, 40, 200, 255},  {240, 140, 20, 255},
                              {110, 30, 150, 255},  {128, 128, 128, 255}, {120, 70, 30, 255},
                              {244, 170, 200, 255}, {20, 80, 40, 255},    {20, 30, 90, 255}};
    const CSpriteImage picture = DrawPicture(
        27, 15,
        [&](int x, int y)
        {
            const auto shade = [](std::uint8_t c, int s) { return std::uint8_t(c + s * 3); };
            const ColorEntry c = far[y];
            return ColorEntry{shade(c.red, x % 3), shade(c.green, x / 3 % 3), shade(c.blue, x / 9),
                              255};
        });
    ReducedPicture reduced;
    ASSERT_TRUE(ReduceColors(picture, PaletteRow{}, ReduceOptions{}, reduced));
    EXPECT_LT(reduced.report.largestError, 8.0);
    EXPECT_LT(reduced.report.meanError, 2.0);
}

TEST(ReduceColors, FixedAndKeptRowColorsNeverChangeAndFixedOnesAloneAreUsed)
{
    const CSpriteImage picture = Gradients();
    PaletteRow row = RowHolding(kTwelve, 12);
    row[13] = {100, 101, 102, 7}; // not a 15-bit colour: kept as it is all the same
    for (Dithering dithering : {Dithering::None, Dithering::Ordered, Dithering::Diffusion})
    {
        ReduceOptions options;
        options.target = ReduceTarget::FixedColors;
        options.dithering = dithering;
        ReducedPicture reduced;
        ASSERT_TRUE(ReduceColors(picture, row, options, reduced));
        EXPECT_EQ(std::memcmp(reduced.row.data(), row.data(), sizeof row), 0);
        const std::uint8_t* pixels = reduced.picture.GetPixels();
        std::set<int> used(pixels, pixels + reduced.picture.GetPixelBytes());
        EXPECT_GT(used.size(), 8u) << "the gradients use most of the row";
        EXPECT_EQ(std::count(pixels, pixels + 64 * 48, 0), 3 * 48) << "columns 0-2 only";
    }

    // Keeping the colours used: black (entry 1 here) and white are in the
    // picture; every other entry may change.
    PaletteRow keep = row;
    keep[1] = Word(0, 0, 0);
    keep[2] = Word(31, 31, 31);
    const CSpriteImage withBlackAndWhite =
        DrawPicture(64, 48,
                    [&](int x, int y)
                    { return x < 8 ? keep[std::size_t(1 + y % 2)] : PixelOf(picture, x, y); });
    ReduceOptions options;
    options.target = ReduceTarget::KeepUsedColors;
    ReducedPicture reduced;
    ASSERT_TRUE(ReduceColors(withBlackAndWhite, keep, options, reduced));
    for (int entry : {0, 1, 2})
        EXPECT_EQ(std::memcmp(&reduced.row[std::size_t(entry)], &keep[std::size_t(entry)], 4), 0);
    EXPECT_EQ(reduced.picture.GetPixels()[0], 1);
    EXPECT_EQ(reduced.picture.GetPixels()[64], 2);
}

TEST(ReduceColors, AlphaThresholdDecidesAndCountsPartlyTransparentPixels)
{
    const std::uint8_t alphas[] = {0, 1, 100, 127, 128, 200, 254, 255};
    const CSpriteImage picture = DrawPicture(8, 1,
                                             [&](int x, int) {
                                                 return ColorEntry{90, 60, 30, alphas[x]};
                                             });
    // threshold, pixels made transparent, made opaque, first opaque pixel
    const int cases[][4] = {{128, 3, 3, 4}, {1, 0, 6, 1}, {255, 6, 0, 7}, {101, 2, 4, 3}};
    for (const auto& c : cases)
    {
        ReduceOptions options;
        options.alphaThreshold = c[0];
        ReducedPicture reduced;
        ASSERT_TRUE(ReduceColors(picture, PaletteRow{}, options, reduced));
        EXPECT_EQ(reduced.report.madeTransparent, c[1]) << c[0];
        EXPECT_EQ(reduced.report.madeOpaque, c[2]) << c[0];
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(reduced.picture.GetPixels()[x] != 0, x >= c[3]) << c[0] << " " << x;
    }
}

TEST(ReduceColors, RefusesWhatItCannotReduce)
{
    CSpriteImage words;
    words.Create(4, 4, 16);
    ReducedPicture reduced;
    EXPECT_EQ(ReduceColors(words, PaletteRow{}, ReduceOptions{}, reduced).reason,
              Reason::ReduceBadDepth);
    const CSpriteImage picture = Gradients();
    for (int threshold : {0, 256})
    {
        ReduceOptions options;
        options.alphaThreshold = threshold;
        const Result result = ReduceColors(picture, PaletteRow{}, options, reduced);
        EXPECT_EQ(result.reason, Reason::AlphaThresholdRange);
        EXPECT_EQ(ReasonText(result),
                  "alpha threshold " + std::to_string(threshold) + " is not one of 1 to 255");
    }
    ReduceOptions options;
    options.strength = 101;
    EXPECT_EQ(ReduceColors(picture, PaletteRow{}, options, reduced).reason,
              Reason::DitherStrengthRange);
    EXPECT_EQ(reduced.picture.GetPixels(), nullptr) << "left as it was";
}

// The share of pixels shown white, mapping mid grey onto black and white.
double WhiteShare(Dithering dithering, int strength)
{
    const CSpriteImage grey = DrawPicture(32, 32,
                                          [](int, int) {
                                              return ColorEntry{90, 90, 90, 255};
                                          });
    PaletteRow row{};
    for (int i = 1; i < kPaletteRowSize; ++i)
        row[std::size_t(i)] = i == 2 ? Word(31, 31, 31) : Word(0, 0, 0);
    ReduceOptions options;
    options.target = ReduceTarget::FixedColors;
    options.dithering = dithering;
    options.strength = strength;
    ReducedPicture reduced;
    EXPECT_TRUE(ReduceColors(grey, row, options, reduced));
    const std::uint8_t* pixels = reduced.picture.GetPixels();
    return double(std::count(pixels, pixels + 32 * 32, 2)) / (32 * 32);
}

TEST(ReduceColors, DitheringMixesTheNearestColorsInTheRightShare)
{
    // Grey 90 is nearer black; it is 11 % of white's (248's) light, mixed
    // in 2 of 16 Bayer levels, and 36 % of its sRGB value.
    EXPECT_EQ(WhiteShare(Dithering::None, kFullStrength), 0);
    EXPECT_NEAR(WhiteShare(Dithering::Ordered, kFullStrength), 0.125, 0.01);
    EXPECT_NEAR(WhiteShare(Dithering::Diffusion, kFullStrength), 90.0 / 248, 0.02);
    EXPECT_EQ(WhiteShare(Dithering::Diffusion, 0), 0);
}

} // namespace
