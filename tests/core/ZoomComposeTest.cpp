// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/SpriteImage.h"
#include "render/PixelInspect.h"
#include "render/Render.h"
#include "render/ZoomCompose.h"
#include "tests/core/SpriteFileTestFiles.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace
{

constexpr std::uint32_t kGrey = MakeRgb(192, 192, 192);
constexpr std::uint32_t kWhite = MakeRgb(255, 255, 255);

// A small random picture; an 8-bit one has index 0, the colour key and
// indices beyond its 200-entry table among its pixels.
CSpriteImage RandomPicture(std::int32_t bits)
{
    CSpriteImage image;
    EXPECT_TRUE(FillRandom(image, 37, 29, bits, std::uint32_t(bits), 200));
    image.SetColor(5, 255, 0, 255, 255);
    return image;
}

// Composed alone or, for the larger areas, shared with a helper thread;
// odd heights put block edges inside the bands.
TEST(ZoomCompose, EqualsTheActualSizePictureScaledByNearestNeighbour)
{
    // Bits, zoom, the area of the zoomed picture composed.
    const std::tuple<std::int32_t, std::int32_t, PixelRect> cases[] = {
        {8, 1, {0, 0, 37, 29}},     {8, 17, {5, 3, 629, 492}}, {16, 3, {5, 5, 100, 80}},
        {24, 16, {3, 0, 600, 470}}, {32, 1, {4, 3, 30, 20}},   {32, 20, {7, 11, 740, 580}}};
    CComposeHelper helper;
    for (const auto& [bits, zoom, area] : cases)
    {
        const CSpriteImage image = RandomPicture(bits);
        CSurface plain;
        ASSERT_TRUE(ComposePicture(&image, plain));
        // Checker cells zoom times larger, so that they too are the 1x ones scaled.
        ZoomedView view;
        view.zoom = zoom;
        view.area = area;
        view.checkerCell = 32 * zoom;
        CSurface zoomed;
        ASSERT_TRUE(ComposeZoomed(&image, view, zoomed, &helper));
        const std::int32_t right = std::min(area.right, 37 * zoom);
        const std::int32_t bottom = std::min(area.bottom, 29 * zoom);
        ASSERT_EQ(std::pair(zoomed.GetWidth(), zoomed.GetHeight()),
                  std::pair(right - area.left, bottom - area.top));
        int wrong = 0;
        for (std::int32_t y = area.top; y < bottom; ++y)
            for (std::int32_t x = area.left; x < right; ++x)
                wrong += zoomed.GetPixel(x - area.left, y - area.top) !=
                         plain.GetPixel(x / zoom, y / zoom);
        EXPECT_EQ(wrong, 0) << bits << " bits at " << zoom;
    }
}

TEST(ZoomCompose, CheckerCellsKeepTheirDeviceSizeAndGridsAndOutlinesLieOnTheBlocks)
{
    // An 8-bit picture whose pixels are all index 0 but one of index 3.
    CSpriteImage image;
    ASSERT_TRUE(image.Create(40, 20, 8));
    std::fill(image.GetPixels(), image.GetPixels() + image.GetPixelBytes(), 0);
    image.GetPixels()[2 * 40 + 9] = 3;
    image.m_colorTable.SetSize(16);
    image.m_colorTable.SetAt(3, 10, 20, 30, 255);
    const std::uint32_t three = MakeRgb(10, 20, 30);
    IndexMask marked{};
    marked[3] = true;

    const std::int32_t zoom = 8;
    ZoomedView view;
    view.zoom = zoom;
    view.area = {0, 0, 320, 160};
    view.pixelGrid = true;
    view.tileWidth = 4;
    view.tileHeight = 2;
    view.highlight = &marked;
    CSurface surface;
    ASSERT_TRUE(ComposeZoomed(&image, view, surface));
    for (std::int32_t y = 0; y < 160; ++y)
        for (std::int32_t x = 0; x < 320; ++x)
        {
            const std::int32_t ix = x / zoom;
            const std::int32_t iy = y / zoom;
            const bool inMarked = ix == 9 && iy == 2;
            std::uint32_t expected = inMarked ? three : (x / 32 + y / 32) % 2 ? kWhite : kGrey;
            if ((x % zoom == 0 && ix % 4 == 0) || (y % zoom == 0 && iy % 2 == 0))
                expected = kTileGridColor;
            else if (x % zoom == 0 || y % zoom == 0)
                expected = kPixelGridColor;
            if (inMarked && (x % zoom == 0 || x % zoom == 7 || y % zoom == 0 || y % zoom == 7))
                expected = kHighlightColor;
            ASSERT_EQ(surface.GetPixel(x, y), expected) << x << ", " << y;
        }

    // A solid background replaces the checkerboard; an area off the picture
    // composes nothing.
    view = ZoomedView{};
    view.zoom = 3;
    view.area = {0, 0, 120, 60};
    view.solidBackground = true;
    view.background = MakeRgb(1, 2, 3);
    ASSERT_TRUE(ComposeZoomed(&image, view, surface));
    EXPECT_EQ(surface.GetPixel(0, 0), MakeRgb(1, 2, 3));
    EXPECT_EQ(surface.GetPixel(27, 6), three);
    view.area = {120, 0, 200, 60};
    EXPECT_FALSE(ComposeZoomed(&image, view, surface));
    EXPECT_EQ(surface.GetWidth(), 0);
}

// What the zoomed view shows at device pixel (x, y), drawn the plain way:
// the actual-size picture's pixel, then the grid lines on the first row and
// column of each block, then outlines inside marked blocks.
std::uint32_t DrawnAt(const CSurface& plain, const CSpriteImage& image, const ZoomedView& view,
                      std::int32_t x, std::int32_t y)
{
    const std::int32_t zoom = view.zoom;
    const std::int32_t ix = x / zoom;
    const std::int32_t iy = y / zoom;
    const bool firstColumn = x % zoom == 0;
    const bool firstRow = y % zoom == 0;
    std::uint32_t colour = plain.GetPixel(ix, iy);
    if ((firstColumn && ix % view.tileWidth == 0) || (firstRow && iy % view.tileHeight == 0))
        colour = kTileGridColor;
    else if (firstColumn || firstRow)
        colour = kPixelGridColor;
    const bool edge = firstColumn || firstRow || x % zoom == zoom - 1 || y % zoom == zoom - 1;
    if ((*view.highlight)[image.GetPixels()[iy * image.GetWidth() + ix]] && (edge || zoom <= 2))
        colour = kHighlightColor;
    return colour;
}

// Grids and outlines over areas that start anywhere in a block, at every
// zoom: a line is never drawn outside the area (before the row it belongs to).
TEST(ZoomCompose, GridsAndOutlinesOverAreasStartingAnywhere)
{
    const CSpriteImage image = RandomPicture(8);
    CSurface plain;
    ASSERT_TRUE(ComposePicture(&image, plain));
    IndexMask marked{};
    marked[3] = marked[77] = marked[150] = true;
    for (std::int32_t zoom = 1; zoom <= 16; ++zoom)
        for (const std::int32_t left : {0, 1, zoom / 2, zoom - 1, zoom + 1, 5 * zoom + 3})
        {
            SCOPED_TRACE(testing::Message() << "zoom " << zoom << ", left " << left);
            ZoomedView view;
            view.zoom = zoom;
            view.area = {left, left / 2 + 1, left + 7 * zoom + 5, 20 * zoom};
            view.checkerCell = 32 * zoom;
            view.pixelGrid = true;
            view.tileWidth = 3;
            view.tileHeight = 4;
            view.highlight = &marked;
            CSurface zoomed;
            ASSERT_TRUE(ComposeZoomed(&image, view, zoomed));
            int wrong = 0;
            for (std::int32_t y = view.area.top; y < view.area.bottom; ++y)
                for (std::int32_t x = view.area.left; x < view.area.right; ++x)
                    wrong += zoomed.GetPixel(x - view.area.left, y - view.area.top) !=
                             DrawnAt(plain, image, view, x, y);
            EXPECT_EQ(wrong, 0);
        }
}

TEST(PixelInspect, IndexEntryWordAndTransparencyAtEachDepth)
{
    CSpriteImage source;
    ASSERT_TRUE(source.Create(2, 1, 8));
    source.m_colorTable.SetSize(256);
    source.m_colorTable.SetAt(37, 248, 0, 248, 255);
    source.m_colorTable.SetAt(200, 8, 16, 24, 255);
    CSpriteImage display = source;
    display.m_colorTable.SetAt(5, 248, 0, 248, 255);
    // Index in row 2, the entry it shows, its colour word, transparency.
    const std::tuple<std::uint8_t, std::int32_t, std::uint16_t, bool> cases[] = {
        {5, 37, 0x7C1F, false}, {0, 32, 0, true}, {16, 16, 0, false}, {200, 200, 0x0C41, false}};
    for (const auto& [index, entry, word, transparent] : cases)
    {
        display.GetPixels()[1] = index;
        const PixelInfo info = InspectPixel(&source, &display, 2, 1, 0);
        EXPECT_EQ(std::tuple(info.kind, info.entry, info.colorWord, info.transparent),
                  std::tuple(PixelKind::Indexed, entry, word, transparent))
            << int(index);
    }
    EXPECT_EQ(InspectPixel(&source, &display, 0, 2, 0).kind, PixelKind::None);

    CSpriteImage rgba;
    ASSERT_TRUE(rgba.Create(1, 1, 32));
    const std::uint8_t pixel[] = {255, 1, 255, 255};
    std::copy(pixel, pixel + 4, rgba.GetPixels());
    const PixelInfo info = InspectPixel(&rgba, &rgba, 0, 0, 0);
    EXPECT_EQ(std::tuple(info.kind, info.green, info.transparent),
              std::tuple(PixelKind::Rgba, 1, false));
    rgba.GetPixels()[1] = 0;
    EXPECT_TRUE(InspectPixel(&rgba, &rgba, 0, 0, 0).transparent);

    // Entry 37 is index 5 in row 2; entries past 15 are their own index too.
    const IndexMask shows = IndicesShowing(37, 2);
    EXPECT_EQ(std::count(shows.begin(), shows.end(), true), 2);
    EXPECT_TRUE(shows[5] && shows[37]);
    EXPECT_EQ(CountIndices(&display)[200], 1);
}

} // namespace
